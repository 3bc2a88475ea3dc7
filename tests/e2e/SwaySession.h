#pragma once

#include "WaylandSession.h"

#include <string>

namespace kestrane::e2e {

// A headless sway: no bar, no wallpaper, native windows floating where they ask to be.
// Keys come from wtype, pictures from grim.
class SwaySession : public WaylandSession {
public:
    // Throws, saying why in one line, when this machine cannot run a session or sway does
    // not start or announce its displays.
    SwaySession();

    // Each wtype is a new keyboard with its own key map: keys sent at once after it came
    // were lost, so it waits a moment first.
    void key(const QString& name) const override { run({ "wtype", "-s", "100", "-k", name }); }
    void type(const QString& text) const override { run({ "wtype", "-s", "100", text }); }
    QImage screenshot() const override { return picture({ "grim", "-t", "ppm" }); }
    void controlKey(const QString& key) const override { run({ "wtype", "-s", "100", "-M", "ctrl", key, "-m", "ctrl" }); }
    QImage screenshotOf(const QString& output) const { return picture({ "grim", "-o", output, "-t", "ppm" }); }
    // A second output, HEADLESS-2, right of the first; both show a white desktop.
    void addOutput() const;
    // The session's windows as sway describes them (JSON), their titles among them.
    std::string windowTree() const;

private:
    QStringList swaymsg() const;
};

} // namespace kestrane::e2e
