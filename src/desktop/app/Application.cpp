#include "desktop/app/Application.h"

#include "app/Keyboard.h"
#include "app/LaunchSwitches.h"
#include "app/SurfaceChoice.h"
#include "desktop/app/CommandRunner.h"
#include "desktop/app/DesktopModel.h"
#include "desktop/app/PortalShortcut.h"
#include "desktop/app/SingleInstance.h"
#include "desktop/app/TerminationSignals.h"
#include "edge/Edge.h"
#include "platform/Log.h"
#include "pockets/HandOut.h"
#include "pockets/HeldFile.h"
#include "pockets/PocketStore.h"
#include "preferences/SessionKeys.h"
#include "wayland/LayerSurface.h"
#include "wayland/WaylandConnection.h"
#include "x11/GlobalKeys.h"
#include "x11/KeyboardState.h"
#include "x11/OverlayWindow.h"
#include "x11/RawInput.h"
#include "x11/X11Display.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <iostream>
#include <memory>
#include <optional>

namespace kestrane {

namespace {
constexpr int editDelay = 400;
constexpr int printDelay = 600;
constexpr int introductionDelay = 700;
constexpr const char* lastLaunchKey = "kestrane.lastLaunch";

void printLine(const std::string& line)
{
    std::cout << line << std::endl;
}

void runPocketSwitches(const LaunchSwitches& switches, DesktopModel& model)
{
    if (switches.resetPockets)
        resetPockets(model.engine(), model.store());
    if (switches.seedPocket)
        seedPocket(model.engine(), model.store(), *switches.seedPocket);
    if (switches.unseedPocket)
        unseedPockets(model.engine(), model.store());
}

// The double tap of Control is seen everywhere when the X server offers raw key events.
void recordRawKeyEvents(DesktopModel& model, bool granted)
{
    model.defaults().setBool(sessionKeys::rawKeyEventsKey, granted);
    model.defaults().setBool(sessionKeys::launchTogglesKey, false);
    model.defaults().remove(sessionKeys::portalTriggerKey);
    model.defaults().setString(lastLaunchKey, launchTimestamp());
    logLine(std::string("Kestrane: raw key events available = ") + (granted ? "true" : "false")
        + (granted ? "" : " (double-tap Control is not seen; the shortcut still works)"));
}

void bindShortcut(DesktopModel& model, GlobalKeys& keys)
{
    const Shortcut& shortcut = model.preferences().shortcut();
    const bool registered = keys.bindShortcut(shortcut.keyCode, shortcut.modifiers);
    if (registered != model.preferences().shortcutRegistered()) {
        model.preferences().setShortcutRegistered(registered);
        model.engine().requestStep();
    }
}

void scheduleSwitches(const LaunchSwitches& switches, DesktopModel& model, Edge& edge)
{
    if (switches.introduction)
        model.defaults().setBool(Onboarding::seenKey, false);
    QTimer::singleShot(introductionDelay, &edge, [&model] {
        if (!model.introduction().wasSeen())
            model.introduction().start();
    });
    if (switches.printPockets) {
        QTimer::singleShot(printDelay, &edge, [&model] { std::cout << pocketReport(model.engine()) << std::flush; });
    }
    if (switches.edit)
        QTimer::singleShot(editDelay, &edge, [&edge] { edge.openEditMode(); });
    if (switches.debugFrames)
        edge.reportFrames();
}

// Follows every screen's geometry (a mode change, a rotation) and every screen that comes
// or goes.
void followScreens(QApplication& app, OverlayWindow& window, Edge& edge, const X11Display& display)
{
    const auto screensChanged = [&window, &edge, &display] {
        if (auto pointer = display.queryPointer())
            edge.retarget(QPoint(pointer->x, pointer->y) / window.devicePixelRatioF(), true);
    };
    const auto watch = [&window, screensChanged](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, &window, screensChanged);
        QObject::connect(screen, &QScreen::refreshRateChanged, &window, screensChanged);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    QObject::connect(&app, &QGuiApplication::screenAdded, &window, [watch, screensChanged](QScreen* screen) {
        watch(screen);
        screensChanged();
    });
    QObject::connect(&app, &QGuiApplication::primaryScreenChanged, &window, screensChanged);
    QObject::connect(&app, &QGuiApplication::screenRemoved, &window, screensChanged);
}
// The edge as an X11 window (XWayland in a Wayland session), with the raw key events and
// the shortcut's key grab X11 offers.
int runOnX11(QApplication& app, DesktopModel& model, const LaunchSwitches& switches, Edge*& overlay)
{
    auto display = X11Display::fromApplication();
    if (!display) {
        logLine("Kestrane: the X11 connection is not available");
        return 1;
    }
    RawInput rawInput(*display);
    OverlayWindow window(*display);
    Edge edge(model, window);
    window.attach(&edge);
    overlay = &edge;
    Keyboard keyboard(
        model.engine(), model.preferences(), model.introduction(), { [&edge] { edge.openEditMode(); }, [] { QCoreApplication::quit(); } });
    edge.setKeyboard(&keyboard);
    KeyboardState keyboardState(
        *display, [&keyboard, &model](std::uint64_t flags) { keyboard.modifiersChanged(flags, model.uptime().now()); });
    rawInput.onKey([&keyboard, &keyboardState](std::uint32_t keycode, bool pressed) {
        if (pressed && !keyboardState.isControlKey(keycode))
            keyboard.otherInputPressed();
    });
    rawInput.onButtonPress([&keyboard, &edge] {
        keyboard.otherInputPressed();
        edge.wake();
    });
    GlobalKeys globalKeys(*display, [&keyboard] { keyboard.toggleEditMode(); });
    bindShortcut(model, globalKeys);
    model.notifications().observe(Preferences::shortcutChangedNotification, [&] { bindShortcut(model, globalKeys); });
    keyboardState.onKeymapChanged([&] { bindShortcut(model, globalKeys); });

    if (auto pointer = display->queryPointer())
        edge.retarget(QPoint(pointer->x, pointer->y), true);
    window.show();
    recordRawKeyEvents(model, rawInput.available());

    scheduleSwitches(switches, model, edge);
    runPocketSwitches(switches, model);
    followScreens(app, window, edge, *display);

    const int status = app.exec();
    window.hide();
    window.attach(nullptr);
    overlay = nullptr;
    return status;
}

// The edge as a layer surface of the Wayland compositor. No client may grab keys there:
// the desktop portal binds the shortcut where the session offers one, and starting the
// program again opens edit mode everywhere.
int runOnWayland(WaylandConnection& connection, DesktopModel& model, const LaunchSwitches& switches, Edge*& overlay)
{
    connection.listen();
    model.defaults().setBool(sessionKeys::rawKeyEventsKey, false);
    model.defaults().setBool(sessionKeys::launchTogglesKey, true);
    model.defaults().remove(sessionKeys::portalTriggerKey);
    LayerSurface surface(connection);
    Edge edge(model, surface);
    surface.attach(&edge);
    overlay = &edge;
    Keyboard keyboard(
        model.engine(), model.preferences(), model.introduction(), { [&edge] { edge.openEditMode(); }, [] { QCoreApplication::quit(); } });
    edge.setKeyboard(&keyboard);
    PortalShortcut shortcut({ [&keyboard] { keyboard.toggleEditMode(); },
        [&model](const QString& trigger) {
            model.defaults().setString(sessionKeys::portalTriggerKey, trigger.toStdString());
            model.engine().requestStep();
        } });
    shortcut.start();
    // Screens that come, go or change: the edge stays on its screen while it is there.
    connection.onOutputsChanged([&edge, &surface] { edge.retarget(surface.frame().center(), true); });
    if (const auto screen = surface.screenAt({}))
        edge.retarget(screen->area.center(), true);

    scheduleSwitches(switches, model, edge);
    runPocketSwitches(switches, model);

    const int status = QCoreApplication::exec();
    surface.attach(nullptr);
    overlay = nullptr;
    return status;
}

// The surface the switches and the session allow; absent, with a line saying why, when
// none can be had. A Wayland connection the choice needs is kept for the surface.
std::optional<SurfaceKind> chooseSurfaceFor(const LaunchSwitches& switches, std::unique_ptr<WaylandConnection>& connection)
{
    SurfaceSituation situation { .forcedX11 = switches.x11, .forcedWayland = switches.wayland };
    if (!switches.x11 && (switches.wayland || qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))) {
        connection = WaylandConnection::connect();
        situation.waylandSession = connection != nullptr;
        situation.layerShell = connection && connection->offersLayerShell();
    }
    const auto kind = chooseSurface(situation);
    if (!kind)
        logLine("Kestrane: --wayland needs a Wayland compositor with a layer shell (zwlr_layer_shell_v1); this session has none");
    else if (*kind == SurfaceKind::x11)
        connection.reset();
    return kind;
}
} // namespace

