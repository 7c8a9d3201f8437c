// Preloaded into the tool to make it behave as on vfat or exFAT, where
// open(O_TMPFILE) fails with EOPNOTSUPP.
#define _GNU_SOURCE
#undef _FORTIFY_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>

typedef int (*OpenAtFunction)(int, const char *, int, ...);

// ffmpeg, started by the tool, is to run as it is.
__attribute__((constructor)) static void forgetPreload(void)
{
    unsetenv("LD_PRELOAD");
}

static int hasMode(int flags)
{
    return (flags & O_CREAT) || (flags & __O_TMPFILE) == __O_TMPFILE;
}

static int openOrRefuse(int directory, const char *path, int flags, mode_t mode)
{
    if ((flags & __O_TMPFILE) == __O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    OpenAtFunction real = (OpenAtFunction)dlsym(RTLD_NEXT, "openat");
    return real(directory, path, flags, mode);
}

#define MODE_ARGUMENT(flags)                                                       \
    mode_t mode = 0;                                                               \
    if (hasMode(flags)) {                                                          \
        va_list arguments;                                                         \
        va_start(arguments, flags);                                                \
        mode = va_arg(arguments, mode_t);                                          \
        va_end(arguments);                                                         \
    }

int open(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openOrRefuse(AT_FDCWD, path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openOrRefuse(AT_FDCWD, path, flags, mode);
}

int openat(int directory, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openOrRefuse(directory, path, flags, mode);
}

int openat64(int directory, const char *path, int flags, ...)
{
    MODE_ARGUMENT(flags)
    return openOrRefuse(directory, path, flags, mode);
}
