/* Start to exit of programs that end at once, side by side: every round runs
 * each program once, in the same order, so that a slow spell of the machine
 * touches them all. Prints each program's best and median wall time and
 * processor time (user and system), and the median of the per-round ratios
 * to the first program.
 *
 *   vqstart ROUNDS NAME=PROGRAM ... -- ARGUMENT ...
 *
 * Every program gets the same arguments; its output goes to /dev/null. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

enum { MaxPrograms = 8, MaxArguments = 32 };

static double Now(void)
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

static int Compare(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double Median(const double* values, int count)
{
    double* sorted = malloc(sizeof(double) * (size_t)count);
    memcpy(sorted, values, sizeof(double) * (size_t)count);
    qsort(sorted, (size_t)count, sizeof(double), Compare);
    const double median = count % 2 ? sorted[count / 2] : (sorted[count / 2 - 1] + sorted[count / 2]) / 2;
    free(sorted);
    return median;
}

static double Best(const double* values, int count)
{
    double best = values[0];
    for (int i = 1; i < count; ++i)
        if (values[i] < best)
            best = values[i];
    return best;
}

/* One run: wall seconds, processor seconds of the child. */
static int Run(char* const* argv, double* wall, double* cpu)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const double start = Now();
    pid_t pid;
    if (posix_spawn(&pid, argv[0], &actions, NULL, argv, environ) != 0) {
        perror(argv[0]);
        return -1;
    }
    int status;
    struct rusage usage;
    if (wait4(pid, &status, 0, &usage) < 0)
        return -1;
    *wall = Now() - start;
    *cpu = (double)(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + (double)(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    posix_spawn_file_actions_destroy(&actions);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s ROUNDS NAME=PROGRAM ... -- ARGUMENT ...\n", argv[0]);
        return 2;
    }
    const int rounds = atoi(argv[1]);
    const char* names[MaxPrograms];
    char* commands[MaxPrograms][MaxArguments + 2];
    int programs = 0, at = 2;
    for (; at < argc && strcmp(argv[at], "--") != 0 && programs < MaxPrograms; ++at, ++programs) {
        char* equals = strchr(argv[at], '=');
        if (!equals) {
            fprintf(stderr, "not NAME=PROGRAM: %s\n", argv[at]);
            return 2;
        }
        *equals = '\0';
        names[programs] = argv[at];
        commands[programs][0] = equals + 1;
    }
    int arguments = 0;
    for (++at; at < argc && arguments < MaxArguments; ++at)
        ++arguments;
    for (int p = 0; p < programs; ++p) {
        for (int i = 0; i < arguments; ++i)
            commands[p][1 + i] = argv[argc - arguments + i];
        commands[p][1 + arguments] = NULL;
    }
    if (rounds < 1 || programs < 1)
        return 2;

    double* wall = calloc((size_t)(rounds * programs), sizeof(double));
    double* cpu = calloc((size_t)(rounds * programs), sizeof(double));
    int exitCodes[MaxPrograms];
    /* A round each, unmeasured, to bring every file into the page cache. */
    for (int p = 0; p < programs; ++p) {
        double w, c;
        exitCodes[p] = Run(commands[p], &w, &c);
    }
    for (int r = 0; r < rounds; ++r)
        for (int p = 0; p < programs; ++p)
            if (Run(commands[p], &wall[p * rounds + r], &cpu[p * rounds + r]) != exitCodes[p])
                fprintf(stderr, "%s: the exit code changed in round %d\n", names[p], r + 1);

    double loads[3] = {0, 0, 0};
    getloadavg(loads, 3);
    printf("%d rounds, interleaved; load average %.2f %.2f %.2f on %ld processors\n\n", rounds, loads[0],
           loads[1], loads[2], sysconf(_SC_NPROCESSORS_ONLN));
    printf("%-24s %5s %10s %10s %10s %10s %12s %12s\n", "program", "exit", "best ms", "median ms", "cpu best",
           "cpu median", "wall ratio", "cpu ratio");
    double* ratios = calloc((size_t)rounds, sizeof(double));
    for (int p = 0; p < programs; ++p) {
        const double* w = &wall[p * rounds];
        const double* c = &cpu[p * rounds];
        printf("%-24s %5d %10.2f %10.2f %10.2f %10.2f", names[p], exitCodes[p], Best(w, rounds) * 1e3,
               Median(w, rounds) * 1e3, Best(c, rounds) * 1e3, Median(c, rounds) * 1e3);
        if (p == 0) {
            printf(" %12s %12s\n", "", "");
            continue;
        }
        /* The first program over this one, round by round. */
        for (int r = 0; r < rounds; ++r)
            ratios[r] = wall[r] / w[r];
        const double wallRatio = Median(ratios, rounds);
        for (int r = 0; r < rounds; ++r)
            ratios[r] = c[r] > 0 ? cpu[r] / c[r] : 0;
        printf(" %11.2fx %11.2fx\n", wallRatio, Median(ratios, rounds));
    }
    printf("\nratio: the first program's time over this one's, the median of the rounds' ratios\n");
    free(ratios);
    free(wall);
    free(cpu);
    return 0;
}
