#ifndef STOPSIGNALWATCHER_H
#define STOPSIGNALWATCHER_H

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C) into a signal
// on the GUI thread, where the application can end its run in order. The
// handler only writes to a pipe that the event loop watches.
class StopSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StopSignalWatcher(QObject *parent = nullptr);
    ~StopSignalWatcher() override;

    bool isWatching() const;

signals:
    void received(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    QSocketNotifier *notifier = nullptr;
};

#endif // STOPSIGNALWATCHER_H
