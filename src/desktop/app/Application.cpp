#include "desktop/app/Application.h"

#include "app/Keyboard.h"
#include "app/LaunchSwitches.h"
#include "desktop/app/CommandRunner.h"
#include "desktop/app/DesktopModel.h"
#include "desktop/app/SingleInstance.h"
#include "desktop/app/TerminationSignals.h"
#include "edge/Edge.h"
#include "platform/Log.h"
#include "pockets/HandOut.h"
#include "pockets/HeldFile.h"
#include "pockets/PocketStore.h"
#include "x11/GlobalKeys.h"
#include "x11/KeyboardState.h"
#include "x11/OverlayWindow.h"
#include "x11/RawInput.h"
#include "x11/X11Display.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <iostream>

namespace kestrane {

namespace {
constexpr int editDelay = 400;
constexpr int printDelay = 600;
constexpr int introductionDelay = 700;
// Whether the X server sends raw key events, stored under its first name.
constexpr const char* rawKeyEventsKey = "kestrane.inputMonitoring";
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
    model.defaults().setBool(rawKeyEventsKey, granted);
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
} // namespace

int runApplication(int argc, char** argv)
{
    std::error_code noWorkingFolder;
    const auto command = CommandLine::parse({ argv, argv + argc }, std::filesystem::current_path(noWorkingFolder));
    if (const auto status = runWithoutWindow(command, argc, argv))
        return *status;
    if (!X11Display::canConnect())
        return 1;
    // Every referenced file is held open while the program runs; beyond the limit, files
    // moved elsewhere are only looked for in their folder.
    HeldFile::raiseDescriptorLimit();
    const auto dataFolder = PocketStore::standardDirectory();
    if (!dataFolder) {
        logLine("Kestrane: no folder for the pockets (neither XDG_DATA_HOME nor HOME is set)");
        return 1;
    }
    // Input shapes, the drag selection and key grabs are X11's; under Wayland this runs
    // through XWayland.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    app.setApplicationName("Kestrane");
    app.setQuitOnLastWindowClosed(false);

    const std::vector<std::string> arguments(argv, argv + argc);
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

    auto display = X11Display::fromApplication();
    if (!display) {
        logLine("Kestrane: the X11 connection is not available");
        return 1;
    }
    TerminationSignals terminationSignals;
    const LaunchSwitches switches = LaunchSwitches::parse(arguments);
    DesktopModel model(switches.debugPurge ? printLine : EngineTrace {}, *dataFolder);
    RawInput rawInput(*display);
    OverlayWindow window(*display);
    Edge edge(model, window);
    window.attach(&edge);
    overlay = &edge;
    running = &model;
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
    model.engine().discardPendingUndo();
    model.store().saveBeforeQuit();
    return status;
}

} // namespace kestrane
