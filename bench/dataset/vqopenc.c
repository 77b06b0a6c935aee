/* The C side of the data-set benchmark: the least a client does for the same
 * work over the same protocol.
 *   vqopenc open TABLE RUNS   time to the first 15 rows of "select * from TABLE"
 *                             read with mysql_use_result; the rest is stopped
 *                             with KILL QUERY from a second session
 *   vqopenc update FILE       one prepared UPDATE of t64 row 1, the file sent
 *                             in 1 MiB pieces of long data
 * Server from VQ_TEST_DB_HOST/PORT/USER/PASSWORD, database VQ_BENCH_DB.
 * Prints name=value lines: times in ms, peak memory (VmHWM) in KiB. */
#include "../common/vqbenchdb.h"

static int open_rows(const char* table, int runs)
{
    MYSQL* m = connect_db("vqbench_ds");
    char sql[256];
    snprintf(sql, sizeof sql, "select * from %s", table);
    double first = -1, best = 1e18;
    for (int run = 0; run < runs; ++run) {
        const double start = now_ms();
        if (mysql_real_query(m, sql, strlen(sql)))
            die(m);
        MYSQL_RES* res = mysql_use_result(m);
        if (!res)
            die(m);
        for (int i = 0; i < 15 && mysql_fetch_row(res); ++i) {
        }
        const double took = now_ms() - start;
        if (run == 0)
            first = took;
        else if (took < best)
            best = took;
        /* The early close: stop the statement rather than read the rest. */
        MYSQL* killer = connect_db("vqbench_ds");
        char kill[64];
        snprintf(kill, sizeof kill, "KILL QUERY %lu", mysql_thread_id(m));
        mysql_query(killer, kill);
        mysql_close(killer);
        mysql_free_result(res);
        while (mysql_more_results(m) && mysql_next_result(m) == 0) {
        }
    }
    printf("first_ms=%.3f\nbest_ms=%.3f\npeak_kb=%ld\n", first, best, status_kb("VmHWM:"));
    mysql_close(m);
    return 0;
}

static int update_file(const char* file)
{
    MYSQL* m = connect_db("vqbench_ds");
    const long baseline = status_kb("VmHWM:");
    const double start = now_ms();
    FILE* f = fopen(file, "rb");
    if (!f) {
        perror(file);
        return 1;
    }
    MYSQL_STMT* st = mysql_stmt_init(m);
    const char* sql = "UPDATE t64 SET b = ? WHERE id = 1 LIMIT 1";
    if (mysql_stmt_prepare(st, sql, strlen(sql)))
        die(m);
    MYSQL_BIND bind;
    memset(&bind, 0, sizeof bind);
    bind.buffer_type = MYSQL_TYPE_LONG_BLOB;
    if (mysql_stmt_bind_param(st, &bind))
        die(m);
    static char chunk[1 << 20];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, f)) > 0)
        if (mysql_stmt_send_long_data(st, 0, chunk, got))
            die(m);
    if (mysql_stmt_execute(st))
        die(m);
    const double took = now_ms() - start;
    fclose(f);
    mysql_stmt_close(st);
    printf("post_ms=%.3f\npeak_over_baseline_kb=%ld\n", took, status_kb("VmHWM:") - baseline);
    mysql_close(m);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "open") == 0)
        return open_rows(argv[2], atoi(argv[3]));
    if (argc == 3 && strcmp(argv[1], "update") == 0)
        return update_file(argv[2]);
    fprintf(stderr, "usage: vqopenc open TABLE RUNS | update FILE\n");
    return 2;
}
