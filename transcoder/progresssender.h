#ifndef PROGRESSSENDER_H
#define PROGRESSSENDER_H

#include "posix/uniquefd.h"

#include <cstdint>

// Sends the converted seconds to the application's progress socket, whose
// path the application put into our environment. Without it, nothing is sent.
class ProgressSender
{
public:
    explicit ProgressSender(std::uint32_t durationSeconds);

    void report(std::uint32_t seconds);
    void finish();

private:
    UniqueFd socketFd;
    std::uint32_t duration;
    std::uint32_t lastSent = 0;
    bool terminal;
};

#endif // PROGRESSSENDER_H
