#pragma once

#include <optional>

namespace kestrane {

// The window system the edge is shown through.
enum class SurfaceKind { x11, wayland };

struct SurfaceSituation {
    // "--x11" or "--wayland" on the command line.
    bool forcedX11 = false;
    bool forcedWayland = false;
    // A Wayland compositor answered, and offers a layer shell.
    bool waylandSession = false;
    bool layerShell = false;
};

// The native Wayland surface where the compositor can place it above every window; X11
// (XWayland under a compositor without a layer shell) otherwise. Absent when the surface
// asked for cannot be had.
constexpr std::optional<SurfaceKind> chooseSurface(SurfaceSituation situation)
{
    if (situation.forcedX11)
        return SurfaceKind::x11;
    const bool layerShell = situation.waylandSession && situation.layerShell;
    if (situation.forcedWayland)
        return layerShell ? std::optional(SurfaceKind::wayland) : std::nullopt;
    return layerShell ? SurfaceKind::wayland : SurfaceKind::x11;
}

static_assert(chooseSurface({ .forcedX11 = true, .waylandSession = true, .layerShell = true }) == SurfaceKind::x11);
static_assert(chooseSurface({ .forcedWayland = true, .waylandSession = true }) == std::nullopt);
static_assert(chooseSurface({ .waylandSession = true }) == SurfaceKind::x11);
static_assert(chooseSurface({ .waylandSession = true, .layerShell = true }) == SurfaceKind::wayland);
static_assert(chooseSurface({}) == SurfaceKind::x11);

} // namespace kestrane
