#ifndef STOPSIGNALS_H
#define STOPSIGNALS_H

#include <csignal>

// Turns SIGTERM, SIGINT and SIGHUP into a readable pipe (the self-pipe trick),
// so the conversion loop can wait for ffmpeg and for a stop request in one poll().
// A signal handler can only reach static state; this class is the one place
// that holds it.
class StopSignals
{
public:
    static bool install();
    static int readFd() { return s_pipe[0]; }
    static bool requested() { return s_signal != 0; }
    static int signalNumber() { return s_signal; }

    // Around fork(): the child must not run our handler before exec.
    static void block();
    static void unblock();
    static void resetInChild();

private:
    static void handle(int signalNumber);

    static int s_pipe[2];
    static volatile std::sig_atomic_t s_signal;
};

#endif // STOPSIGNALS_H
