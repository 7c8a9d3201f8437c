#include "ffmpegjobs.h"

#include "stopsignals.h"

#include "posix/stopsignalpipe.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <unistd.h>

FfmpegJobs::FfmpegJobs(int concurrency, const FfmpegProcess::Limits &limits)
    : concurrency(std::max(1, concurrency))
    , limits(limits)
{
}

bool FfmpegJobs::run(const std::vector<Job> &jobs)
{
    next = 0;
    firstError.clear();
    while (true) {
        while (firstError.empty() && !StopSignals::requested() && int(running.size()) < concurrency
               && next < jobs.size()) {
            if (!startNext(jobs))
                break;
        }
        if (running.empty())
            break;
        followOnce();
    }
    if (firstError.empty() && next < jobs.size())
        firstError = StopSignals::stopReason();
    return firstError.empty();
}

bool FfmpegJobs::startNext(const std::vector<Job> &jobs)
{
    const Job &job = jobs[next++];
    auto process = std::make_unique<FfmpegProcess>(job.arguments, job.inheritedFds, limits);
    if (!process->start()) {
        fail(process->error());
        return false;
    }
    running.push_back({std::move(process), &job});
    return true;
}

// A job ends when its process status tells, not when its pipes close: a
// child ffmpeg left behind may hold them open for ever.
void FfmpegJobs::followOnce()
{
    constexpr int count = FfmpegProcess::pollCount;
    std::vector<pollfd> fds(1 + running.size() * count);
    fds[0] = {StopSignals::pipe().readFd(), POLLIN, 0};
    const FfmpegProcess::Clock::time_point now = FfmpegProcess::Clock::now();
    int timeout = INT_MAX;
    for (std::size_t i = 0; i < running.size(); ++i) {
        running[i].process->fillPoll(&fds[1 + i * count]);
        timeout = std::min(timeout, running[i].process->pollTimeout(now));
    }
    if (poll(fds.data(), nfds_t(fds.size()), timeout) < 0 && errno != EINTR)
        usleep(10000);
    if (fds[0].revents & POLLIN)
        StopSignals::pipe().drain();
    std::vector<Running> stillRunning;
    std::vector<std::string> failures;
    for (std::size_t i = 0; i < running.size(); ++i) {
        FfmpegProcess &process = *running[i].process;
        const auto &onProgress = running[i].job->onProgress;
        if (!process.serve(&fds[1 + i * count], FfmpegProcess::Clock::now(), onProgress)) {
            process.abandon();
            failures.push_back(process.error());
        } else if (process.hasExited()) {
            if (!process.collect(onProgress))
                failures.push_back(process.error());
        } else {
            stillRunning.push_back(std::move(running[i]));
        }
    }
    running = std::move(stillRunning);
    for (const std::string &reason : failures)
        fail(reason);
}

// The first reason is the one told; the others only follow from it.
void FfmpegJobs::fail(const std::string &reason)
{
    if (!firstError.empty())
        return;
    firstError = reason;
    for (Running &other : running)
        other.process->stop("stopped with the rest of the conversion");
}
