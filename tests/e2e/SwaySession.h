#pragma once

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <QImage>
#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace kestrane::e2e {

// A headless sway with XWayland for tests: one 1440 × 900 output, no bar, no wallpaper,
// native windows floating where they ask to be. sway refuses to run as root, so under
// root it and every client of it run as the user "nobody". Stops with this object.
class SwaySession {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    // Why no session can be had on this machine, in one line; none when one can.
    static std::optional<std::string> unavailable();
    // Throws, saying why, when sway does not start or announce its displays.
    SwaySession();

    // "wayland-N", relative to runtimeFolder(), and ":N" for XWayland.
    const std::string& waylandName() const { return waylandName_; }
    const std::string& xName() const { return xName_; }
    std::filesystem::path runtimeFolder() const { return folder_ / "runtime"; }

    // The environment of a native client of the session.
    QProcessEnvironment environment() const;
    // The command, run as the session's user.
    static QStringList asSessionUser(const QStringList& command);
    // Makes the folder and everything in it the session user's.
    static void handOver(const std::filesystem::path& folder);

    // Drives the session's pointer with these steps of kestrane_wayland_input (move X Y,
    // press, release, click X Y, wait MS) and waits until the compositor has handled them.
    void input(const QStringList& steps) const;
    // The output as the compositor composes it, without the cursor.
    QImage screenshot() const;

private:
    // Runs a short command as the session's user in its environment; false if it failed.
    bool runToEnd(const QStringList& command) const;
    // Why the command failed, with sway's last words when it is gone.
    std::string failure(const std::string& command) const;
    std::string logTail() const;

    testing::TemporaryFolder folder_;
    std::unique_ptr<ChildProcess> sway_;
    std::string waylandName_;
    std::string xName_;
};

} // namespace kestrane::e2e
