#include "ffmpegprocess.h"

#include "stopsignals.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// How long ffmpeg may take to end by itself after SIGTERM.
constexpr std::chrono::milliseconds stopGrace(1000);
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

void setNonBlocking(int fd)
{
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}
} // namespace

FfmpegProcess::FfmpegProcess(const std::vector<std::string> &arguments, int inheritedFd,
                             std::chrono::milliseconds stallLimit)
    : m_arguments(arguments)
    , m_inheritedFd(inheritedFd)
    , m_stallLimit(stallLimit)
{
}

FfmpegProcess::~FfmpegProcess()
{
    m_progressFd.reset();
    m_logFd.reset();
    if (m_pid > 0) {
        killGroup(SIGKILL);
        const Clock::time_point giveUp = Clock::now() + killWait;
        while (waitpid(m_pid, nullptr, WNOHANG) == 0 && Clock::now() < giveUp)
            usleep(10000);
    }
    m_exitFd.reset();
}

bool FfmpegProcess::start()
{
    UniqueFd progressWriteEnd, logWriteEnd, execReadEnd, execWriteEnd;
    if (!openPipe(m_progressFd, progressWriteEnd, O_CLOEXEC) || !openPipe(m_logFd, logWriteEnd, O_CLOEXEC)
        || !openPipe(execReadEnd, execWriteEnd, O_CLOEXEC)) {
        m_error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    StopSignals::block();
    m_pid = fork();
    if (m_pid == 0) {
        dup2(progressWriteEnd.get(), STDOUT_FILENO);
        dup2(logWriteEnd.get(), STDERR_FILENO);
        execInChild(parent, execWriteEnd.get());
    }
    const int forkError = errno;
    StopSignals::unblock();
    if (m_pid > 0) {
        // Set from both sides, so the group exists whichever runs first.
        setpgid(m_pid, m_pid);
        m_exitFd.reset(openPidFd(m_pid));
    }
    // Only ffmpeg may hold the write ends, so that the pipes end with it.
    progressWriteEnd.reset();
    logWriteEnd.reset();
    execWriteEnd.reset();
    setNonBlocking(m_progressFd.get());
    setNonBlocking(m_logFd.get());
    const bool started = m_pid > 0 && readExecError(execReadEnd.get());
    if (m_pid < 0)
        m_error = std::string("cannot start ffmpeg: ") + std::strerror(forkError);
    return started;
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
    if (m_inheritedFd >= 0)
        fcntl(m_inheritedFd, F_SETFD, 0);
    std::vector<char *> argv;
    for (const std::string &argument : m_arguments)
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
    m_error = std::string("cannot start ffmpeg: ") + std::strerror(error);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    return false;
}

bool FfmpegProcess::wait(const ProgressHandler &onProgress)
{
    if (m_pid <= 0) {
        if (m_error.empty())
            m_error = "ffmpeg was not started";
        return false;
    }
    if (!follow(onProgress)) {
        m_error = m_stopReason + "; ffmpeg does not end and is left to the system";
        m_pid = -1;
        return false;
    }
    // Anything ffmpeg started must neither outlive it nor write into our
    // output after it has been checked.
    killGroup(SIGKILL);
    drainPipes(onProgress);
    int status = 0;
    pid_t reaped;
    while ((reaped = waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    if (reaped < 0) {
        m_error = std::string("lost track of ffmpeg: ") + std::strerror(errno);
        return false;
    }
    return finish(status);
}

// Waits for ffmpeg's end as its process status tells, not for its pipes to
// close: a child it left behind may hold them open for ever. False when ffmpeg
// was killed and still does not end.
bool FfmpegProcess::follow(const ProgressHandler &onProgress)
{
    Clock::time_point lastReport = Clock::now();
    while (!hasExited()) {
        const Clock::time_point now = Clock::now();
        if (!superviseStop(now, lastReport))
            return false;
        pollfd fds[4] = {{m_progressFd.get(), POLLIN, 0}, {m_logFd.get(), POLLIN, 0},
                         {StopSignals::readFd(), POLLIN, 0}, {m_exitFd.get(), POLLIN, 0}};
        if (poll(fds, 4, pollTimeout(now, lastReport)) < 0 && errno != EINTR)
            usleep(10000);
        if (fds[2].revents & POLLIN) {
            char bytes[64];
            while (read(StopSignals::readFd(), bytes, sizeof(bytes)) > 0) {
            }
        }
        if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) && readPipe(m_progressFd, onProgress) > 0)
            lastReport = Clock::now();
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
            readPipe(m_logFd, onProgress);
    }
    return true;
}

// Passes a stop request on, and the watchdog's: SIGTERM first, so that ffmpeg
// ends in order, then SIGKILL to it and all it started. False once waiting
// any longer would leave our own stop request unanswered.
bool FfmpegProcess::superviseStop(Clock::time_point now, Clock::time_point lastReport)
{
    if (m_stopReason.empty()) {
        if (StopSignals::requested()) {
            m_stopReason = std::string("stopped by ") + strsignal(StopSignals::signalNumber());
        } else if (now - lastReport >= m_stallLimit) {
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(m_stallLimit).count();
            m_stopReason = "ffmpeg made no progress for " + std::to_string(seconds) + " s";
        } else {
            return true;
        }
        kill(m_pid, SIGTERM);
        m_killTime = now + stopGrace;
    } else if (!m_killSent && now >= m_killTime) {
        killGroup(SIGKILL);
        m_killSent = true;
        m_abandonTime = now + killWait;
    }
    return !m_killSent || now < m_abandonTime;
}

int FfmpegProcess::pollTimeout(Clock::time_point now, Clock::time_point lastReport) const
{
    Clock::time_point next;
    if (m_stopReason.empty())
        next = lastReport + m_stallLimit;
    else
        next = m_killSent ? m_abandonTime : m_killTime;
    if (!m_exitFd.isValid())
        next = std::min(next, now + exitCheckInterval);
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(next - now).count();
    return int(std::clamp<decltype(milliseconds)>(milliseconds, 0, INT_MAX));
}

bool FfmpegProcess::hasExited() const
{
    // WNOWAIT leaves ffmpeg a zombie: its process group cannot vanish, nor
    // its number be reused, while we end what it started.
    siginfo_t info = {};
    if (waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
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
    if (&fd == &m_logFd)
        keepErrorText(buffer, std::size_t(got));
    else if (m_stopReason.empty())
        onProgress(buffer, std::size_t(got));
    return std::size_t(got);
}

// What ffmpeg wrote before its end is all in the pipes by now.
void FfmpegProcess::drainPipes(const ProgressHandler &onProgress)
{
    std::size_t total = 0;
    for (bool more = true; more && total < drainLimit;) {
        more = false;
        for (UniqueFd *fd : {&m_progressFd, &m_logFd}) {
            const std::size_t got = fd->isValid() ? readPipe(*fd, onProgress) : 0;
            total += got;
            more = more || got > 0;
        }
    }
    m_progressFd.reset();
    m_logFd.reset();
}

void FfmpegProcess::killGroup(int signalNumber) const
{
    // ffmpeg leads its own group; should that have failed, it alone is hit.
    if (kill(-m_pid, signalNumber) != 0)
        kill(m_pid, signalNumber);
}

// Only the last line matters for our one-line reason; keep a bounded tail.
void FfmpegProcess::keepErrorText(const char *data, std::size_t size)
{
    m_log.append(data, size);
    if (m_log.size() > 8192)
        m_log.erase(0, m_log.size() - 4096);
}

bool FfmpegProcess::finish(int status)
{
    if (m_stopReason.empty() && StopSignals::requested())
        m_stopReason = std::string("stopped by ") + strsignal(StopSignals::signalNumber());
    if (!m_stopReason.empty()) {
        m_error = m_stopReason;
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    const std::string lastLine = lastLineOf(m_log);
    if (WIFSIGNALED(status))
        m_error = std::string("ffmpeg was killed by ") + strsignal(WTERMSIG(status));
    else
        m_error = "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status));
    if (!lastLine.empty())
        m_error += ": " + lastLine;
    return false;
}
