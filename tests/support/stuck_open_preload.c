/* Test aid, preloaded into tunvale-cli by a test: open() of any file whose name contains
   "stuck" never returns, the way a read from a dead network mount would hang, so the test can
   see what the program does with a worker caught in a system call. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdarg.h>
#include <string.h>
#include <unistd.h>

static int isStuck(const char *path)
{
    const char *name = path ? strrchr(path, '/') : NULL;
    name = name ? name + 1 : path;
    return name && strstr(name, "stuck") != NULL;
}

static void hang(void)
{
    for (;;)
        pause();
}

static int modeArgument(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, int) : 0;
}

typedef int (*OpenFunction)(const char *, int, ...);

static int forward(const char *symbol, const char *path, int flags, int mode)
{
    void *address = dlsym(RTLD_NEXT, symbol);
    OpenFunction real;
    memcpy(&real, &address, sizeof real);   /* ISO C has no cast from object to function pointer */
    return real(path, flags, mode);
}

int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (isStuck(path))
        hang();
    return forward("open", path, flags, mode);
}

int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int mode = modeArgument(flags, arguments);
    va_end(arguments);
    if (isStuck(path))
        hang();
    return forward("open64", path, flags, mode);
}
