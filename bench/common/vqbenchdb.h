/* What the C sides of the benchmarks share: a monotonic clock, the process's
 * memory figures, and a session on the test server from
 * VQ_TEST_DB_HOST/PORT/USER/PASSWORD with the database VQ_BENCH_DB (or the
 * benchmark's own default). */
#pragma once
#include <mysql.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static inline double now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* A line of /proc/self/status in KiB ("VmHWM:", "VmRSS:"), -1 when missing. */
static inline long status_kb(const char* name)
{
    FILE* f = fopen("/proc/self/status", "r");
    char line[256];
    long kb = -1;
    const size_t length = strlen(name);
    while (f && fgets(line, sizeof line, f))
        if (strncmp(line, name, length) == 0)
            kb = atol(line + length);
    if (f)
        fclose(f);
    return kb;
}

/* Resets VmHWM to the present resident size. */
static inline void reset_peak(void)
{
    FILE* f = fopen("/proc/self/clear_refs", "w");
    if (f) {
        fputs("5", f);
        fclose(f);
    }
}

static inline MYSQL* connect_db(const char* default_db)
{
    MYSQL* m = mysql_init(NULL);
    const char* db = getenv("VQ_BENCH_DB") ? getenv("VQ_BENCH_DB") : default_db;
    if (!mysql_real_connect(m, getenv("VQ_TEST_DB_HOST"), getenv("VQ_TEST_DB_USER"), getenv("VQ_TEST_DB_PASSWORD"),
                            db, (unsigned)atoi(getenv("VQ_TEST_DB_PORT")), NULL, 0)) {
        fprintf(stderr, "connect: %s\n", mysql_error(m));
        exit(1);
    }
    return m;
}

static inline void die(MYSQL* m)
{
    fprintf(stderr, "%s\n", mysql_error(m));
    exit(1);
}
