#pragma once

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <QImage>
#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>

namespace kestrane::e2e {

// A headless sway with XWayland for tests: one 1440 × 900 output, no bar, no wallpaper,
// native windows floating where they ask to be. sway refuses to run as root, so under
// root it and every client of it run as the user "nobody". Stops with this object.
class SwaySession {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    // Throws, saying why in one line, when this machine cannot run a session or sway does
    // not start or announce its displays.
    SwaySession();

    // `base` with the session's displays, for a client of it; by default, the session's
    // own home and runtime folders.
    QProcessEnvironment environment(QProcessEnvironment base) const;
    QProcessEnvironment environment() const { return environment(ownEnvironment()); }
    // A program of the build as the session's user can run it: a copy in a world-readable
    // folder, so that the tests run wherever the checkout lies (a home folder is private).
    static QString staged(const char* program);
    // The command, run as the session's user.
    static QStringList asSessionUser(const QStringList& command);
    // Makes the folder and everything in it the session user's.
    static void handOver(const std::filesystem::path& folder);

    // Moves the session's pointer to (x, y), and for "click" clicks there, and waits until
    // the compositor has handled it.
    void input(const char* step, int x, int y) const;
    // The output as the compositor composes it, without the cursor.
    QImage screenshot() const;

private:
    QProcessEnvironment ownEnvironment() const;
    // Runs a short command as the session's user; throws, with sway's last words when it
    // is gone, if the command fails.
    void run(const QStringList& command) const;
    std::string logTail() const;

    testing::TemporaryFolder folder_;
    std::unique_ptr<ChildProcess> sway_;
    std::string waylandName_;
    std::string xName_;
};

} // namespace kestrane::e2e
