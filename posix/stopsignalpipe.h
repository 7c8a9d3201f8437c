#ifndef STOPSIGNALPIPE_H
#define STOPSIGNALPIPE_H

#include "uniquefd.h"

#include <csignal>

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C) into bytes on a
// pipe that a program's loop waits on beside its other work (the self-pipe
// trick): the handler only notes the first signal and writes the number.
// A handler reaches nothing but process-wide state, so one pipe serves the
// whole process; another opened while it lives stays invalid. The actions it
// replaced come back when it goes.
class StopSignalPipe
{
public:
    StopSignalPipe();
    ~StopSignalPipe();
    StopSignalPipe(const StopSignalPipe &) = delete;
    StopSignalPipe &operator=(const StopSignalPipe &) = delete;

    bool isValid() const { return installed; }
    int readFd() const { return readEnd.get(); }
    // Empties the pipe, so that it never fills; what was in it says nothing
    // that firstSignal() does not.
    void drain() const;

    // The first stop signal this process caught, 0 before any.
    static int firstSignal();
    // Around fork(): the child must not run the handler before its exec.
    static void block();
    static void unblock();
    // In the child, before its exec: the default actions, nothing blocked.
    static void resetInChild();

private:
    UniqueFd readEnd;
    UniqueFd writeEnd;
    struct sigaction replaced[3] = {};
    bool installed = false;
};

#endif // STOPSIGNALPIPE_H
