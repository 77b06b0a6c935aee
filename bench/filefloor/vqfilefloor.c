// What publishing a whole file costs the kernel, apart from any database:
// N files of SIZE bytes written into a folder either the plain way
// (open with O_CREAT under the final name, write, close: a reader can see a
// cut file) or the way the exporter writes a new file (an unnamed file made
// with O_TMPFILE, written, then linked under its name: a name only ever shows
// a whole file). Rounds alternate the two ways; each round starts from an
// empty folder with nothing left to write back. Prints both medians and the median of the per-round ratios.
//
//   vqfilefloor FOLDER [FILES=20000] [SIZE=4096] [ROUNDS=9]
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

enum Way { Plain, Unnamed, WayCount };
static const char* const WayNames[WayCount] = {"plain create", "unnamed + link"};

static double Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void Fail(const char* what)
{
    fprintf(stderr, "vqfilefloor: %s: %s\n", what, strerror(errno));
    exit(1);
}

static void Empty(const char* path)
{
    DIR* dir = opendir(path);
    if (!dir)
        Fail(path);
    const int fd = dirfd(dir);
    struct dirent* entry;
    while ((entry = readdir(dir)) != NULL)
        if (entry->d_name[0] != '.')
            unlinkat(fd, entry->d_name, 0);
    closedir(dir);
}

static double Round(enum Way way, int folder, int files, const char* data, size_t size)
{
    const double start = Now();
    for (int i = 1; i <= files; ++i) {
        char name[32];
        snprintf(name, sizeof name, "f%06d.bin", i);
        const int fd = way == Plain ? openat(folder, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
                                    : openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            Fail("open");
        if (write(fd, data, size) != (ssize_t)size)
            Fail("write");
        if (way == Unnamed && linkat(fd, "", folder, name, AT_EMPTY_PATH) != 0)
            Fail("linkat");
        close(fd);
    }
    return Now() - start;
}

static int Compare(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double Median(double* values, int count)
{
    qsort(values, (size_t)count, sizeof *values, Compare);
    return count % 2 ? values[count / 2] : (values[count / 2 - 1] + values[count / 2]) / 2;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: vqfilefloor FOLDER [FILES] [SIZE] [ROUNDS]\n");
        return 2;
    }
    const char* path = argv[1];
    const int files = argc > 2 ? atoi(argv[2]) : 20000;
    const size_t size = argc > 3 ? (size_t)atol(argv[3]) : 4096;
    const int rounds = argc > 4 ? atoi(argv[4]) : 9;
    if (files < 1 || size < 1 || rounds < 1 || rounds > 1000) {
        fprintf(stderr, "vqfilefloor: FILES, SIZE and ROUNDS must be positive (ROUNDS at most 1000)\n");
        return 2;
    }
    mkdir(path, 0755);
    const int folder = open(path, O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        Fail(path);
    char* data = malloc(size);
    if (!data)
        Fail("malloc");
    for (size_t i = 0; i < size; ++i)
        data[i] = (char)(i * 131u + 7u);

    double times[WayCount][1000], ratios[1000];
    for (int r = 0; r < rounds; ++r) {
        // Alternate which way goes first, so neither always meets a warmer cache.
        for (int k = 0; k < WayCount; ++k) {
            const enum Way way = (enum Way)((r + k) % WayCount);
            Empty(path);
            sync();   // the last round's writeback must not fall into this one
            times[way][r] = Round(way, folder, files, data, size);
        }
        ratios[r] = times[Unnamed][r] / times[Plain][r];
    }
    Empty(path);
    printf("%d files of %zu bytes, %d rounds\n", files, size, rounds);
    for (int w = 0; w < WayCount; ++w)
        printf("%-16s median %.3f s\n", WayNames[w], Median(times[w], rounds));
    printf("unnamed + link / plain: median of the per-round ratios %.3f\n", Median(ratios, rounds));
    free(data);
    return 0;
}
