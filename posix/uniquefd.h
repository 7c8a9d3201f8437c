#ifndef UNIQUEFD_H
#define UNIQUEFD_H

// The one owner of a file descriptor: it closes it when it goes, so that no
// early return can leak one and none is closed twice. Moves, never copies.
class UniqueFd
{
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd(fd) {}
    ~UniqueFd();
    UniqueFd(UniqueFd &&other) noexcept;
    UniqueFd &operator=(UniqueFd &&other) noexcept;
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;

    int get() const { return fd; }
    bool isValid() const { return fd >= 0; }
    // Closes what it held, if anything, and takes newFd. errno survives, so
    // that a failure can still be reported after its descriptors are gone.
    void reset(int newFd = -1);
    // Hands the descriptor to an owner outside this type (a DIR stream).
    int release();

private:
    int fd = -1;
};

// pipe2() into two owners; false, with errno set, when there is no pipe.
bool openPipe(UniqueFd &readEnd, UniqueFd &writeEnd, int flags);

#endif // UNIQUEFD_H
