// Preloaded into the tool to make every read of a file whose name holds
// "slow-" take a while, as on a network share or a sleepy USB disk: each read
// is quick enough, the whole file is not.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

typedef ssize_t (*ReadFunction)(int, void *, size_t);

// ffmpeg, started by the tool, is to run as it is.
__attribute__((constructor)) static void forgetPreload(void)
{
    unsetenv("LD_PRELOAD");
}

static int isSlow(int fd)
{
    char link[64];
    char target[4096];
    snprintf(link, sizeof(link), "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, target, sizeof(target) - 1);
    if (length <= 0)
        return 0;
    target[length] = '\0';
    return strstr(target, "slow-") != NULL;
}

ssize_t read(int fd, void *buffer, size_t count)
{
    static ReadFunction real;
    if (!real)
        real = (ReadFunction)dlsym(RTLD_NEXT, "read");
    if (isSlow(fd)) {
        const struct timespec pause = {0, 40 * 1000 * 1000};
        nanosleep(&pause, NULL);
    }
    return real(fd, buffer, count);
}
