#include "stopsignalwatcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler can reach nothing but this; there is one watcher per process.
int handlerFd = -1;

void handle(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(handlerFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignalWatcher::StopSignalWatcher(QObject *parent)
    : QObject(parent)
{
    if (handlerFd >= 0 || !openPipe(pipeReadEnd, pipeWriteEnd, O_CLOEXEC | O_NONBLOCK))
        return;
    handlerFd = pipeWriteEnd.get();
    notifier = new QSocketNotifier(pipeReadEnd.get(), QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &StopSignalWatcher::readPipe);

    struct sigaction action = {};
    action.sa_handler = &handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : stopSignals)
        ::sigaction(number, &action, nullptr);
}

// The pipe's ends close after this, once no handler can write to them.
StopSignalWatcher::~StopSignalWatcher()
{
    if (!notifier)
        return;
    for (int number : stopSignals)
        std::signal(number, SIG_DFL);
    delete notifier;
    handlerFd = -1;
}

bool StopSignalWatcher::isWatching() const
{
    return notifier != nullptr;
}

void StopSignalWatcher::readPipe()
{
    char bytes[16];
    const ssize_t count = ::read(pipeReadEnd.get(), bytes, sizeof(bytes));
    // Leaving every loop, also that of a dialog that is open, since nobody is
    // there to answer it. Several signals in a row ask for the same thing.
    if (count > 0)
        QCoreApplication::exit(128 + bytes[0]);
}
