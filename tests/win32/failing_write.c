/* Preloaded into Wine, stands in for a disk that fails under a save: the first write to the hosts
 * file that reaches byte HOSTLINE_FAIL_AT writes the bytes before it and then fails with EIO, as a
 * bad sector would. With HOSTLINE_FAIL_THEN=fail every later write to the file fails too (the disk
 * is gone); with =again every later write over that byte fails, writing nothing (the sector stays
 * bad); otherwise later writes work again. Other files are never touched, and neither is
 * wineserver: it sets a file's length with a write of its own, which a disk stand-in for the
 * program must let through. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

typedef ssize_t (*positioned_write)(int, const void*, size_t, off64_t);

static int failed;

static int is_hosts_file(int fd) {
    static const char suffix[] = "/drivers/etc/hosts";
    char link[64], path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    if (length < (ssize_t)(sizeof suffix - 1)) return 0;
    path[length] = '\0';
    return strcmp(path + length - (sizeof suffix - 1), suffix) == 0;
}

static ssize_t faulty_write(int fd, const void* data, size_t count, off64_t offset, positioned_write real) {
    const char* at = getenv("HOSTLINE_FAIL_AT");
    if (!at || strstr(program_invocation_short_name, "wineserver") || !is_hosts_file(fd))
        return real(fd, data, count, offset);
    const char* then = getenv("HOSTLINE_FAIL_THEN");
    const int again = then && strcmp(then, "again") == 0;
    if (failed && !again) {
        if (then && strcmp(then, "fail") == 0) {
            errno = EIO;
            return -1;
        }
        return real(fd, data, count, offset);
    }
    const off64_t limit = atoll(at);
    if (offset + (off64_t)count <= limit || (again && offset > limit)) return real(fd, data, count, offset);
    if (!failed++ && offset < limit) real(fd, data, (size_t)(limit - offset), offset);
    errno = EIO;
    return -1;
}

ssize_t pwrite64(int fd, const void* data, size_t count, off64_t offset) {
    static positioned_write real;
    if (!real) real = (positioned_write)dlsym(RTLD_NEXT, "pwrite64");
    return faulty_write(fd, data, count, offset, real);
}

static ssize_t real_pwrite(int fd, const void* data, size_t count, off64_t offset) {
    static ssize_t (*real)(int, const void*, size_t, off_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t, off_t))dlsym(RTLD_NEXT, "pwrite");
    return real(fd, data, count, (off_t)offset);
}

ssize_t pwrite(int fd, const void* data, size_t count, off_t offset) {
    return faulty_write(fd, data, count, offset, real_pwrite);
}

/* A plain write goes where the file position is, and moves it. */
static ssize_t real_write_at(int fd, const void* data, size_t count, off64_t offset) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real) real = (ssize_t(*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    (void)offset;
    return real(fd, data, count);
}

ssize_t write(int fd, const void* data, size_t count) {
    const off64_t position = lseek64(fd, 0, SEEK_CUR);
    if (position < 0) return real_write_at(fd, data, count, 0);
    return faulty_write(fd, data, count, position, real_write_at);
}
