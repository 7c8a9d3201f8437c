#include "ffmpegprocess.h"

#include "stopsignals.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
// How long ffmpeg may take to end by itself after SIGTERM.
constexpr std::chrono::milliseconds stopGrace(1000);

void closeFd(int &fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}
} // namespace

FfmpegProcess::FfmpegProcess(const std::vector<std::string> &arguments, int inheritedFd)
    : m_arguments(arguments)
    , m_inheritedFd(inheritedFd)
{
}

FfmpegProcess::~FfmpegProcess()
{
    closeFd(m_progressFd);
    closeFd(m_logFd);
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool FfmpegProcess::start()
{
    int progressPipe[2], logPipe[2], execPipe[2];
    if (!openPipes(progressPipe, logPipe, execPipe)) {
        m_error = std::string("cannot start ffmpeg: ") + std::strerror(errno);
        return false;
    }
    const pid_t parent = getpid();
    StopSignals::block();
    m_pid = fork();
    if (m_pid == 0) {
        dup2(progressPipe[1], STDOUT_FILENO);
        dup2(logPipe[1], STDERR_FILENO);
        execInChild(parent, execPipe[1]);
    }
    const int forkError = errno;
    StopSignals::unblock();
    close(progressPipe[1]);
    close(logPipe[1]);
    close(execPipe[1]);
    m_progressFd = progressPipe[0];
    m_logFd = logPipe[0];
    const bool started = m_pid > 0 && readExecError(execPipe[0]);
    close(execPipe[0]);
    if (m_pid < 0)
        m_error = std::string("cannot start ffmpeg: ") + std::strerror(forkError);
    return started;
}

bool FfmpegProcess::openPipes(int progressPipe[2], int logPipe[2], int execPipe[2])
{
    if (pipe2(progressPipe, O_CLOEXEC) != 0)
        return false;
    if (pipe2(logPipe, O_CLOEXEC) == 0) {
        if (pipe2(execPipe, O_CLOEXEC) == 0)
            return true;
        const int error = errno;
        close(logPipe[0]);
        close(logPipe[1]);
        errno = error;
    }
    const int error = errno;
    close(progressPipe[0]);
    close(progressPipe[1]);
    errno = error;
    return false;
}

void FfmpegProcess::execInChild(pid_t parent, int execErrorFd)
{
    // If we die, even by SIGKILL, ffmpeg must not go on writing alone.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    StopSignals::resetInChild();
    const int nullFd = open("/dev/null", O_RDONLY);
    if (nullFd >= 0)
        dup2(nullFd, STDIN_FILENO);
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
    pump(onProgress);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return finish(status);
}

// Reads both of ffmpeg's pipes until it has closed them, and passes a stop
// request on: SIGTERM first, SIGKILL when it does not end soon enough.
void FfmpegProcess::pump(const ProgressHandler &onProgress)
{
    bool stopSent = false;
    bool killSent = false;
    std::chrono::steady_clock::time_point killTime;
    char buffer[4096];
    while (m_progressFd >= 0 || m_logFd >= 0) {
        if (StopSignals::requested() && !stopSent) {
            kill(m_pid, SIGTERM);
            stopSent = true;
            killTime = std::chrono::steady_clock::now() + stopGrace;
        }
        if (stopSent && !killSent && std::chrono::steady_clock::now() >= killTime) {
            kill(m_pid, SIGKILL);
            killSent = true;
        }
        pollfd fds[3] = {{m_progressFd, POLLIN, 0}, {m_logFd, POLLIN, 0}, {StopSignals::readFd(), POLLIN, 0}};
        const int timeout = stopSent && !killSent ? 50 : -1;
        if (poll(fds, 3, timeout) < 0 && errno != EINTR)
            break;
        if (fds[2].revents & POLLIN) {
            while (read(StopSignals::readFd(), buffer, sizeof(buffer)) > 0) {
            }
        }
        for (int i = 0; i < 2; ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            const ssize_t got = read(fds[i].fd, buffer, sizeof(buffer));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                closeFd(i == 0 ? m_progressFd : m_logFd);
            } else if (i == 0) {
                if (!stopSent)
                    onProgress(buffer, std::size_t(got));
            } else {
                keepErrorText(buffer, std::size_t(got));
            }
        }
    }
    if (stopSent && !killSent)
        kill(m_pid, SIGKILL);
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
    if (StopSignals::requested()) {
        m_error = std::string("stopped by ") + strsignal(StopSignals::signalNumber());
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::string lastLine;
    std::size_t end = m_log.find_last_not_of("\r\n");
    if (end != std::string::npos) {
        const std::size_t start = m_log.find_last_of("\r\n", end);
        lastLine = m_log.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1) + 1);
    }
    if (WIFSIGNALED(status))
        m_error = std::string("ffmpeg was killed by ") + strsignal(WTERMSIG(status));
    else
        m_error = "ffmpeg failed with status " + std::to_string(WEXITSTATUS(status));
    if (!lastLine.empty())
        m_error += ": " + lastLine;
    return false;
}
