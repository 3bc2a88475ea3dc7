// A stand-in for another application on the test display:
//   kestrane_drag_peer source X Y FILE...   drags the files' URLs when pressed and moved, and
//                                           says "DRAGGED <action>" when the drag is over
//   kestrane_drag_peer receiver X Y W H     takes drops as a file manager does: says
//                                           "DROP <path>" for each file at the drop and only
//                                           2 s later reads it: "RECEIVED <path>: <content>"
//                                           or "MISSING <path>"
//   kestrane_drag_peer clicks               covers the screen in white and says "CLICK x y"
//                                           for each press it receives
// Each says "READY" once its window is on the screen. Every line is flushed at once.
#include <QApplication>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <iostream>
#include <memory>

namespace {

void say(const QString& line)
{
    std::cout << line.toStdString() << std::endl;
}

class PeerWindow : public QWidget {
public:
    PeerWindow(const QRect& geometry, const QColor& colour)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , colour_(colour)
    {
        setGeometry(geometry);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), colour_);
        if (!std::exchange(announced_, true))
            QTimer::singleShot(0, this, [] { say("READY"); }); // after this paint reaches the server
    }

private:
    QColor colour_;
    bool announced_ = false;
};

class ClickWindow : public PeerWindow {
public:
    ClickWindow()
        : PeerWindow(QGuiApplication::primaryScreen()->geometry(), Qt::white)
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = event->globalPosition().toPoint();
        say(QString("CLICK %1 %2").arg(at.x()).arg(at.y()));
    }
};

class DragSourceWindow : public PeerWindow {
public:
    DragSourceWindow(QPoint topLeft, QList<QUrl> files)
        : PeerWindow(QRect(topLeft, QSize(120, 120)), QColor(40, 90, 200))
        , files_(std::move(files))
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override { pressedAt_ = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const bool held = event->buttons() & Qt::LeftButton;
        if (!held || dragging_ || (event->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
            return;
        dragging_ = true;
        auto* data = new QMimeData;
        data->setUrls(files_);
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        say(result == Qt::CopyAction ? "DRAGGED copy" : result == Qt::MoveAction ? "DRAGGED move" : "DRAGGED other");
        dragging_ = false;
    }

private:
    QList<QUrl> files_;
    QPoint pressedAt_;
    bool dragging_ = false;
};

class DropTargetWindow : public PeerWindow {
public:
    explicit DropTargetWindow(const QRect& geometry)
        : PeerWindow(geometry, QColor(220, 220, 220))
    {
        setAcceptDrops(true);
    }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override { acceptFiles(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { acceptFiles(event); }
    void dropEvent(QDropEvent* event) override
    {
        for (const QUrl& url : event->mimeData()->urls()) {
            if (url.isLocalFile()) {
                say("DROP " + url.toLocalFile());
                QTimer::singleShot(2000, [path = url.toLocalFile()] { readLater(path); });
            }
        }
        event->acceptProposedAction();
    }

private:
    static void acceptFiles(QDropEvent* event)
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    static void readLater(const QString& path)
    {
        QFile file(path);
        say(file.open(QIODevice::ReadOnly) ? "RECEIVED " + path + ": " + QString::fromUtf8(file.readAll()) : "MISSING " + path);
    }
};

std::unique_ptr<PeerWindow> windowFor(const QStringList& arguments)
{
    const QString mode = arguments.value(1);
    if (mode == "source" && arguments.size() >= 5) {
        QList<QUrl> files;
        for (const QString& path : arguments.mid(4))
            files.push_back(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
        return std::make_unique<DragSourceWindow>(QPoint(arguments[2].toInt(), arguments[3].toInt()), files);
    }
    if (mode == "receiver" && arguments.size() == 6)
        return std::make_unique<DropTargetWindow>(QRect(arguments[2].toInt(), arguments[3].toInt(), arguments[4].toInt(), arguments[5].toInt()));
    if (mode == "clicks")
        return std::make_unique<ClickWindow>();
    return nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::unique_ptr<PeerWindow> window = windowFor(app.arguments());
    if (!window) {
        std::cerr << "usage: kestrane_drag_peer source X Y FILE... | receiver X Y W H | clicks\n";
        return 2;
    }
    window->show();
    return app.exec();
}
