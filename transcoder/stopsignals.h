#ifndef STOPSIGNALS_H
#define STOPSIGNALS_H

// Turns SIGTERM, SIGINT and SIGHUP into a readable pipe (the self-pipe trick),
// so the conversion loop can wait for ffmpeg and for a stop request in one poll().
// A signal handler can only reach process-wide state, and there is one stop
// request per process: functions over state of their own file say that
// plainly, where an object would pretend there could be several.
namespace StopSignals {

bool install();
int readFd();
bool requested();
int signalNumber();

// Around fork(): the child must not run our handler before exec.
void block();
void unblock();
void resetInChild();

} // namespace StopSignals

#endif // STOPSIGNALS_H
