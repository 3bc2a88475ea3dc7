#include "desktop/app/PortalShortcut.h"

#include "platform/Log.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <utility>

namespace kestrane {

namespace {
const QString portalService = "org.freedesktop.portal.Desktop";
const QString portalPath = "/org/freedesktop/portal/desktop";
const QString shortcutsInterface = "org.freedesktop.portal.GlobalShortcuts";
const QString requestInterface = "org.freedesktop.portal.Request";
const QString shortcutId = "edit-mode";
// KDE Plasma names the shortcut's group in its settings after the session's token: the same
// token at every launch keeps the keys the user gave it there.
const QString sessionToken = "kestrane";
// A key is named by its keysym, and "d" is the key itself where "D" would ask for Shift.
const QString preferredTrigger = "CTRL+ALT+d";

// One shortcut as the portal describes it: (id, {description, preferred_trigger, trigger_description}).
struct ShortcutEntry {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const ShortcutEntry& entry)
{
    argument.beginStructure();
    argument << entry.id << entry.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, ShortcutEntry& entry)
{
    argument.beginStructure();
    argument >> entry.id >> entry.properties;
    argument.endStructure();
    return argument;
}

QVariant editModeShortcut()
{
    const QVariantMap properties { { "description", "Open edit mode" }, { "preferred_trigger", preferredTrigger } };
    return QVariant::fromValue(QList<ShortcutEntry> { { shortcutId, properties } });
}

// A session handle comes as a string from some portals and as an object path from others.
QString pathOf(const QVariant& value)
{
    return value.canConvert<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path() : value.toString();
}
} // namespace

PortalShortcut::PortalShortcut(Handlers handlers)
    : handlers_(std::move(handlers))
{
}

void PortalShortcut::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    qDBusRegisterMetaType<ShortcutEntry>();
    qDBusRegisterMetaType<QList<ShortcutEntry>>();
    QDBusMessage get = QDBusMessage::createMethodCall(portalService, portalPath, "org.freedesktop.DBus.Properties", "Get");
    get << shortcutsInterface << "version";
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusVariant> version = *call;
        // No portal, or one without global shortcuts: starting the program again stays the way.
        if (!version.isError() && version.value().variant().toUInt() >= 1)
            createSession();
    });
}

void PortalShortcut::createSession()
{
    const QString token = QString("kestrane_%1").arg(++requests_);
    // The shortcut goes with the session too: KDE Plasma 5.27 binds what it is given there
    // and lists it in its answer, where later portals wait to be asked to bind it.
    const QVariantMap options { { "handle_token", token }, { "session_handle_token", sessionToken }, { "shortcuts", editModeShortcut() } };
    request(Step::creatingSession, "CreateSession", { options }, token);
}

void PortalShortcut::bindShortcut()
{
    const QString token = QString("kestrane_%1").arg(++requests_);
    request(Step::binding, "BindShortcuts",
        { QVariant::fromValue(QDBusObjectPath(session_)), editModeShortcut(), QString(), QVariantMap { { "handle_token", token } } }, token);
}

void PortalShortcut::request(Step step, const QString& method, const QVariantList& arguments, const QString& token)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString sender = bus.baseService().mid(1).replace('.', '_');
    listenForResponse(portalPath + "/request/" + sender + "/" + token);
    step_ = step;
    QDBusMessage message = QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, method);
    message.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QDBusObjectPath> handle = *call;
        if (handle.isError())
            fail(handle.error().message());
        // An older portal may answer on another path than the one it was asked for.
        else if (step_ != Step::none)
            listenForResponse(handle.value().path());
    });
}

void PortalShortcut::listenForResponse(const QString& path)
{
    if (path == responsePath_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!responsePath_.isEmpty())
        bus.disconnect(portalService, responsePath_, requestInterface, "Response", this, SLOT(onResponse(QDBusMessage)));
    responsePath_ = path;
    if (!path.isEmpty())
        bus.connect(portalService, path, requestInterface, "Response", this, SLOT(onResponse(QDBusMessage)));
}

void PortalShortcut::onResponse(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    const Step step = std::exchange(step_, Step::none);
    listenForResponse({});
    if (arguments.size() < 2 || step == Step::none)
        return;
    if (const uint response = arguments[0].toUInt(); response != 0) {
        fail(response == 1 ? "the request was cancelled" : "the portal answered with an error");
        return;
    }
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments[1]);
    if (step == Step::creatingSession)
        sessionCreated(results);
    else if (!readTrigger(results.value("shortcuts")))
        fail("the desktop did not bind it");
}

void PortalShortcut::sessionCreated(const QVariantMap& results)
{
    session_ = pathOf(results.value("session_handle"));
    if (session_.isEmpty()) {
        fail("the portal opened no session");
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(portalService, portalPath, shortcutsInterface, "Activated", this, SLOT(onActivated(QDBusMessage)));
    bus.connect(portalService, portalPath, shortcutsInterface, "ShortcutsChanged", this, SLOT(onShortcutsChanged(QDBusMessage)));
    if (!readTrigger(results.value("shortcuts")))
        bindShortcut();
}

bool PortalShortcut::readTrigger(const QVariant& shortcuts)
{
    if (!shortcuts.canConvert<QDBusArgument>())
        return false;
    const auto argument = shortcuts.value<QDBusArgument>();
    if (argument.currentSignature() != "a(sa{sv})")
        return false;
    for (const ShortcutEntry& entry : qdbus_cast<QList<ShortcutEntry>>(argument)) {
        if (entry.id == shortcutId) {
            handlers_.bound(entry.properties.value("trigger_description").toString());
            return true;
        }
    }
    return false;
}

void PortalShortcut::onActivated(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() >= 2 && pathOf(arguments[0]) == session_ && arguments[1].toString() == shortcutId)
        handlers_.activated();
}

void PortalShortcut::onShortcutsChanged(const QDBusMessage& message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.size() >= 2 && pathOf(arguments[0]) == session_)
        readTrigger(arguments[1]);
}

void PortalShortcut::fail(const QString& reason)
{
    step_ = Step::none;
    listenForResponse({});
    logLine("Kestrane: the desktop portal did not bind the shortcut (" + reason.toStdString() + "); starting kestrane again opens edit mode");
}

} // namespace kestrane
