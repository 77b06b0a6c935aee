/* The C side of the field editor benchmark: the least a client does to hold
 * a large value that it shows.
 *   vqeditc fill TABLE BYTES   makes TABLE (id INT PRIMARY KEY, b LONGBLOB)
 *                              with row 1 holding BYTES of seeded random
 *                              bytes, sent in 1 MiB pieces of long data
 *   vqeditc fetch TABLE        one prepared SELECT of row 1's value, read with
 *                              mysql_stmt_fetch_column in 1 MiB pieces
 * Server from VQ_TEST_DB_HOST/PORT/USER/PASSWORD, database VQ_BENCH_DB.
 * Prints name=value lines: times in ms, memory in KiB; the growth is the
 * peak (VmHWM, reset before the work) less the resident size before it. */
#include "../common/vqbenchdb.h"

#include <stdint.h>

static void die_stmt(MYSQL_STMT* st)
{
    fprintf(stderr, "%s\n", mysql_stmt_error(st));
    exit(1);
}

/* xoshiro256**, seeded by splitmix64: the same bytes on every run. */
static uint64_t s[4];
static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
static uint64_t next(void)
{
    const uint64_t result = rotl(s[1] * 5, 7) * 9, t = s[1] << 17;
    s[2] ^= s[0], s[3] ^= s[1], s[1] ^= s[2], s[0] ^= s[3], s[2] ^= t, s[3] = rotl(s[3], 45);
    return result;
}
static void seed(uint64_t x)
{
    for (int i = 0; i < 4; ++i) {
        uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        s[i] = z ^ (z >> 31);
    }
}

static int fill(const char* table, long long bytes)
{
    MYSQL* m = connect_db("vqbench_ed");
    char sql[256];
    snprintf(sql, sizeof sql, "DROP TABLE IF EXISTS %s", table);
    if (mysql_query(m, sql))
        die(m);
    /* Aria: a value of any size in one statement, no redo log to outgrow. */
    snprintf(sql, sizeof sql, "CREATE TABLE %s (id INT PRIMARY KEY, b LONGBLOB) ENGINE=Aria", table);
    if (mysql_query(m, sql))
        die(m);
    snprintf(sql, sizeof sql, "INSERT INTO %s VALUES (1, ?)", table);
    MYSQL_STMT* st = mysql_stmt_init(m);
    if (mysql_stmt_prepare(st, sql, strlen(sql)))
        die_stmt(st);
    MYSQL_BIND bind;
    memset(&bind, 0, sizeof bind);
    bind.buffer_type = MYSQL_TYPE_LONG_BLOB;
    if (mysql_stmt_bind_param(st, &bind))
        die_stmt(st);
    static uint64_t chunk[(1 << 20) / 8];
    seed(20240611u ^ (uint64_t)bytes);
    for (long long sent = 0; sent < bytes;) {
        for (size_t i = 0; i < sizeof chunk / 8; ++i)
            chunk[i] = next();
        const long long piece = bytes - sent < (long long)sizeof chunk ? bytes - sent : (long long)sizeof chunk;
        if (mysql_stmt_send_long_data(st, 0, (const char*)chunk, (unsigned long)piece))
            die_stmt(st);
        sent += piece;
    }
    if (mysql_stmt_execute(st))
        die_stmt(st);
    mysql_stmt_close(st);
    mysql_close(m);
    return 0;
}

static int fetch(const char* table)
{
    MYSQL* m = connect_db("vqbench_ed");
    const long before = status_kb("VmRSS:");
    reset_peak();
    const double start = now_ms();
    char sql[256];
    snprintf(sql, sizeof sql, "SELECT b FROM %s WHERE id = 1", table);
    MYSQL_STMT* st = mysql_stmt_init(m);
    if (mysql_stmt_prepare(st, sql, strlen(sql)) || mysql_stmt_execute(st))
        die_stmt(st);
    unsigned long length = 0;
    my_bool is_null = 0;
    MYSQL_BIND bind;
    memset(&bind, 0, sizeof bind);
    bind.buffer_type = MYSQL_TYPE_LONG_BLOB;
    bind.length = &length;
    bind.is_null = &is_null;
    if (mysql_stmt_bind_result(st, &bind))
        die_stmt(st);
    const int fetched = mysql_stmt_fetch(st);
    if (fetched == 1 || fetched == MYSQL_NO_DATA)
        die_stmt(st);
    /* The value read in 1 MiB pieces from the received row: the row's packet
     * already holds it, nothing else does. */
    static char piece[1 << 20];
    unsigned sum = 0;
    for (unsigned long offset = 0; offset < length; offset += sizeof piece) {
        memset(&bind, 0, sizeof bind);
        bind.buffer_type = MYSQL_TYPE_LONG_BLOB;
        bind.buffer = piece;
        bind.buffer_length = sizeof piece;
        bind.length = &(unsigned long){0};
        if (mysql_stmt_fetch_column(st, &bind, 0, offset))
            die_stmt(st);
        sum += (unsigned char)piece[0];
    }
    const double took = now_ms() - start;
    printf("value_bytes=%lu\nfetch_ms=%.3f\nrss_before_kb=%ld\ngrowth_kb=%ld\ncheck=%u\n", length, took, before,
           status_kb("VmHWM:") - before, sum);
    mysql_stmt_close(st);
    mysql_close(m);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "fill") == 0)
        return fill(argv[2], atoll(argv[3]));
    if (argc == 3 && strcmp(argv[1], "fetch") == 0)
        return fetch(argv[2]);
    fprintf(stderr, "usage: vqeditc fill TABLE BYTES | fetch TABLE\n");
    return 2;
}
