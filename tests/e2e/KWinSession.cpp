#include "KWinSession.h"

#include <QStandardPaths>

#include <stdexcept>

namespace kestrane::e2e {

namespace {

// KWin's packaged binary carries a file capability that a sandbox may refuse to execute;
// a copy without it runs the same. The copy keeps the name, by which KWin finds itself.
QString runnableKWin(const std::filesystem::path& folder)
{
    ChildProcess probe(WaylandSession::asSessionUser({ "kwin_wayland", "--version" }), QProcessEnvironment::systemEnvironment(),
        ChildProcess::Diagnostics::discarded);
    if (probe.waitForExit(milliseconds(10000)) == 0)
        return "kwin_wayland";
    const std::filesystem::path copy = folder / "kwin_wayland";
    std::filesystem::copy_file(QStandardPaths::findExecutable("kwin_wayland").toStdString(), copy);
    return QString::fromStdString(copy.string());
}

} // namespace

KWinSession::KWinSession()
    : WaylandSession("KWin")
{
    requireCommon();
    for (const char* program : { "kwin_wayland", "dbus-run-session" })
        if (QStandardPaths::findExecutable(program).isEmpty())
            throw std::runtime_error(std::string("no ") + program + " here (apt-get install kwin-wayland dbus)");
    // KWin starts the client it is given with the session's environment once it is up;
    // the client writes the names of the displays and of the D-Bus session to `names`.
    const std::string names = (folder() / "names").string();
    testing::writeFile(folder() / "announce",
        "echo \"$WAYLAND_DISPLAY $DISPLAY $DBUS_SESSION_BUS_ADDRESS\" > " + names + ".part && mv " + names + ".part " + names + "\n");
    // KWin leaves its blur off on a software renderer, as here: the native backdrop asks for it.
    std::filesystem::create_directories(folder() / "home/.config");
    testing::writeFile(folder() / "home/.config/kwinrc", "[Plugins]\nblurEnabled=true\n");
    bus_ = start("env XDG_CONFIG_HOME=\"$HOME/.config\" KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 "
                 "dbus-run-session -- "
            + runnableKWin(folder().path()) + " --virtual --xwayland --width 1440 --height 900 -- \"sh "
            + QString::fromStdString((folder() / "announce").string()) + "\" 2>kwin.log",
        "kwin.log");
}

QProcessEnvironment KWinSession::onBus(QProcessEnvironment base) const
{
    base.insert("DBUS_SESSION_BUS_ADDRESS", QString::fromStdString(bus_));
    return base;
}

QImage KWinSession::screenshot() const
{
    return picture({ "env", "DBUS_SESSION_BUS_ADDRESS=" + QString::fromStdString(bus_), staged(KESTRANE_KWIN_SCREENSHOT) });
}

} // namespace kestrane::e2e
