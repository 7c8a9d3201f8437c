#include "stopsignalpipe.h"

#include <cerrno>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// All the handler can reach; set while a pipe is installed.
int handlerFd = -1;
volatile std::sig_atomic_t firstCaught = 0;

void handle(int signalNumber)
{
    const int savedErrno = errno;
    if (firstCaught == 0)
        firstCaught = signalNumber;
    const char byte = char(signalNumber);
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(handlerFd, &byte, 1);
    errno = savedErrno;
}

void changeMask(int how)
{
    sigset_t set;
    sigemptyset(&set);
    for (int number : stopSignals)
        sigaddset(&set, number);
    ::sigprocmask(how, &set, nullptr);
}

} // namespace

static_assert(std::size(stopSignals) == 3, "one saved action per stop signal");

StopSignalPipe::StopSignalPipe()
{
    if (handlerFd >= 0 || !openPipe(readEnd, writeEnd, O_CLOEXEC | O_NONBLOCK))
        return;
    handlerFd = writeEnd.get();
    struct sigaction action = {};
    action.sa_handler = &handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed = true;
    for (std::size_t i = 0; i < std::size(stopSignals); ++i)
        installed = ::sigaction(stopSignals[i], &action, &replaced[i]) == 0 && installed;
}

// The pipe's ends close after this, once no handler can write to them.
StopSignalPipe::~StopSignalPipe()
{
    if (handlerFd != writeEnd.get() || !writeEnd.isValid())
        return;
    for (std::size_t i = 0; i < std::size(stopSignals); ++i)
        ::sigaction(stopSignals[i], &replaced[i], nullptr);
    handlerFd = -1;
}

void StopSignalPipe::drain() const
{
    char bytes[64];
    while (::read(readEnd.get(), bytes, sizeof(bytes)) > 0) {
    }
}

int StopSignalPipe::firstSignal()
{
    return firstCaught;
}

void StopSignalPipe::block()
{
    changeMask(SIG_BLOCK);
}

void StopSignalPipe::unblock()
{
    changeMask(SIG_UNBLOCK);
}

void StopSignalPipe::resetInChild()
{
    for (int number : stopSignals)
        std::signal(number, SIG_DFL);
    unblock();
}
