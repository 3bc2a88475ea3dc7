#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace kestrane {

// The shortcut that the desktop portal's global shortcuts (org.freedesktop.portal.GlobalShortcuts)
// bind for a Wayland client, which may not grab keys itself. Where the session bus offers
// the portal, it opens a session, has the desktop bind the shortcut and reports its keys
// and every press. All of it is asynchronous; without the portal nothing happens, and a
// portal that fails says so in one line.
class PortalShortcut final : public QObject {
    Q_OBJECT

public:
    struct Handlers {
        // The shortcut's keys were pressed.
        std::function<void()> activated;
        // The desktop bound the shortcut, or the user changed it: its keys as the desktop
        // names them ("Ctrl+Alt+D"), empty while it has none.
        std::function<void(const QString& trigger)> bound;
    };

    explicit PortalShortcut(Handlers handlers);

    // Asks the session bus for the portal and binds the shortcut where it is offered.
    void start();

private slots:
    // The portal's signals, connected by name.
    void onResponse(const QDBusMessage& message);
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    enum class Step { none, creatingSession, binding };

    void createSession();
    void bindShortcut();
    // Calls a portal method that answers through a Request object's Response signal,
    // listening there before calling, as the portal asks of its clients.
    void request(Step step, const QString& method, const QVariantList& arguments, const QString& token);
    void listenForResponse(const QString& path);
    void sessionCreated(const QVariantMap& results);
    // Reads the shortcut's keys from a list of shortcuts; false when it is not among them.
    bool readTrigger(const QVariant& shortcuts);
    void fail(const QString& reason);

    Handlers handlers_;
    Step step_ = Step::none;
    QString responsePath_;
    QString session_;
    int requests_ = 0;
};

} // namespace kestrane
