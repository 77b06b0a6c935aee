/* The ceiling: the least a client can do for the same work over the same
 * protocol, with nothing of our program in the way.
 *
 *   vqceil import DIR    one prepared INSERT per file (autocommit): a file up
 *                        to one chunk goes inline, a larger one in chunks of
 *                        long data, so memory holds one chunk
 *   vqceil export DIR    one unbuffered SELECT, one file per row as it arrives
 *   vqceil merge FILE    one unbuffered SELECT, every value + CR LF into FILE
 *   vqceil noop          connect and leave (the memory baseline)
 *
 * Connection and table from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD,
 * VQB_DB and VQB_TABLE; the table has the columns name and data.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <mysql.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

enum { Chunk = 1 << 20 };   /* the engine's chunk of long data */

static const char* env(const char* name, const char* fallback)
{
    const char* v = getenv(name);
    return v && *v ? v : fallback;
}

static void die_db(MYSQL* db, const char* what)
{
    fprintf(stderr, "vqceil: %s: %s\n", what, mysql_error(db));
    exit(1);
}

static void die_stmt(MYSQL_STMT* stmt, const char* what)
{
    fprintf(stderr, "vqceil: %s: %s\n", what, mysql_stmt_error(stmt));
    exit(1);
}

static void die_sys(const char* what)
{
    fprintf(stderr, "vqceil: %s: %s\n", what, strerror(errno));
    exit(1);
}

static MYSQL* connect_db(void)
{
    MYSQL* db = mysql_init(NULL);
    unsigned long packet = 1UL << 30;
    mysql_optionsv(db, MYSQL_OPT_MAX_ALLOWED_PACKET, &packet);
    if (!mysql_real_connect(db, env("VQB_HOST", "127.0.0.1"), env("VQB_USER", "root"),
                            env("VQB_PASSWORD", ""), env("VQB_DB", "vqbench"),
                            (unsigned)atoi(env("VQB_PORT", "3306")), NULL, 0))
        die_db(db, "connect");
    if (mysql_autocommit(db, 1) != 0)
        die_db(db, "autocommit");
    return db;
}

static int by_name(const struct dirent** a, const struct dirent** b)
{
    return strcmp((*a)->d_name, (*b)->d_name);
}

static int regular_file(const struct dirent* e)
{
    return e->d_type == DT_REG || e->d_type == DT_UNKNOWN;
}

static void write_all(int fd, const char* p, size_t n, const char* path)
{
    while (n) {
        ssize_t w = write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            die_sys(path);
        }
        p += w;
        n -= (size_t)w;
    }
}

static int do_import(MYSQL* db, const char* table, const char* dir)
{
    char sql[512];
    snprintf(sql, sizeof sql, "INSERT INTO `%s` (`name`, `data`) VALUES (?, ?)", table);
    MYSQL_STMT* stmt = mysql_stmt_init(db);
    if (!stmt || mysql_stmt_prepare(stmt, sql, (unsigned long)strlen(sql)) != 0)
        die_stmt(stmt, "prepare");

    struct dirent** entries;
    int n = scandir(dir, &entries, regular_file, by_name);
    if (n < 0) die_sys(dir);
    char* buffer = malloc(Chunk);
    char path[4096];
    for (int i = 0; i < n; ++i) {
        const char* file = entries[i]->d_name;
        snprintf(path, sizeof path, "%s/%s", dir, file);
        int fd = open(path, O_RDONLY);
        struct stat st;
        if (fd < 0 || fstat(fd, &st) != 0) die_sys(path);
        if (!S_ISREG(st.st_mode)) {
            close(fd);
            free(entries[i]);
            continue;
        }
        /* The key is the name up to its first dot. */
        const char* dot = strchr(file, '.');
        unsigned long name_len = dot ? (unsigned long)(dot - file) : (unsigned long)strlen(file);
        unsigned long data_len = 0;
        MYSQL_BIND bind[2];
        memset(bind, 0, sizeof bind);
        bind[0].buffer_type = MYSQL_TYPE_STRING;
        bind[0].buffer = (void*)file;
        bind[0].buffer_length = name_len;
        bind[0].length = &name_len;
        const int whole = st.st_size <= Chunk;
        if (whole) {
            ssize_t got = 0;
            while (got < st.st_size) {
                ssize_t r = read(fd, buffer + got, (size_t)(st.st_size - got));
                if (r < 0 && errno == EINTR) continue;
                if (r <= 0) die_sys(path);
                got += r;
            }
            data_len = (unsigned long)got;
            bind[1].buffer_type = MYSQL_TYPE_BLOB;
            bind[1].buffer = buffer;
            bind[1].buffer_length = data_len;
            bind[1].length = &data_len;
        } else {
            bind[1].buffer_type = MYSQL_TYPE_LONG_BLOB;
        }
        if (mysql_stmt_bind_param(stmt, bind) != 0) die_stmt(stmt, "bind");
        if (!whole) {
            for (;;) {
                ssize_t r = read(fd, buffer, Chunk);
                if (r < 0 && errno == EINTR) continue;
                if (r < 0) die_sys(path);
                if (r == 0) break;
                if (mysql_stmt_send_long_data(stmt, 1, buffer, (unsigned long)r) != 0)
                    die_stmt(stmt, "send long data");
            }
        }
        close(fd);
        if (mysql_stmt_execute(stmt) != 0) die_stmt(stmt, path);
        free(entries[i]);
    }
    free(entries);
    free(buffer);
    mysql_stmt_close(stmt);
    return n;
}

