#ifndef STOPSIGNALWATCHER_H
#define STOPSIGNALWATCHER_H

#include "posix/stopsignalpipe.h"

#include <QObject>
#include <QSocketNotifier>

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C) into the end of
// the application's event loop, with the shell's status for a signal (128 + N),
// so that everything is torn down in order: the window stops its run before it
// goes. The event loop watches the signals' pipe.
class StopSignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit StopSignalWatcher(QObject *parent = nullptr);

private:
    void readPipe();

    StopSignalPipe pipe;
    // Declared after the pipe, so that it goes first.
    QSocketNotifier notifier{QSocketNotifier::Read};
};

#endif // STOPSIGNALWATCHER_H
