#pragma once

#include "app/core_dumps.h"

#include <QObject>

class QSocketNotifier;

namespace tessary {

// Turns SIGTERM, SIGHUP and SIGINT (a desktop logging out, a closed terminal, Ctrl+C) into a signal on the event
// loop, so the program shuts down as it does from its menus and saves what it holds. One instance per process.
class TerminationWatcher : public QObject
{
    Q_OBJECT
public:
    explicit TerminationWatcher(QObject* parent = nullptr);
    ~TerminationWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace tessary
