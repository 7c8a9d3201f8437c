#ifndef FFMPEGJOBS_H
#define FFMPEGJOBS_H

#include "ffmpegprocess.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Several ffmpeg processes, at most a given number at once, followed in one
// poll(). Each keeps its own stall watchdog; a stop request reaches them all,
// and the first failure stops the rest, so that none outlives the run.
class FfmpegJobs
{
public:
    struct Job
    {
        std::vector<std::string> arguments;
        std::vector<int> inheritedFds;
        FfmpegProcess::ProgressHandler onProgress;
    };

    FfmpegJobs(int concurrency, const FfmpegProcess::Limits &limits);

    // True only when every job ran and succeeded.
    bool run(const std::vector<Job> &jobs);
    const std::string &error() const { return firstError; }

private:
    struct Running
    {
        std::unique_ptr<FfmpegProcess> process;
        const Job *job;
    };

    bool startNext(const std::vector<Job> &jobs);
    void followOnce();
    void fail(const std::string &reason);

    int concurrency;
    FfmpegProcess::Limits limits;
    std::vector<Running> running;
    std::size_t next = 0;
    std::string firstError;
};

#endif // FFMPEGJOBS_H
