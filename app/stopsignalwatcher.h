#ifndef STOPSIGNALWATCHER_H
#define STOPSIGNALWATCHER_H

#include "posix/uniquefd.h"

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C) into the end of
// the application's event loop, with the shell's status for a signal (128 + N),
// so that everything is torn down in order: the window stops its run before it
// goes. The handler only writes to a pipe that the event loop watches.
class StopSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StopSignalWatcher(QObject *parent = nullptr);
    ~StopSignalWatcher() override;

    bool isWatching() const;

private:
    void readPipe();

    UniqueFd pipeReadEnd;
    UniqueFd pipeWriteEnd;
    QSocketNotifier *notifier = nullptr;
};

#endif // STOPSIGNALWATCHER_H
