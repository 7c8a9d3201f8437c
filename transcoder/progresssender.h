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
    UniqueFd m_socket;
    std::uint32_t m_duration;
    std::uint32_t m_lastSent = 0;
    bool m_terminal;
};

#endif // PROGRESSSENDER_H
