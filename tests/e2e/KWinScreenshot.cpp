// The screen of a KWin session, for tests:
//   kestrane_kwin_screenshot FILE
// asks KWin's ScreenShot2 D-Bus interface for the whole 1440 × 900 output, without the
// cursor, and saves it to FILE in the format its name ends with. Exits with 0 once saved,
// 1 when KWin refuses or is not there.
#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QImage>

#include <iostream>

#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: kestrane_kwin_screenshot FILE\n";
        return 2;
    }
    int pipe[2];
    if (::pipe(pipe) != 0)
        return 1;
    // KWin answers first, then writes the pixels into the pipe from another thread.
    QDBusInterface screenshots("org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2");
    const QDBusReply<QVariantMap> reply = screenshots.call("CaptureArea", 0, 0, 1440u, 900u, QVariantMap { { "native-resolution", true } },
        QVariant::fromValue(QDBusUnixFileDescriptor(pipe[1])));
    ::close(pipe[1]);
    if (!reply.isValid()) {
        std::cerr << "kestrane_kwin_screenshot: " << reply.error().message().toStdString() << "\n";
        return 1;
    }
    QFile input;
    input.open(pipe[0], QIODevice::ReadOnly, QFile::AutoCloseHandle);
    const QByteArray pixels = input.readAll();
    const QVariantMap shape = reply.value();
    const int stride = shape["stride"].toInt();
    const int height = shape["height"].toInt();
    if (shape["type"] != "raw" || pixels.size() < stride * height) {
        std::cerr << "kestrane_kwin_screenshot: KWin sent " << pixels.size() << " bytes\n";
        return 1;
    }
    const QImage image(reinterpret_cast<const uchar*>(pixels.constData()), shape["width"].toInt(), height, stride,
        static_cast<QImage::Format>(shape["format"].toInt()));
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
