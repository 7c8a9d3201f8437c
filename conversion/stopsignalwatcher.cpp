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
int signalPipe[2] = {-1, -1};

} // namespace

StopSignalWatcher::StopSignalWatcher(QObject *parent)
    : QObject(parent)
{
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &StopSignalWatcher::readPipe);

    struct sigaction action = {};
    action.sa_handler = &StopSignalWatcher::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : stopSignals)
        ::sigaction(number, &action, nullptr);
}

StopSignalWatcher::~StopSignalWatcher()
{
    if (!notifier)
        return;
    for (int number : stopSignals)
        std::signal(number, SIG_DFL);
    delete notifier;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

bool StopSignalWatcher::isWatching() const
{
    return notifier != nullptr;
}

void StopSignalWatcher::handle(int signalNumber)
{
    const int savedErrno = errno;
    const char byte = char(signalNumber);
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void StopSignalWatcher::readPipe()
{
    char bytes[16];
    const ssize_t count = ::read(signalPipe[0], bytes, sizeof(bytes));
    // Leaving every loop, also that of a dialog that is open, since nobody is
    // there to answer it. Several signals in a row ask for the same thing.
    if (count > 0)
        QCoreApplication::exit(128 + bytes[0]);
}
