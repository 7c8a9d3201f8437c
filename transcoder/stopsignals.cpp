#include "stopsignals.h"

#include "posix/uniquefd.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

UniqueFd pipeReadEnd;
UniqueFd pipeWriteEnd;
volatile std::sig_atomic_t firstSignal = 0;

sigset_t stopSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int number : stopSignals)
        sigaddset(&set, number);
    return set;
}

void handle(int signalNumber)
{
    const int savedErrno = errno;
    if (firstSignal == 0)
        firstSignal = signalNumber;
    const char byte = char(signalNumber);
    [[maybe_unused]] ssize_t written = write(pipeWriteEnd.get(), &byte, 1);
    errno = savedErrno;
}

} // namespace

bool StopSignals::install()
{
    if (!openPipe(pipeReadEnd, pipeWriteEnd, O_CLOEXEC | O_NONBLOCK))
        return false;
    struct sigaction action = {};
    action.sa_handler = &handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : stopSignals) {
        if (sigaction(number, &action, nullptr) != 0)
            return false;
    }
    // A closed standard output must fail a write, not end the tool before it
    // has cleaned up.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

int StopSignals::readFd()
{
    return pipeReadEnd.get();
}

bool StopSignals::requested()
{
    return firstSignal != 0;
}

int StopSignals::signalNumber()
{
    return firstSignal;
}

void StopSignals::block()
{
    const sigset_t set = stopSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void StopSignals::unblock()
{
    const sigset_t set = stopSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void StopSignals::resetInChild()
{
    for (int number : stopSignals)
        std::signal(number, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    unblock();
}
