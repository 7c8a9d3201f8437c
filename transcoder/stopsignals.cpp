#include "stopsignals.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

int StopSignals::s_pipe[2] = {-1, -1};
volatile std::sig_atomic_t StopSignals::s_signal = 0;

namespace {
const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

sigset_t stopSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (int number : stopSignals)
        sigaddset(&set, number);
    return set;
}
} // namespace

bool StopSignals::install()
{
    if (pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = &StopSignals::handle;
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

void StopSignals::handle(int signalNumber)
{
    const int savedErrno = errno;
    if (s_signal == 0)
        s_signal = signalNumber;
    const char byte = char(signalNumber);
    [[maybe_unused]] ssize_t written = write(s_pipe[1], &byte, 1);
    errno = savedErrno;
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
