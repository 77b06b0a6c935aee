#!/usr/bin/python3
"""The Python peer: what a user scripts with Debian's python3-mysqldb.

  py_mysqldb.py import DIR    one INSERT per file, committed on its own
  py_mysqldb.py export DIR    one file per fetched row (unbuffered cursor)
  py_mysqldb.py merge FILE    every value + CR LF into one file
  py_mysqldb.py noop          connect and leave (the memory baseline)

Connection and table from VQB_HOST, VQB_PORT, VQB_USER, VQB_PASSWORD, VQB_DB
and VQB_TABLE.
"""
import os
import sys

import MySQLdb
import MySQLdb.cursors


def connect():
    return MySQLdb.connect(host=os.environ.get("VQB_HOST", "127.0.0.1"),
                           port=int(os.environ.get("VQB_PORT", "3306")),
                           user=os.environ.get("VQB_USER", "root"),
                           passwd=os.environ.get("VQB_PASSWORD", ""),
                           db=os.environ.get("VQB_DB", "vqbench"),
                           autocommit=True)


def do_import(conn, table, folder):
    cur = conn.cursor()
    sql = "INSERT INTO `%s` (`name`, `data`) VALUES (%%s, %%s)" % table
    count = 0
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            continue
        with open(path, "rb") as f:
            data = f.read()
        cur.execute(sql, (name.split(".", 1)[0], data))
        count += 1
    return count


def do_export(conn, table, folder):
    cur = conn.cursor(MySQLdb.cursors.SSCursor)
    cur.execute("SELECT `name`, `data` FROM `%s`" % table)
    count = 0
    for name, data in cur:
        with open(os.path.join(folder, name + ".bin"), "wb") as f:
            if data is not None:
                f.write(data)
        count += 1
    return count


def do_merge(conn, table, file_name):
    cur = conn.cursor(MySQLdb.cursors.SSCursor)
    cur.execute("SELECT `data` FROM `%s`" % table)
    count = 0
    with open(file_name, "wb") as f:
        for (data,) in cur:
            count += 1
            if data is None:
                continue
            f.write(data)
            f.write(b"\r\n")
    return count


def main(argv):
    ops = {"import": do_import, "export": do_export, "merge": do_merge}
    if len(argv) == 2 and argv[1] == "noop":
        connect().close()
        print(0)
        return 0
    if len(argv) != 3 or argv[1] not in ops:
        sys.stderr.write("usage: py_mysqldb.py import DIR | export DIR | merge FILE | noop\n")
        return 2
    conn = connect()
    count = ops[argv[1]](conn, os.environ.get("VQB_TABLE", "bench_lob"), argv[2])
    conn.close()
    print(count)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