static MYSQL_RES* open_unbuffered(MYSQL* db, const char* sql)
{
    if (mysql_query(db, sql) != 0) die_db(db, "select");
    MYSQL_RES* res = mysql_use_result(db);
    if (!res) die_db(db, "use result");
    return res;
}

static int do_export(MYSQL* db, const char* table, const char* dir)
{
    char sql[512];
    snprintf(sql, sizeof sql, "SELECT `name`, `data` FROM `%s`", table);
    MYSQL_RES* res = open_unbuffered(db, sql);
    MYSQL_ROW row;
    char path[4096];
    int rows = 0;
    while ((row = mysql_fetch_row(res))) {
        unsigned long* len = mysql_fetch_lengths(res);
        snprintf(path, sizeof path, "%s/%.*s.bin", dir, (int)len[0], row[0] ? row[0] : "");
        int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0) die_sys(path);
        if (row[1]) write_all(fd, row[1], len[1], path);
        if (close(fd) != 0) die_sys(path);
        ++rows;
    }
    if (mysql_errno(db)) die_db(db, "fetch");
    mysql_free_result(res);
    return rows;
}

static int do_merge(MYSQL* db, const char* table, const char* file)
{
    char sql[512];
    snprintf(sql, sizeof sql, "SELECT `data` FROM `%s`", table);
    MYSQL_RES* res = open_unbuffered(db, sql);
    int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) die_sys(file);
    MYSQL_ROW row;
    int rows = 0;
    while ((row = mysql_fetch_row(res))) {
        unsigned long* len = mysql_fetch_lengths(res);
        ++rows;
        if (!row[0]) continue;
        struct iovec io[2] = {{row[0], len[0]}, {(void*)"\r\n", 2}};
        size_t left = len[0] + 2;
        while (left) {
            ssize_t w = writev(fd, io, 2);
            if (w < 0) {
                if (errno == EINTR) continue;
                die_sys(file);
            }
            left -= (size_t)w;
            /* A short write: move the vectors on past what went out. */
            for (int k = 0; k < 2 && w; ++k) {
                size_t take = (size_t)w < io[k].iov_len ? (size_t)w : io[k].iov_len;
                io[k].iov_base = (char*)io[k].iov_base + take;
                io[k].iov_len -= take;
                w -= (ssize_t)take;
            }
        }
    }
    if (mysql_errno(db)) die_db(db, "fetch");
    if (close(fd) != 0) die_sys(file);
    mysql_free_result(res);
    return rows;
}

int main(int argc, char** argv)
{
    const char* op = argc > 1 ? argv[1] : "";
    const int needs_path = strcmp(op, "noop") != 0;
    if ((strcmp(op, "import") && strcmp(op, "export") && strcmp(op, "merge") && needs_path) ||
        (needs_path && argc != 3)) {
        fprintf(stderr, "usage: %s import DIR | export DIR | merge FILE | noop\n", argv[0]);
        return 2;
    }
    MYSQL* db = connect_db();
    const char* table = env("VQB_TABLE", "bench_lob");
    int items = 0;
    if (!strcmp(op, "import")) items = do_import(db, table, argv[2]);
    else if (!strcmp(op, "export")) items = do_export(db, table, argv[2]);
    else if (!strcmp(op, "merge")) items = do_merge(db, table, argv[2]);
    mysql_close(db);
    printf("%d\n", items);
    return 0;
}
