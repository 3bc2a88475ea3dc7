#pragma once

#include "WaylandSession.h"

namespace kestrane::e2e {

// A headless KWin in its own D-Bus session. Pointer and keys come from KWin's fake input
// (allowed to any client by KWIN_WAYLAND_NO_PERMISSION_CHECKS), pictures from its
// ScreenShot2 D-Bus interface through kestrane_kwin_screenshot.
class KWinSession : public WaylandSession {
public:
    // Throws, saying why in one line, when this machine cannot run a session or KWin does
    // not start or announce its displays.
    KWinSession();

    void key(const QString& name) const override { run({ staged(KESTRANE_WAYLAND_INPUT), "key", name }); }
    void type(const QString& text) const override { run({ staged(KESTRANE_WAYLAND_INPUT), "type", text }); }
    void controlKey(const QString& key) const override { this->key("Ctrl+" + key); }
    QImage screenshot() const override;
    // `base` with the session's D-Bus, on which KWin also offers its global shortcuts.
    QProcessEnvironment onBus(QProcessEnvironment base) const;

private:
    std::string bus_;
};

} // namespace kestrane::e2e
