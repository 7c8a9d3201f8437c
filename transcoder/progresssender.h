#ifndef PROGRESSSENDER_H
#define PROGRESSSENDER_H

#include <cstdint>

// Sends the converted seconds to the application's progress socket, whose
// path the application put into our environment. Without it, nothing is sent.
class ProgressSender
{
public:
    explicit ProgressSender(std::uint32_t durationSeconds);
    ~ProgressSender();
    ProgressSender(const ProgressSender &) = delete;
    ProgressSender &operator=(const ProgressSender &) = delete;

    void report(std::uint32_t seconds);
    void finish();

private:
    int m_socket = -1;
    std::uint32_t m_duration;
    std::uint32_t m_lastSent = 0;
    bool m_terminal;
};

#endif // PROGRESSSENDER_H
