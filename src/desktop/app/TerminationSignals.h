#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace kestrane {

// Turns SIGTERM and SIGINT (logout, Ctrl-C) into an orderly quit of the event loop, so
// that the shutdown steps run.
class TerminationSignals final : public QObject {
    Q_OBJECT

public:
    TerminationSignals();
    ~TerminationSignals() override;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace kestrane
