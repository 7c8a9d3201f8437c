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
    : duration(durationSeconds)
    , terminal(isatty(STDERR_FILENO))
{
    const char *path = std::getenv(progressSocketVariable);
    if (!path || !*path)
        return;
    sockaddr_un address;
    if (!fillUnixSocketAddress(&address, path, std::strlen(path)))
        return;
    socketFd.reset(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!socketFd.isValid())
        return;
    // Connecting once makes every report a plain send() to the same place.
    if (connect(socketFd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
        socketFd.reset();
}

void ProgressSender::report(std::uint32_t seconds)
{
    // Without a duration the application cannot place a value, and one above
    // it would run the bar past the file.
    if (duration == 0)
        return;
    if (seconds > duration)
        seconds = duration;
    if (seconds <= lastSent)
        return;
    if (terminal) {
        std::fprintf(stderr, "\rtarvelo-transcode: %u of %u s", unsigned(seconds), unsigned(duration));
        std::fflush(stderr);
    }
    if (!socketFd.isValid()) {
        lastSent = seconds;
        return;
    }
    const ProgressMessage message = {registeredMessageId(progressMessageName), seconds};
    // Never wait for a busy window; a report that does not fit now is
    // retried with the next, larger value.
    if (send(socketFd.get(), &message, sizeof(message), MSG_DONTWAIT | MSG_NOSIGNAL) == sizeof(message))
        lastSent = seconds;
}

void ProgressSender::finish()
{
    report(duration);
    if (terminal && lastSent > 0)
        std::fputc('\n', stderr);
}
