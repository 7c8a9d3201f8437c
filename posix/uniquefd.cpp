#include "uniquefd.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

UniqueFd::~UniqueFd()
{
    reset();
}

UniqueFd::UniqueFd(UniqueFd &&other) noexcept
    : fd(std::exchange(other.fd, -1))
{
}

UniqueFd &UniqueFd::operator=(UniqueFd &&other) noexcept
{
    if (this != &other)
        reset(std::exchange(other.fd, -1));
    return *this;
}

void UniqueFd::reset(int newFd)
{
    if (fd >= 0 && fd != newFd) {
        const int savedErrno = errno;
        // Linux releases the descriptor even when close() fails, so retrying
        // could close one that another thread has just been given.
        ::close(fd);
        errno = savedErrno;
    }
    fd = newFd;
}

int UniqueFd::release()
{
    return std::exchange(fd, -1);
}

bool openPipe(UniqueFd &readEnd, UniqueFd &writeEnd, int flags)
{
    int ends[2];
    if (::pipe2(ends, flags) != 0)
        return false;
    readEnd.reset(ends[0]);
    writeEnd.reset(ends[1]);
    return true;
}
