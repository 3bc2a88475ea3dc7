// A stand-in for another application on the test display:
//   kestrane_drag_peer source X Y FILE...   drags the files' URLs when pressed and moved
//   kestrane_drag_peer receiver X Y W H     says "DROP <path>" for each file dropped on it,
//                                           then reads it 2 s later (see DropTargetWindow)
//   kestrane_drag_peer clicks X Y W H       says "CLICK x y" for each press it receives
// Each says "READY" once its window is on the screen.
#include "ClickWindow.h"
#include "DragSourceWindow.h"
#include "DropTargetWindow.h"

#include <QApplication>
#include <QFileInfo>

#include <iostream>
#include <memory>

using namespace kestrane::e2e;

namespace {
int usage()
{
    std::cerr << "usage: kestrane_drag_peer source X Y FILE... | receiver X Y W H | clicks X Y W H\n";
    return 2;
}

QRect rectangleFrom(const QStringList& arguments)
{
    return { arguments[2].toInt(), arguments[3].toInt(), arguments[4].toInt(), arguments[5].toInt() };
}

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
        return std::make_unique<DropTargetWindow>(rectangleFrom(arguments));
    if (mode == "clicks" && arguments.size() == 6)
        return std::make_unique<ClickWindow>(rectangleFrom(arguments));
    return nullptr;
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::unique_ptr<PeerWindow> window = windowFor(app.arguments());
    if (!window)
        return usage();
    window->show();
    return app.exec();
}