int runApplication(int argc, char** argv)
{
    std::error_code noWorkingFolder;
    const auto command = CommandLine::parse({ argv, argv + argc }, std::filesystem::current_path(noWorkingFolder));
    if (const auto status = runWithoutWindow(command, argc, argv))
        return *status;
    const std::vector<std::string> arguments(argv, argv + argc);
    const LaunchSwitches switches = LaunchSwitches::parse(arguments);
    std::unique_ptr<WaylandConnection> wayland;
    const auto surface = chooseSurfaceFor(switches, wayland);
    if (!surface || (*surface == SurfaceKind::x11 && !X11Display::canConnect()))
        return 1;
    // Every referenced file is held open while the program runs; beyond the limit, files
    // moved elsewhere are only looked for in their folder.
    HeldFile::raiseDescriptorLimit();
    const auto dataFolder = PocketStore::standardDirectory();
    if (!dataFolder) {
        logLine("Kestrane: no folder for the pockets (neither XDG_DATA_HOME nor HOME is set)");
        return 1;
    }
    // On X11, input shapes, the drag selection and key grabs are X11's; under Wayland
    // without a layer shell this runs through XWayland. The layer surface speaks to the
    // compositor itself: Qt only lays out text, icons and the clipboard there.
    qputenv("QT_QPA_PLATFORM", *surface == SurfaceKind::x11 ? "xcb" : "wayland");
    QApplication app(argc, argv);
    app.setApplicationName("Kestrane");
    app.setQuitOnLastWindowClosed(false);

    Edge* overlay = nullptr;
    DesktopModel* running = nullptr;
    // Claimed before the store reads the index: one writer per data folder.
    SingleInstance instance(
        *dataFolder,
        [&overlay] {
            if (overlay)
                overlay->openEditMode();
        },
        [&running](const std::string& request) {
            return running ? answerPocketRequest(request, *running)
                           : CommandOutcome { 1, "Kestrane: the running copy is still starting\n" }.encode();
        });
    switch (instance.claim()) {
    case SingleInstance::Claim::first:
        break;
    case SingleInstance::Claim::handedOver:
        return 0;
    case SingleInstance::Claim::failed:
        return 1;
    }
    if (const auto handOut = HandOut::standardRoot())
        HandOut::removeExpired(*handOut, std::filesystem::file_time_type::clock::now() - PocketStore::pulledFileGrace);

    TerminationSignals terminationSignals;
    DesktopModel model(switches.debugPurge ? printLine : EngineTrace {}, *dataFolder);
    running = &model;
    const int status = wayland ? runOnWayland(*wayland, model, switches, overlay) : runOnX11(app, model, switches, overlay);
    model.engine().discardPendingUndo();
    model.store().saveBeforeQuit();
    return status;
}

} // namespace kestrane
