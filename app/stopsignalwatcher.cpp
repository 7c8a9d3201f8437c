#include "stopsignalwatcher.h"

#include <QCoreApplication>

StopSignalWatcher::StopSignalWatcher(QObject *parent)
    : QObject(parent)
{
    if (!pipe.isValid())
        return;
    notifier.setSocket(pipe.readFd());
    connect(&notifier, &QSocketNotifier::activated, this, &StopSignalWatcher::readPipe);
    notifier.setEnabled(true);
}

void StopSignalWatcher::readPipe()
{
    pipe.drain();
    // Leaving every loop, also that of a dialog that is open, since nobody is
    // there to answer it. Several signals in a row ask for the same thing.
    if (StopSignalPipe::firstSignal() != 0)
        QCoreApplication::exit(128 + StopSignalPipe::firstSignal());
}
