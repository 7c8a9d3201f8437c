#include "ffmpegprocess.h"

#include "stopsignals.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// How long we wait for the end after SIGKILL. A process stuck in the kernel
// (a wedged device, a dead network mount) only dies when its call returns; we
// do not wait for that, so that a stop request is always answered in seconds.
constexpr std::chrono::milliseconds killWait(2000);
// Without a pidfd (an old kernel) the end of ffmpeg is looked for this often.
constexpr std::chrono::milliseconds exitCheckInterval(100);
// What a leftover writer could still push into the pipes is not read for ever.
constexpr std::size_t drainLimit = 1 << 20;

int openPidFd(pid_t pid)
{
#ifdef SYS_pidfd_open
    return int(syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// ffmpeg ends its lines with "\n", and its status lines with "\r" alone.
std::string lastLineOf(const std::string &text)
{
    const std::size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos)
        return {};
    const std::size_t newline = text.find_last_of("\r\n", end);
    const std::size_t start = newline == std::string::npos ? 0 : newline + 1;
    return text.substr(start, end + 1 - start);
}

// A limit set below a second reads "0.2 s", not "0 s".
std::string secondsText(std::chrono::milliseconds duration)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%g s", double(duration.count()) / 1000);
    return text;
}

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}
} // namespace

FfmpegProcess::FfmpegProcess(const std::vector<std::string> &arguments, const std::vector<int> &inheritedFds,
                             const Limits &limits)
    : arguments(arguments)
    , inheritedFds(inheritedFds)
    , limits(limits)
{
}

FfmpegProcess::~FfmpegProcess()
{
    progressFd.reset();
    logFd.reset();
    if (pid > 0) {
        killGroup(SIGKILL);
        const Clock::time_point giveUp = Clock::now() + killWait;
        while (waitpid(pid, nullptr, WNOHANG) == 0 && Clock::now() < giveUp)
            usleep(10000);
    }
}

bool FfmpegProcess::start()
{
    UniqueFd progressWriteEnd, logWriteEnd, execReadEnd, execWriteEnd;
    if (!openPipe(progressFd, progressWriteEnd, O_CLOEXEC) || !openPipe(logFd, logWriteEnd, O_CLOEXEC)
        || !openPipe(execReadEnd, execWriteEnd, O_CLOEXEC)) {
        lastError = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    StopSignals::block();
    pid = fork();
    if (pid == 0) {
        dup2(progressWriteEnd.get(), STDOUT_FILENO);
        dup2(logWriteEnd.get(), STDERR_FILENO);
        execInChild(parent, execWriteEnd.get());
    }
    const int forkError = errno;
    StopSignals::unblock();
    if (pid > 0) {
        // Set from both sides, so the group exists whichever runs first.
        setpgid(pid, pid);
        exitFd.reset(openPidFd(pid));
        lastReport = Clock::now();
    }
    // Only ffmpeg may hold the write ends, so that the pipes end with it.
    progressWriteEnd.reset();
    logWriteEnd.reset();
    execWriteEnd.reset();
    setNonBlocking(progressFd.get());
    setNonBlocking(logFd.get());
    if (pid < 0) {
        lastError = std::string("cannot start ffmpeg: ") + std::strerror(forkError);
        return false;
    }
    // A failed exec leaves pid at -1 and its own reason in lastError.
    return readExecError(execReadEnd.get());
}

void FfmpegProcess::execInChild(pid_t parent, int execErrorFd)
{
    // If we die, even by SIGKILL, ffmpeg must not go on writing alone.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    // Its own group, so that whatever it starts can be ended along with it.
    setpgid(0, 0);
    StopSignals::resetInChild();
    // Close-on-exec, so that only the copy on standard input reaches ffmpeg.
    const int nullFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nullFd > STDIN_FILENO)
        dup2(nullFd, STDIN_FILENO);
    else if (nullFd == STDIN_FILENO)
        fcntl(STDIN_FILENO, F_SETFD, 0);
    for (int fd : inheritedFds) {
        if (fd >= 0)
            fcntl(fd, F_SETFD, 0);
    }
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] ssize_t written = write(execErrorFd, &error, sizeof(error));
    _exit(127);
}

// The close-on-exec pipe stays silent when exec worked and carries errno when not.
bool FfmpegProcess::readExecError(int fd)
{
    int error = 0;
    ssize_t got;
    do {
        got = read(fd, &error, sizeof(error));
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return true;
    lastError = std::string("cannot start ffmpeg: ") + std::strerror(error);
    if (error == ENOENT)
        lastError += " (ffmpeg is not installed, or not on PATH)";
    waitpid(pid, nullptr, 0);
    pid = -1;
    return false;
}

void FfmpegProcess::abandon()
{
    lastError = stopReason + "; ffmpeg does not end and is left to the system";
    pid = -1;
}

bool FfmpegProcess::collect(const ProgressHandler &onProgress)
{
    // Anything ffmpeg started must neither outlive it nor write into our
    // output after it has been checked.
    killGroup(SIGKILL);
    drainPipes(onProgress);
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
    }
    pid = -1;
    if (reaped < 0) {
        lastError = std::string("lost track of ffmpeg: ") + std::strerror(errno);
        return false;
    }
    return finish(status);
}

