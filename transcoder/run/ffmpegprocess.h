#ifndef FFMPEGPROCESS_H
#define FFMPEGPROCESS_H

#include "posix/uniquefd.h"

#include <chrono>
#include <functional>
#include <poll.h>
#include <string>
#include <sys/types.h>
#include <vector>

// ffmpeg as our child, started without a shell. It dies with us (even when we
// are killed outright), is stopped when we are asked to stop or when it stops
// reporting progress, and whatever it started goes with it.
class FfmpegProcess
{
public:
    using ProgressHandler = std::function<void(const char *data, std::size_t size)>;

    struct Limits
    {
        // Without a progress report for this long, ffmpeg has stalled and is stopped.
        std::chrono::milliseconds stall;
        // How long a stopped ffmpeg may take to end by itself before it is killed.
        std::chrono::milliseconds stopGrace;
    };

    // ffmpeg opens each of these descriptors by its /proc/self/fd path.
    FfmpegProcess(const std::vector<std::string> &arguments, const std::vector<int> &inheritedFds,
                  const Limits &limits);
    ~FfmpegProcess();
    FfmpegProcess(const FfmpegProcess &) = delete;
    FfmpegProcess &operator=(const FfmpegProcess &) = delete;

    // Starts ffmpeg and returns at once; whatever it writes meanwhile waits
    // in its pipes. Destroying the object before collect() kills ffmpeg.
    bool start();
    const std::string &error() const { return lastError; }

    // Following ffmpeg to its end, in a poll() shared with others; its
    // "-progress" output goes to the handler.
    using Clock = std::chrono::steady_clock;
    static constexpr int pollCount = 3;
    void fillPoll(pollfd *fds) const;
    // False once ffmpeg was killed and still does not end.
    bool serve(const pollfd *fds, Clock::time_point now, const ProgressHandler &onProgress);
    bool hasExited() const;
    int pollTimeout(Clock::time_point now) const;
    // Ends ffmpeg in order, then by force; its result is then a failure for this reason.
    void stop(const std::string &reason);
    // Once hasExited(): true only when ffmpeg exited by itself with status 0.
    bool collect(const ProgressHandler &onProgress);
    // Gives up on an ffmpeg that does not end even when killed.
    void abandon();

private:

    [[noreturn]] void execInChild(pid_t parent, int execErrorFd);
    bool readExecError(int fd);
    bool superviseStop(Clock::time_point now);
    std::size_t readPipe(UniqueFd &fd, const ProgressHandler &onProgress);
    void drainPipes(const ProgressHandler &onProgress);
    void killGroup(int signalNumber) const;
    void keepErrorText(const char *data, std::size_t size);
    bool finish(int status);

    std::vector<std::string> arguments;
    std::vector<int> inheritedFds;
    Limits limits;
    pid_t pid = -1;
    UniqueFd exitFd;      // a pidfd, readable once ffmpeg has ended
    UniqueFd progressFd;
    UniqueFd logFd;
    // Why we are stopping ffmpeg, empty while it runs on its own.
    std::string stopReason;
    Clock::time_point lastReport;
    Clock::time_point killTime;
    Clock::time_point abandonTime;
    bool killSent = false;
    std::string logTail;
    std::string lastError;
};

#endif // FFMPEGPROCESS_H
