#ifndef FFMPEGPROCESS_H
#define FFMPEGPROCESS_H

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// ffmpeg as our child, started without a shell. It dies with us (even when we
// are killed outright) and is stopped when we are asked to stop.
class FfmpegProcess
{
public:
    using ProgressHandler = std::function<void(const char *data, std::size_t size)>;

    FfmpegProcess(const std::vector<std::string> &arguments, int inheritedFd);
    ~FfmpegProcess();
    FfmpegProcess(const FfmpegProcess &) = delete;
    FfmpegProcess &operator=(const FfmpegProcess &) = delete;

    // Starts ffmpeg and returns at once; whatever it writes meanwhile waits
    // in its pipes. Destroying the object before wait() kills ffmpeg.
    bool start();
    // Follows ffmpeg to its end; its "-progress" output goes to the handler.
    // True only when it exited by itself with status 0.
    bool wait(const ProgressHandler &onProgress);
    const std::string &error() const { return m_error; }

private:
    static bool openPipes(int progressPipe[2], int logPipe[2], int execPipe[2]);
    [[noreturn]] void execInChild(pid_t parent, int execErrorFd);
    bool readExecError(int fd);
    void pump(const ProgressHandler &onProgress);
    void keepErrorText(const char *data, std::size_t size);
    bool finish(int status);

    std::vector<std::string> m_arguments;
    int m_inheritedFd;
    pid_t m_pid = -1;
    int m_progressFd = -1;
    int m_logFd = -1;
    std::string m_log;
    std::string m_error;
};

#endif // FFMPEGPROCESS_H
