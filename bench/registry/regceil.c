/* The least a settings store can do for one write and one read of a file of
   the same size: write the bytes to a temporary file, fsync, rename; read the
   file whole. The driver runs it beside the program's store. */
#define _GNU_SOURCE
#include "regceil.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

int regceil_write(const char* path, const char* bytes, size_t size, double* total_ms, double* fsync_ms)
{
    char temp[4096];
    snprintf(temp, sizeof temp, "%s.XXXXXX", path);
    const double start = now_ms();
    const int fd = mkstemp(temp);
    if (fd < 0)
        return -1;
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, bytes + done, size - done);
        if (n < 0) {
            close(fd);
            unlink(temp);
            return -1;
        }
        done += (size_t)n;
    }
    const double before_sync = now_ms();
    const int synced = fsync(fd);
    *fsync_ms = now_ms() - before_sync;
    close(fd);
    if (synced != 0 || rename(temp, path) != 0) {
        unlink(temp);
        return -1;
    }
    *total_ms = now_ms() - start;
    return 0;
}

int regceil_read(const char* path, double* total_ms)
{
    const double start = now_ms();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return -1;
    }
    char* buffer = malloc((size_t)info.st_size + 1);
    size_t done = 0;
    ssize_t n = 0;
    while (buffer && (n = read(fd, buffer + done, (size_t)info.st_size + 1 - done)) > 0)
        done += (size_t)n;
    close(fd);
    free(buffer);
    *total_ms = now_ms() - start;
    return n < 0 ? -1 : 0;
}
