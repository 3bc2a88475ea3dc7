#pragma once

#include "ChildProcess.h"

#include <QImage>

#include <memory>
#include <optional>
#include <string>

#include <sys/types.h>

struct xcb_connection_t;

namespace kestrane::e2e {

// A private X server (Xvfb on the first free display number) with xcompmgr compositing
// it (unless told otherwise), so that translucent windows are blended as on a desktop, and
// openbox managing its windows. All stop with this object, the server last.
class XvfbDisplay {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    XvfbDisplay();

    // Starts or stops the compositor and waits until it owns its selection, or no longer.
    void setCompositing(bool on);

    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }

    // Moves the pointer to (x, y), or presses or releases a button (the first unless told;
    // 4 and 5 are the wheel's notches), as the mouse itself would (XTest): every program
    // sees the raw device events too, and the server has handled the event when this returns.
    void movePointer(int x, int y) const;
    void pressButton(bool down, int button = 1) const;
    // Runs xdotool with these arguments on this display and waits for it.
    void xdotool(const QStringList& arguments) const;
    // The whole screen as the compositor shows it.
    QImage screenshot() const;
    // The process whose top-level window would get a click at the pointer now (input
    // shapes taken into account); none over the bare root window.
    std::optional<pid_t> processUnderPointer() const;
    // The process whose window has the keyboard focus; none for the root or no window.
    std::optional<pid_t> processWithFocus() const;
    // Whether a program holds the keyboard grabbed (as a shortcut recorder does).
    bool keyboardGrabbed() const;

private:
    unsigned atom(const std::string& name) const;
    std::optional<pid_t> processOf(unsigned window) const;
    // Waits until the selection has an owner, or none; false if it never did in time.
    bool awaitOwner(const std::string& selection, bool present) const;
    void fakeInput(std::uint8_t type, std::uint8_t detail, int x, int y) const;

    std::unique_ptr<ChildProcess> server_;
    std::string name_;
    QProcessEnvironment environment_;
    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection_;
    std::unique_ptr<ChildProcess> compositor_;
    std::unique_ptr<ChildProcess> windowManager_;
};

} // namespace kestrane::e2e
