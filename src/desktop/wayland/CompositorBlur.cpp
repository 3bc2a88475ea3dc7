#include "wayland/CompositorBlur.h"

#include "kde-blur-client-protocol.h"

namespace kestrane {

void CompositorBlur::blurBehind(wl_surface* surface, bool blur)
{
    if (surface != surface_)
        release();
    if (!surface || blur == (blur_ != nullptr))
        return;
    if (!blur) {
        org_kde_kwin_blur_manager_unset(manager_, surface);
        release();
        return;
    }
    surface_ = surface;
    blur_ = org_kde_kwin_blur_manager_create(manager_, surface);
    // No region: the whole surface, whatever size it is given.
    org_kde_kwin_blur_set_region(blur_, nullptr);
    org_kde_kwin_blur_commit(blur_);
}

void CompositorBlur::release()
{
    if (blur_)
        org_kde_kwin_blur_release(blur_);
    blur_ = nullptr;
    surface_ = nullptr;
}

} // namespace kestrane
