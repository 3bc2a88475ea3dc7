#include "services/QtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace kestrane {

void QtMainQueue::post(std::function<void()> task)
{
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

} // namespace kestrane
