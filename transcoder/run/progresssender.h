#ifndef PROGRESSSENDER_H
#define PROGRESSSENDER_H

#include <cstdint>
#include <cstdio>

// Reports the converted seconds to whoever started us, as progress lines on
// standard output, and to a person at a terminal on standard error.
class ProgressSender
{
public:
    explicit ProgressSender(std::uint32_t durationSeconds, std::FILE *lines = stdout);

    void report(std::uint32_t seconds);
    void finish();

private:
    std::uint32_t duration;
    std::uint32_t lastSent = 0;
    std::FILE *lines;
    std::FILE *terminal;
};

#endif // PROGRESSSENDER_H