void FfmpegProcess::fillPoll(pollfd *fds) const
{
    fds[0] = {progressFd.get(), POLLIN, 0};
    fds[1] = {logFd.get(), POLLIN, 0};
    fds[2] = {exitFd.get(), POLLIN, 0};
}

bool FfmpegProcess::serve(const pollfd *fds, Clock::time_point now, const ProgressHandler &onProgress)
{
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && readPipe(progressFd, onProgress) > 0)
        lastReport = now;
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
        readPipe(logFd, onProgress);
    return superviseStop(now);
}

void FfmpegProcess::stop(const std::string &reason)
{
    if (pid <= 0 || !stopReason.empty())
        return;
    stopReason = reason;
    kill(pid, SIGTERM);
    killTime = Clock::now() + limits.stopGrace;
}

// Passes a stop request on, and the watchdog's: SIGTERM first, so that ffmpeg
// ends in order, then SIGKILL to it and all it started. False once waiting
// any longer would leave our own stop request unanswered.
bool FfmpegProcess::superviseStop(Clock::time_point now)
{
    if (stopReason.empty()) {
        if (StopSignals::requested()) {
            stop(StopSignals::stopReason());
        } else if (now - lastReport >= limits.stall) {
            stop("ffmpeg made no progress for " + secondsText(limits.stall));
        }
    } else if (!killSent && now >= killTime) {
        killGroup(SIGKILL);
        killSent = true;
        abandonTime = now + killWait;
    }
    return !killSent || now < abandonTime;
}

int FfmpegProcess::pollTimeout(Clock::time_point now) const
{
    Clock::time_point next;
    if (stopReason.empty())
        next = lastReport + limits.stall;
    else
        next = killSent ? abandonTime : killTime;
    if (!exitFd.isValid())
        next = std::min(next, now + exitCheckInterval);
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return int(std::clamp<decltype(milliseconds)>(milliseconds, 0, INT_MAX));
}

bool FfmpegProcess::hasExited() const
{
    // WNOWAIT leaves ffmpeg a zombie: its process group cannot vanish, nor
    // its number be reused, while we end what it started.
    siginfo_t info = {};
    if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return errno != EINTR;
    return info.si_pid != 0;
}

// Returns how many bytes came; the end of the pipe, or an error, closes our end.
std::size_t FfmpegProcess::readPipe(UniqueFd &fd, const ProgressHandler &onProgress)
{
    char buffer[4096];
    const ssize_t got = read(fd.get(), buffer, sizeof(buffer));
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return 0;
    if (got <= 0) {
        fd.reset();
        return 0;
    }
    if (&fd == &logFd)
        keepErrorText(buffer, std::size_t(got));
    else if (stopReason.empty())
        onProgress(buffer, std::size_t(got));
    return std::size_t(got);
}

// What ffmpeg wrote before its end is all in the pipes by now.
void FfmpegProcess::drainPipes(const ProgressHandler &onProgress)
{
    std::size_t total = 0;
    for (bool more = true; more && total < drainLimit;) {
        more = false;
        for (UniqueFd *fd : {&progressFd, &logFd}) {
            const std::size_t got = fd->isValid() ? readPipe(*fd, onProgress) : 0;
            total += got;
            more = more || got > 0;
        }
    }
    progressFd.reset();
    logFd.reset();
}

void FfmpegProcess::killGroup(int signalNumber) const
{
    // ffmpeg leads its own group; should that have failed, it alone is hit.
    if (kill(-pid, signalNumber) != 0)
        kill(pid, signalNumber);
}

// Only the last line matters for our one-line reason; keep a bounded tail.
void FfmpegProcess::keepErrorText(const char *data, std::size_t size)
{
    logTail.append(data, size);
    if (logTail.size() > 8192)
        logTail.erase(0, logTail.size() - 4096);
}

bool FfmpegProcess::finish(int status)
{
    if (stopReason.empty() && StopSignals::requested())
        stopReason = StopSignals::stopReason();
    if (!stopReason.empty()) {
        lastError = stopReason;
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    const std::string lastLine = lastLineOf(logTail);
    if (WIFSIGNALED(status))
        lastError = std::string("ffmpeg was killed by ") + strsignal(WTERMSIG(status));
    else
        lastError = "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status));
    if (!lastLine.empty())
        lastError += ": " + lastLine;
    return false;
}
