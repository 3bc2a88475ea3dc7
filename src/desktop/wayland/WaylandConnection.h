#pragma once

#include <QObject>
#include <QRect>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct wl_compositor;
struct wl_data_device_manager;
struct wl_display;
struct wl_output;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zxdg_output_v1_listener;
struct wl_registry;
struct wl_registry_listener;
struct wl_seat_listener;
struct wl_output_listener;
struct wl_seat;
struct wl_shm;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct org_kde_kwin_blur_manager;

namespace kestrane {

// One screen as the compositor announces it.
struct WaylandOutput {
    wl_output* output = nullptr;
    std::uint32_t name = 0;
    // Logical pixels, in the compositor's space.
    QRect area;
    int scale = 1;
    // Frames per second; 0 until the mode is known.
    double refreshRate = 0;
    // The first round of its properties has arrived.
    bool announced = false;
    // Device pixels of its current mode.
    QSize modeSize;
    QPoint position;
    // Where it lies among the others, and its size, as the compositor lays them out (most
    // compositors say so only through xdg-output).
    zxdg_output_v1* logical = nullptr;
    std::optional<QRect> logicalArea;
};

// The program's own connection to the Wayland compositor, read on the main thread by
// Qt's event loop, and the globals the edge's surface needs.
class WaylandConnection final : public QObject {
public:
    // Absent, with a line saying why, when there is no compositor to talk to.
    static std::unique_ptr<WaylandConnection> connect();
    ~WaylandConnection() override;
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // Whether the compositor offers what the edge needs: a layer shell, shared memory, a seat.
    bool offersLayerShell() const { return layerShell_ && shm_ && compositor_; }

    wl_display* display() const { return display_; }
    wl_compositor* compositor() const { return compositor_; }
    wl_shm* shm() const { return shm_; }
    wl_seat* seat() const { return seat_; }
    wl_data_device_manager* dataDevices() const { return dataDevices_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    std::uint32_t layerShellVersion() const { return layerShellVersion_; }
    // What the compositor offers for a backdrop: blur behind a surface, or pictures of an
    // output; null where it has none.
    org_kde_kwin_blur_manager* blurManager() const { return blurManager_; }
    zwlr_screencopy_manager_v1* screenCopier() const { return screenCopier_; }
    const std::vector<WaylandOutput>& outputs() const { return outputs_; }
    // The output by its name in the registry; null once it is gone.
    const WaylandOutput* outputNamed(std::uint32_t name) const;
    // What the seat has (WL_SEAT_CAPABILITY_POINTER, …), and a call for each change; the
    // compositor tells it once at the start, before any surface could listen.
    std::uint32_t seatCapabilities() const { return seatCapabilities_; }
    void onSeatChanged(std::function<void(std::uint32_t)> changed) { seatChanged_ = std::move(changed); }
    // Runs after a screen came, went or changed.
    void onOutputsChanged(std::function<void()> changed) { outputsChanged_ = std::move(changed); }
    // Sends what was asked and waits until the compositor has answered all of it.
    void roundtrip();
    // From now on the compositor's events are read by Qt's event loop.
    void listen();

private:
    explicit WaylandConnection(wl_display* display);
    void bind(std::uint32_t name, const char* interface, std::uint32_t version);
    void forget(std::uint32_t name);
    void readEvents();
    void addOutput(std::uint32_t name, std::uint32_t version);
    WaylandOutput* outputFor(wl_output* output);
    void outputDone(wl_output* output);
    void describe(WaylandOutput& output);
    WaylandOutput* outputFor(zxdg_output_v1* logical);

    static const struct wl_registry_listener registryListener;
    static const struct wl_output_listener outputListener;
    static const struct wl_seat_listener seatListener;
    static const struct zxdg_output_v1_listener logicalListener;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_data_device_manager* dataDevices_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    zxdg_output_manager_v1* outputManager_ = nullptr;
    org_kde_kwin_blur_manager* blurManager_ = nullptr;
    zwlr_screencopy_manager_v1* screenCopier_ = nullptr;
    std::uint32_t layerShellVersion_ = 0;
    std::vector<WaylandOutput> outputs_;
    std::function<void()> outputsChanged_;
    std::uint32_t seatCapabilities_ = 0;
    std::function<void(std::uint32_t)> seatChanged_;
};

} // namespace kestrane
