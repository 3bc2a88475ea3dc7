// A stand-in for another application on the test display:
//   kestrane_drag_peer source X Y FILE...   drags the (absolute) files' URLs when pressed and
//                                           moved, and says "DRAGGED <action>" when the drag
//                                           is over
//   kestrane_drag_peer image X Y            the same with a PNG as a data URL, as browsers do
//   kestrane_drag_peer webimage X Y         a web page's picture as a browser offers it: its
//                                           address, HTML, its bytes untyped and a file name
//   kestrane_drag_peer text X Y TEXT        the text alone, as an editor drags a selection
//   kestrane_drag_peer hostile X Y KIND     a source that means harm: "flood" offers 80 MiB
//                                           of text, "stall" answers only after 6 s, "bogus"
//                                           offers a list of garbage as file addresses
//   kestrane_drag_peer receiver X Y W H     takes drops as a file manager does: says
//                                           "TEXT <text>" when text comes too, "DROP <path>"
//                                           for each file at the drop and only 2 s later
//                                           reads it: "RECEIVED <path>: <content>" or
//                                           "MISSING <path>"
//   kestrane_drag_peer clicks [lines|dark] [fullscreen] [keys]
//                                           covers the screen in white (or black) and says
//                                           "CLICK x y" for each press it receives, and with
//                                           "keys" "KEY <key>" ("KEY Esc", "KEY H") for each
//                                           key; with "lines", a patch of black lines like text
//                                           lies at (100, 600, 400, 120); with "fullscreen",
//                                           the window asks to be full screen
// Each says "READY" once its window is on the screen. Every line is flushed at once. On
// Wayland, where a window cannot place itself, each but "clicks" fills the screen.
#include <QApplication>
#include <QBuffer>
#include <QDrag>
#include <QFile>
#include <QImage>
#include <QKeySequence>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <iostream>

namespace {

void say(const QString& line)
{
    std::cout << line.toStdString() << std::endl;
}

QByteArray somePng()
{
    QImage image(16, 12, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    image.save(&buffer, "PNG");
    return png;
}

// What a hostile source offers: its content is made only when it is asked for.
class HostileData : public QMimeData {
public:
    explicit HostileData(QString kind)
        : kind_(std::move(kind))
    {
    }
    QStringList formats() const override { return { kind_ == "bogus" ? "text/uri-list" : "text/plain" }; }

protected:
    QVariant retrieveData(const QString& format, QMetaType) const override
    {
        if (kind_ == "flood")
            return QByteArray(80 * 1024 * 1024, 'x');
        if (kind_ == "stall") {
            QThread::sleep(6);
            return QByteArray("late");
        }
        return format == "text/uri-list" ? QByteArray("not an address\r\nfile://elsewhere/etc/passwd\r\n\x01\x02\r\n") : QByteArray();
    }

private:
    QString kind_;
};

// Every mode's window: only a source has URLs to drag, only a receiver accepts drops.
class PeerWindow : public QWidget {
public:
    PeerWindow(const QString& mode, const QRect& geometry)
        : QWidget(nullptr, Qt::FramelessWindowHint)
        , mode_(mode)
        , colour_(mode == "clicks"     ? QColor(Qt::white)
                  : mode == "receiver" ? QColor(220, 220, 220)
                                       : QColor(40, 90, 200))
    {
        setGeometry(geometry);
        setAcceptDrops(mode == "receiver");
    }

    QList<QUrl> offered;
    QString text;
    QString hostile;
    // Further types offered beside the URLs, with their content.
    QList<std::pair<QString, QByteArray>> alsoOffered;
    bool lines = false;
    bool reportsKeys = false;
    void darken() { colour_ = Qt::black; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), colour_);
        if (lines) {
            for (int y = 600; y < 720; y += 3)
                painter.fillRect(100, y, 400, 1, Qt::black);
        }
        if (!std::exchange(announced_, true))
            QTimer::singleShot(0, this, [] { say("READY"); }); // after this paint reaches the server
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        pressedAt_ = event->position().toPoint();
        const QPoint at = event->globalPosition().toPoint();
        if (mode_ == "clicks")
            say(QString("CLICK %1 %2").arg(at.x()).arg(at.y()));
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (reportsKeys)
            say("KEY " + QKeySequence(event->key()).toString(QKeySequence::PortableText));
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if ((offered.isEmpty() && text.isEmpty() && hostile.isEmpty()) || !(event->buttons() & Qt::LeftButton) || dragging_
            || (event->position().toPoint() - pressedAt_).manhattanLength() < QApplication::startDragDistance())
            return;
        dragging_ = true;
        auto* mime = hostile.isEmpty() ? new QMimeData : new HostileData(hostile);
        if (!offered.isEmpty())
            mime->setUrls(offered);
        if (!text.isEmpty())
            mime->setText(text);
        for (const auto& [type, content] : alsoOffered)
            mime->setData(type, content);
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
        say(result == Qt::CopyAction ? "DRAGGED copy" : result == Qt::MoveAction ? "DRAGGED move" : "DRAGGED other");
        dragging_ = false;
    }

