#include "services/QtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QTimer>

namespace kestrane {

void QtMainQueue::post(std::function<void()> task)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

// The timer is started from the main thread, whose event loop runs it.
void QtMainQueue::postAfter(std::chrono::milliseconds delay, std::function<void()> task)
{
    post([delay, task = std::move(task)] { QTimer::singleShot(delay, QCoreApplication::instance(), task); });
}

} // namespace kestrane
