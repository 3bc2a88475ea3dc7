#include "x11/WindowInput.h"

#include "edge/Edge.h"
#include "edge/KeyCodes.h"

#include <QDropEvent>
#include <QHelpEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <QWidget>

namespace kestrane {

namespace {
constexpr double angleDeltaPerNotch = 120;

// A drag the edge wants is taken as a copy: what it carries stays with its source.
void answerDrag(QDragMoveEvent* event, bool wanted)
{
    if (!wanted)
        return event->ignore();
    event->setDropAction(Qt::CopyAction);
    event->accept();
}
} // namespace

WindowInput::WindowInput(QWidget& window)
    : QObject(&window)
    , window_(window)
{
    window.installEventFilter(this);
}

bool WindowInput::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &window_ || !edge_)
        return false;
    if (event->type() == QEvent::ToolTip) {
        showHelp(event);
        return true;
    }
    return pointerEvent(event) || dragEvent(event) || keyEvent(event);
}

bool WindowInput::pointerEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    // The second press of a double click is a press like any other.
    case QEvent::MouseButtonDblClick:
        pressed_ = true;
        edge_->press(static_cast<QMouseEvent*>(event)->position());
        return true;
    case QEvent::MouseMove:
        edge_->move(static_cast<QMouseEvent*>(event)->position());
        return true;
    case QEvent::MouseButtonRelease:
        pressed_ = false;
        edge_->release(static_cast<QMouseEvent*>(event)->position());
        return true;
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        // Touchpads report the distance itself; a wheel reports notches.
        if (!wheel->pixelDelta().isNull())
            edge_->turnWheel(wheel->position(), { static_cast<double>(wheel->pixelDelta().y()), false });
        else
            edge_->turnWheel(wheel->position(), { wheel->angleDelta().y() / angleDeltaPerNotch, true });
        return true;
    }
    case QEvent::Enter:
    case QEvent::Leave:
        pointerInside_ = event->type() == QEvent::Enter;
        edge_->wake();
        return false;
    default:
        return false;
    }
}

bool WindowInput::dragEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        answerDrag(drag, edge_->dragEntered(drag->position(), *drag->mimeData()));
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        answerDrag(drag, edge_->dragMoved(drag->position()));
        return true;
    }
    case QEvent::DragLeave:
        edge_->dragLeft();
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const bool taken = edge_->drop(drop->position(), *drop->mimeData());
        // A refusal (nothing could be stored) must reach the source as one, so that it
        // keeps what it offered.
        drop->setDropAction(taken ? Qt::CopyAction : Qt::IgnoreAction);
        drop->setAccepted(taken);
        return true;
    }
    default:
        return false;
    }
}

bool WindowInput::keyEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (edge_->pressKey({ keyEventFrom(*key), key->text().toStdString() }))
            return true;
        edge_->wake();
        return false;
    }
    case QEvent::InputMethod: {
        auto* input = static_cast<QInputMethodEvent*>(event);
        edge_->compose(input->preeditString().toStdString(), input->commitString().toStdString());
        input->accept();
        return true;
    }
    case QEvent::WindowDeactivate:
        // A window that takes the focus while the edge needs keys is answered by the next frames.
        edge_->wake();
        return false;
    default:
        return false;
    }
}

void WindowInput::showHelp(QEvent* event)
{
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString text = edge_->helpAt(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, &window_);
}

} // namespace kestrane
