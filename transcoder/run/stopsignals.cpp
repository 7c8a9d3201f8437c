#include "stopsignals.h"

#include "posix/stopsignalpipe.h"

#include <cstring>

// Installed by the first call and kept for the life of the process.
StopSignalPipe &StopSignals::pipe()
{
    static StopSignalPipe signalPipe;
    return signalPipe;
}

bool StopSignals::install()
{
    if (!pipe().isValid())
        return false;
    // A closed standard output must fail a write, not end the tool before it
    // has cleaned up.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool StopSignals::requested()
{
    return StopSignalPipe::firstSignal() != 0;
}

int StopSignals::signalNumber()
{
    return StopSignalPipe::firstSignal();
}

std::string StopSignals::stopReason()
{
    return std::string("stopped by ") + strsignal(signalNumber());
}

void StopSignals::block()
{
    StopSignalPipe::block();
}

void StopSignals::unblock()
{
    StopSignalPipe::unblock();
}

void StopSignals::resetInChild()
{
    StopSignalPipe::resetInChild();
    std::signal(SIGPIPE, SIG_DFL);
}
