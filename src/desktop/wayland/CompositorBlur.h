#pragma once

struct org_kde_kwin_blur;
struct org_kde_kwin_blur_manager;
struct wl_surface;

namespace kestrane {

// The compositor's own blur of what lies behind a surface (KWin): live, following every
// window below, at no cost to the program. The surface then paints only a translucent
// tint over it.
class CompositorBlur final {
public:
    explicit CompositorBlur(org_kde_kwin_blur_manager* manager)
        : manager_(manager)
    {
    }
    ~CompositorBlur() { release(); }
    CompositorBlur(const CompositorBlur&) = delete;
    CompositorBlur& operator=(const CompositorBlur&) = delete;

    // Blurs behind the whole surface, or no longer; shown from the surface's next commit.
    void blurBehind(wl_surface* surface, bool blur);
    // Lets go of the blur of a surface about to be destroyed.
    void release();

private:
    org_kde_kwin_blur_manager* manager_;
    org_kde_kwin_blur* blur_ = nullptr;
    wl_surface* surface_ = nullptr;
};

} // namespace kestrane