    void dragEnterEvent(QDragEnterEvent* event) override { dragMoveEvent(event); }
    void dragMoveEvent(QDragMoveEvent* event) override
    {
        if (event->mimeData()->hasUrls())
            event->acceptProposedAction();
    }
    void dropEvent(QDropEvent* event) override
    {
        if (event->mimeData()->hasText())
            say("TEXT " + event->mimeData()->text());
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) {
                say("DROP " + url.toLocalFile());
                QTimer::singleShot(2000, [path = url.toLocalFile()] {
                    QFile file(path);
                    say(file.open(QIODevice::ReadOnly) ? "RECEIVED " + path + ": " + QString::fromUtf8(file.readAll()) : "MISSING " + path);
                });
            }
        event->acceptProposedAction();
    }

private:
    QString mode_;
    QColor colour_;
    bool announced_ = false;
    QPoint pressedAt_;
    bool dragging_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    const auto number = [&](int i) { return arguments.value(i).toInt(); };
    if (!QStringList { "source", "image", "webimage", "text", "hostile", "receiver", "clicks" }.contains(mode)) {
        std::cerr << "usage: kestrane_drag_peer source X Y FILE... | image X Y | webimage X Y | text X Y TEXT | hostile X Y KIND | "
                     "receiver X Y W H | clicks "
                     "[lines|dark] "
                     "[fullscreen] [keys]\n";
        return 2;
    }
    PeerWindow window(mode,
        mode == "clicks" ? QGuiApplication::primaryScreen()->geometry()
                         : QRect(number(2), number(3), mode == "receiver" ? number(4) : 120, mode == "receiver" ? number(5) : 120));
    if (mode == "image")
        window.offered.push_back(QUrl("data:image/png;base64," + QString::fromLatin1(somePng().toBase64())));
    if (mode == "webimage") {
        window.offered.push_back(QUrl("http://example.org/pictures/red%20dot.jpg"));
        window.alsoOffered = { { "text/html", "<img src=\"http://example.org/pictures/red%20dot.jpg\">" },
            { "application/octet-stream", somePng() }, { "XdndDirectSave0", "red dot.jpg" } };
    }
    if (mode == "text")
        window.text = arguments.value(4);
    if (mode == "hostile")
        window.hostile = arguments.value(4);
    for (const QString& path : mode == "source" ? arguments.mid(4) : QStringList())
        window.offered.push_back(QUrl::fromLocalFile(path));
    window.lines = mode == "clicks" && arguments.value(2) == "lines";
    window.reportsKeys = mode == "clicks" && arguments.contains("keys");
    if (mode == "clicks" && arguments.value(2) == "dark")
        window.darken();
    if (mode == "clicks" ? arguments.contains("fullscreen") : QGuiApplication::platformName() == "wayland")
        window.showFullScreen();
    else
        window.show();
    return app.exec();
}
