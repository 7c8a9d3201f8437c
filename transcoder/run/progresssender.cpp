#include "progresssender.h"

#include "protocol/toolprotocol.h"

#include <unistd.h>

ProgressSender::ProgressSender(std::uint32_t durationSeconds, std::FILE *lines)
    : duration(durationSeconds)
    // Lines are for a program reading a pipe; a person sees the count instead.
    , lines(lines && !isatty(fileno(lines)) ? lines : nullptr)
    , terminal(isatty(STDERR_FILENO) ? stderr : nullptr)
{
}

void ProgressSender::report(std::uint32_t seconds)
{
    // Without a duration the application cannot place a value; for the
    // clamp, see progressPrefix.
    if (duration == 0)
        return;
    if (seconds > duration)
        seconds = duration;
    if (seconds <= lastSent)
        return;
    lastSent = seconds;
    if (lines) {
        std::fprintf(lines, "%s%u\n", progressPrefix, unsigned(seconds));
        std::fflush(lines);
    }
    if (terminal) {
        std::fprintf(terminal, "\rtarvelo-transcode: %u of %u s", unsigned(seconds), unsigned(duration));
        std::fflush(terminal);
    }
}

void ProgressSender::finish()
{
    report(duration);
    if (terminal && lastSent > 0)
        std::fputc('\n', terminal);
}
