#pragma once

#include "ChildProcess.h"
#include "TemporaryFolder.h"

#include <QImage>
#include <QPoint>
#include <QProcessEnvironment>
#include <QStringList>

#include <filesystem>
#include <memory>
#include <string>

namespace kestrane::e2e {

// A headless Wayland compositor with XWayland for tests: one 1440 × 900 output. Under
// root the compositor and every client of it run as the user "nobody" (sway refuses root;
// the other follows, so that both share one way of staging and handing over). Stops with
// this object.
class WaylandSession {
public:
    static constexpr int width = 1440;
    static constexpr int height = 900;

    // Stops the compositor and everything it started.
    virtual ~WaylandSession();
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

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
    void input(const char* step, int x, int y, QSize layout = { width, height }) const;
    // Presses at `from`, moves to `to` in small steps, holds still there and releases.
    void drag(QPoint from, QPoint to) const;
    // Presses and releases the named key ("Escape", "Down", "Return"), or types the text,
    // and waits until the compositor has handled it.
    virtual void key(const QString& name) const = 0;
    virtual void type(const QString& text) const = 0;
    // Control and a key, as a shortcut is pressed.
    virtual void controlKey(const QString& key) const = 0;
    // The output as the compositor composes it, without the cursor.
    virtual QImage screenshot() const = 0;

protected:
    // `name` is the compositor's, for messages.
    explicit WaylandSession(std::string name);
    // Throws, saying why in one line, when this machine lacks what every session needs.
    static void requireCommon();
    // Starts the compositor from `command`, a shell line run in the session's folder as its
    // user, which writes its log to `log`, and waits for it to write the file `names` with
    // its displays: "WAYLAND_DISPLAY DISPLAY" and anything more the session wants.
    std::string start(const QString& command, const char* log);
    // Runs a short command as the session's user; throws, with the compositor's last words
    // when it is gone, if the command fails.
    void run(const QStringList& command) const;
    // Runs a command that writes a picture to the file it is given, and reads that file.
    QImage picture(const QStringList& command) const;
    const testing::TemporaryFolder& folder() const { return folder_; }

private:
    QProcessEnvironment ownEnvironment() const;
    std::string logTail() const;

    std::string name_;
    testing::TemporaryFolder folder_;
    std::filesystem::path log_;
    std::unique_ptr<ChildProcess> compositor_;
    std::string waylandName_;
    std::string xName_;
};

} // namespace kestrane::e2e
