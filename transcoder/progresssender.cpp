#include "progresssender.h"

#include "posix/unixsocketaddress.h"
#include "protocol/toolprotocol.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

ProgressSender::ProgressSender(std::uint32_t durationSeconds)
    : m_duration(durationSeconds)
    , m_terminal(isatty(STDERR_FILENO))
{
    const char *path = std::getenv(progressSocketVariable);
    if (!path || !*path)
        return;
    sockaddr_un address;
    if (!fillUnixSocketAddress(&address, path, std::strlen(path)))
        return;
    m_socket.reset(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    // Connecting once makes every report a plain send() to the same place.
    if (m_socket.isValid() && connect(m_socket.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
        m_socket.reset();
}

void ProgressSender::report(std::uint32_t seconds)
{
    // Without a duration the application cannot place a value, and one above
    // it would run the bar past the file.
    if (m_duration == 0)
        return;
    if (seconds > m_duration)
        seconds = m_duration;
    if (seconds <= m_lastSent)
        return;
    if (m_terminal) {
        std::fprintf(stderr, "\rtarvelo-transcode: %u of %u s", unsigned(seconds), unsigned(m_duration));
        std::fflush(stderr);
    }
    if (!m_socket.isValid()) {
        m_lastSent = seconds;
        return;
    }
    const ProgressMessage message = {registeredMessageId(progressMessageName), seconds};
    // Never wait for a busy window; a report that does not fit now is
    // retried with the next, larger value.
    if (send(m_socket.get(), &message, sizeof(message), MSG_DONTWAIT | MSG_NOSIGNAL) == sizeof(message))
        m_lastSent = seconds;
}

void ProgressSender::finish()
{
    report(m_duration);
    if (m_terminal && m_lastSent > 0)
        std::fputc('\n', stderr);
}
