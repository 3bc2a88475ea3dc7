#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

namespace kestrane {

// Writes what a receiver asked for into the pipe it reads, as fast as it reads, on the main
// thread and without ever waiting for it; the writer goes when all is written, when the
// receiver closes its end, or when it has read nothing for a while. It outlives the drag or
// selection it serves: a receiver may read well after the drop.
class PipeWriter final : public QObject {
public:
    static constexpr int stallTimeoutMs = 30000;

    // Takes the pipe's end.
    static void start(int fd, QByteArray bytes);

private:
    PipeWriter(int fd, QByteArray bytes);
    ~PipeWriter() override;
    void writeMore();

    int fd_;
    QByteArray bytes_;
    qsizetype written_ = 0;
    QSocketNotifier notifier_;
    QTimer stall_;
};

} // namespace kestrane
