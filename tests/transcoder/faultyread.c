// Preloaded into the tool to read files as failing media do. A file whose
// name holds "slow-" takes a while at every read, as a network share or a
// sleepy USB disk: each read is quick enough, the whole file is not. A file
// whose name holds "breaks-" cannot be read from the byte BREAKREAD_AT on, as
// a scratched disc or a failing disk: reads before it succeed, a read
// reaching it stops there, and any read from it on fails.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

typedef ssize_t (*ReadFunction)(int, void *, size_t);

static off_t breakAt = -1;

// ffmpeg, started by the tool, is to read the file as it is.
__attribute__((constructor)) static void forgetPreload(void)
{
    const char *at = getenv("BREAKREAD_AT");
    if (at)
        breakAt = (off_t)strtoll(at, NULL, 10);
    unsetenv("LD_PRELOAD");
}

static int nameHolds(int fd, const char *mark)
{
    char link[64];
    char target[4096];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof(target) - 1);
    if (length <= 0)
        return 0;
    target[length] = '\0';
    return strstr(target, mark) != NULL;
}

ssize_t read(int fd, void *buffer, size_t count)
{
    static ReadFunction real;
    if (!real)
        real = (ReadFunction)dlsym(RTLD_NEXT, "read");
    if (nameHolds(fd, "slow-")) {
        const struct timespec pause = {0, 30 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    if (breakAt >= 0 && nameHolds(fd, "breaks-")) {
        const off_t at = lseek(fd, 0, SEEK_CUR);
        if (at >= breakAt) {
            errno = EIO;
            return -1;
        }
        if (at >= 0 && (off_t)count > breakAt - at)
            count = (size_t)(breakAt - at);
    }
    return real(fd, buffer, count);
}
