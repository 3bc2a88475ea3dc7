#include "EndToEndTest.h"
#include "KWinSession.h"

#include <QColor>
#include <QSettings>

namespace kestrane::e2e {
namespace {

// The program a D-Bus service file starts; empty when the service is not installed.
QString serviceProgram(const QString& service)
{
    const QSettings file("/usr/share/dbus-1/services/" + service + ".service", QSettings::IniFormat);
    return file.value("D-BUS Service/Exec").toString();
}

// How many points of the screen are drawn bright: over KWin's black desktop, the pockets at
// rest draw none, edit mode its names, buttons and hint.
int brightPoints(const QImage& screen)
{
    int points = 0;
    for (int y = 0; y < screen.height(); y += 2)
        for (int x = 0; x < screen.width(); x += 2)
            points += QColor(screen.pixel(x, y)).value() > 160;
    return points;
}

// KWin with KDE Plasma's desktop portal on its D-Bus: the portal binds the program's
// shortcut in KWin's global shortcuts, the settings name its keys for the preferences, and
// pressing them on KWin's fake keyboard opens edit mode and closes it again.
TEST(PortalShortcutTest, TheKeysThePortalBoundToggleEditMode)
{
    const QString frontend = serviceProgram("org.freedesktop.portal.Desktop");
    const QString kde = serviceProgram("org.freedesktop.impl.portal.desktop.kde");
    if (frontend.isEmpty() || kde.isEmpty())
        KESTRANE_CANNOT_RUN("no desktop portal for KDE here (apt-get install xdg-desktop-portal xdg-desktop-portal-kde)");
    std::unique_ptr<KWinSession> session;
    try {
        session = std::make_unique<KWinSession>();
    } catch (const std::runtime_error& error) {
        KESTRANE_CANNOT_RUN("No KWin session: " << error.what());
    }
    // The portal takes the backend of the desktop named here; KDE's binds shortcuts without a
    // window of its own.
    QProcessEnvironment environment = session->onBus(session->environment());
    environment.insert("XDG_CURRENT_DESKTOP", "KDE");
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const auto owned = [&](const char* name) {
        return pollUntil(
            [&] {
                ChildProcess ask(WaylandSession::asSessionUser({ "dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                     "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", QString("string:") + name }),
                    environment);
                return runToEnd(ask).output.find("boolean true") != std::string::npos;
            },
            startTimeout);
    };
    // Started in turn, so that the bus starts neither of them without this environment.
    ChildProcess backend(WaylandSession::asSessionUser({ kde }), environment, ChildProcess::Diagnostics::discarded);
    ASSERT_TRUE(owned("org.freedesktop.impl.portal.desktop.kde")) << "KDE's portal starts";
    ChildProcess portal(WaylandSession::asSessionUser({ frontend }), environment, ChildProcess::Diagnostics::discarded);
    ASSERT_TRUE(owned("org.freedesktop.portal.Desktop")) << "the desktop portal starts";

    IsolatedHome home;
    home.writeSettings({ desk });
    WaylandSession::handOver(home.root());
    ChildProcess program(WaylandSession::asSessionUser({ WaylandSession::staged(KESTRANE_PROGRAM), "--wayland" }),
        session->onBus(session->environment(home.environment({}))));
    EXPECT_TRUE(pollUntil([&] { return home.settings().value("kestrane.portalTrigger", "") == "Ctrl+Alt+D"; }, startTimeout))
        << home.settings().dump();
    int bright = 0;
    const auto editMode = [&](bool open) {
        constexpr milliseconds screenTimeout { 15000 };
        return pollUntil([&] { return ((bright = brightPoints(session->screenshot())) > 150) == open; }, screenTimeout);
    };
    ASSERT_TRUE(editMode(false)) << bright << " bright points at rest";
    session->key("Ctrl+Alt+d");
    EXPECT_TRUE(editMode(true)) << bright << " bright points: the shortcut opens edit mode";
    session->key("Ctrl+Alt+d");
    EXPECT_TRUE(editMode(false)) << bright << " bright points: the shortcut closes edit mode";
}

} // namespace
} // namespace kestrane::e2e
