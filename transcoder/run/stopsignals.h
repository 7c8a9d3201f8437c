#ifndef STOPSIGNALS_H
#define STOPSIGNALS_H

#include <string>

class StopSignalPipe;

// The tool's one StopSignalPipe, so the conversion loop can wait for ffmpeg and
// for a stop request in one poll(). There is one stop request per process:
// functions say that plainly, where an object would pretend there could be
// several. A closed standard output fails a write instead of ending the tool.
namespace StopSignals {

bool install();
// Its readFd() wakes a poll() when a stop is requested.
StopSignalPipe &pipe();
bool requested();
int signalNumber();
// "stopped by <the signal's name>", the reason every part of a stopped conversion gives.
std::string stopReason();

// Around fork(): the child must not run our handler before exec.
void block();
void unblock();
void resetInChild();

} // namespace StopSignals

#endif // STOPSIGNALS_H
