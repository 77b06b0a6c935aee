#!/usr/bin/python3
"""Runs import, export and merge for every contender on every data set, checks
that every value round-trips byte for byte, and prints one table.

Started by run.sh, which installs, builds and starts the server; the server's
address comes from VQ_TEST_DB_HOST, VQ_TEST_DB_PORT, VQ_TEST_DB_USER and
VQ_TEST_DB_PASSWORD (scripts/testservers.sh writes them).
"""
import argparse
import hashlib
import json
import os
import shutil
import statistics
import subprocess
import sys
import time

import MySQLdb

HERE = os.path.dirname(os.path.abspath(__file__))
KIB, MIB = 1 << 10, 1 << 20
CHUNK = MIB                 # the engine's chunk of long data
SEED = 20240611
TABLE = "bench_lob"
SCHEMA = "vqbench"

# name: (files, bytes per file)
SETS = {
    "small": (20000, 4 * KIB),
    "medium": (2000, 256 * KIB),
    "large": (4, 64 * MIB),
}
# A small copy of every set, for checking the harness itself (--smoke).
SMOKE_SETS = {
    "small": (200, 4 * KIB),
    "medium": (20, 256 * KIB),
    "large": (2, 4 * MIB),
}
OPS = ("import", "export", "merge")


def contenders(build):
    """name: command prefix; the op and its path follow."""
    return {
        "c-ceiling": [os.path.join(build, "vqceil")],
        "vantorquill": [os.path.join(build, "vqbench")],
        "python-mysqldb": ["/usr/bin/python3", os.path.join(HERE, "peers", "py_mysqldb.py")],
        "mariadb-cli": ["/bin/bash", os.path.join(HERE, "peers", "cli.sh")],
    }


def log(text):
    print(text, flush=True)


# --- data sets ---------------------------------------------------------------

def check_free_space(root, sets):
    data = sum(n * size for n, size in sets.values())
    largest = max(n * size for n, size in sets.values())
    # The files, one export and one merge of the largest set, the server's table
    # of it with its logs and tablespace growth.
    need = data + 2 * largest + largest * 2 + 1024 * MIB
    os.makedirs(root, exist_ok=True)
    st = os.statvfs(root)
    free = st.f_bavail * st.f_frsize
    log("Scratch folder %s: %.1f GiB free, about %.1f GiB needed." % (root, free / 2**30, need / 2**30))
    if free < need:
        log("NOT ENOUGH DISK SPACE in %s: %.1f GiB free, %.1f GiB needed. "
            "Set VQ_BENCH_DIR to a folder on a bigger disk, or run fewer sets (--sets)."
            % (root, free / 2**30, need / 2**30))
        sys.exit(3)


def sha256_file(path):
    h = hashlib.sha256()
    with open(path, "rb", buffering=0) as f:
        while True:
            block = f.read(4 * MIB)
            if not block:
                break
            h.update(block)
    return h.hexdigest()


def prepare_set(build, root, name, count, size):
    """Generates the set when its stamp differs; returns its manifest."""
    folder = os.path.join(root, "data", name)
    info_path = os.path.join(root, "data", name + ".json")
    stamp = {"seed": SEED, "count": count, "size": size}
    if os.path.exists(info_path):
        with open(info_path) as f:
            info = json.load(f)
        if info.get("stamp") == stamp and os.path.isdir(folder) and len(os.listdir(folder)) == count:
            return info
    log("Generating %s: %d files of %d bytes (seed %d) ..." % (name, count, size, SEED))
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.dirname(folder), exist_ok=True)
    subprocess.run([os.path.join(build, "vqgen"), folder, str(count), str(size), str(SEED)], check=True)
    files = sorted(os.listdir(folder))
    hashes = {}
    merged = hashlib.sha256()
    for file in files:
        h = hashlib.sha256()
        with open(os.path.join(folder, file), "rb") as f:
            data = f.read()
        h.update(data)
        merged.update(data)
        merged.update(b"\r\n")
        hashes[file] = h.hexdigest()
    info = {"stamp": stamp, "folder": folder, "files": hashes, "merged": merged.hexdigest(),
            "bytes": count * size, "count": count, "size": size}
    with open(info_path, "w") as f:
        json.dump(info, f)
    return info


# --- the server --------------------------------------------------------------

def server_env():
    try:
        return {
            "VQB_HOST": os.environ["VQ_TEST_DB_HOST"],
            "VQB_PORT": os.environ["VQ_TEST_DB_PORT"],
            "VQB_USER": os.environ["VQ_TEST_DB_USER"],
            "VQB_PASSWORD": os.environ["VQ_TEST_DB_PASSWORD"],
            "VQB_DB": SCHEMA,
            "VQB_TABLE": TABLE,
        }
    except KeyError as missing:
        log("No server: %s is not set (run.sh starts one)." % missing)
        sys.exit(3)


def db_connect(env, database=SCHEMA):
    return MySQLdb.connect(host=env["VQB_HOST"], port=int(env["VQB_PORT"]), user=env["VQB_USER"],
                           passwd=env["VQB_PASSWORD"], db=database, autocommit=True)


def reset_table(env):
    conn = db_connect(env, database="")
    cur = conn.cursor()
    cur.execute("CREATE DATABASE IF NOT EXISTS `%s`" % SCHEMA)
    cur.execute("DROP TABLE IF EXISTS `%s`.`%s`" % (SCHEMA, TABLE))
    cur.execute("CREATE TABLE `%s`.`%s` (id INT UNSIGNED NOT NULL AUTO_INCREMENT PRIMARY KEY, "
                "name VARCHAR(64) NOT NULL, data LONGBLOB) ENGINE=InnoDB" % (SCHEMA, TABLE))
    conn.close()


def server_hashes(env):
    conn = db_connect(env)
    cur = conn.cursor()
    cur.execute("SELECT name, SHA2(data, 256) FROM `%s` ORDER BY id" % TABLE)
    rows = cur.fetchall()
    conn.close()
    return rows


# --- checks ------------------------------------------------------------------

def check_import(env, info):
    rows = server_hashes(env)
    expected = [(f.split(".", 1)[0], h) for f, h in sorted(info["files"].items())]
    if len(rows) != len(expected):
        return "%d rows in the table, %d files" % (len(rows), len(expected))
    if sorted(rows) != sorted(expected):
        bad = sum(1 for a, b in zip(sorted(rows), sorted(expected)) if a != b)
        return "%d values differ from their files (SHA2 in the server)" % bad
    return None


def check_export(out, info):
    written = sorted(os.listdir(out))
    if written != sorted(info["files"]):
        return "%d files written, %d expected" % (len(written), len(info["files"]))
    bad = [f for f in written if sha256_file(os.path.join(out, f)) != info["files"][f]]
    if bad:
        return "%d files differ from their source (first: %s)" % (len(bad), bad[0])
    return None


def check_merge(path, info):
    if not os.path.exists(path):
        return "no merged file"
    if sha256_file(path) != info["merged"]:
        return "merged file differs (size %d, expected %d)" % (
            os.path.getsize(path), info["bytes"] + 2 * info["count"])
    return None


# --- running -----------------------------------------------------------------

def drop_caches(enabled):
    """True when the page cache was dropped (needs root)."""
    if not enabled:
        return False
    os.sync()
    try:
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
        return True
    except OSError:
        return False


def timed(command, env, logfile):
    """Runs one measurement: (seconds, peak RSS in KiB, exit code)."""
    # GNU time reports the child's ru_maxrss. Not os.wait4 here: Linux carries a
    # forked child's peak from before its exec, which would be this harness's.
    rss_file = logfile + ".rss"
    with open(logfile, "ab") as out:
        out.write(("$ %s\n" % " ".join(command)).encode())
        out.flush()
        start = time.perf_counter()
        rc = subprocess.call(["/usr/bin/time", "-f", "%M", "-o", rss_file] + command,
                             env=env, stdout=out, stderr=out, stdin=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
    with open(rss_file) as f:
        lines = f.read().split()
    os.remove(rss_file)
    # The largest of the child and the children it waited for.
    return seconds, int(lines[-1]) if lines else 0, rc


class Result:
    def __init__(self, contender, data_set, op, info):
        self.contender, self.data_set, self.op, self.info = contender, data_set, op, info
        self.times, self.rss, self.error = [], [], None

    @property
    def best(self):
        return min(self.times) if self.times else None

    @property
    def median(self):
        return statistics.median(self.times) if self.times else None


def run_once(command, op, env, info, root, drop, logfile, result):
    """One measurement and its check; False when it failed."""
    out_dir = os.path.join(root, "out")
    merged = os.path.join(root, "merged.bin")
    if op == "import":
        reset_table(env)
        target = info["folder"]
    elif op == "export":
        shutil.rmtree(out_dir, ignore_errors=True)
        os.makedirs(out_dir)
        target = out_dir
    else:
        if os.path.exists(merged):
            os.remove(merged)
        target = merged
    drop_caches(drop)
    seconds, rss, rc = timed(command + [op, target], env, logfile)
    if rc != 0:
        result.error = "exit code %d (see %s)" % (rc, logfile)
    elif op == "import":
        result.error = check_import(env, info)
    elif op == "export":
        result.error = check_export(out_dir, info)
    else:
        result.error = check_merge(merged, info)
    shutil.rmtree(out_dir, ignore_errors=True)
    if os.path.exists(merged):
        os.remove(merged)
    if result.error:
        return False
    result.times.append(seconds)
    result.rss.append(rss)
    return True


def fill_table(available, env, info, logfile):
    """The ceiling loads the set, untimed, for an export or merge without a
    (successful) import before it; True when the table holds the set."""
    reset_table(env)
    timed(available["c-ceiling"] + ["import", info["folder"]], env, logfile)
    return check_import(env, info) is None


def baseline(command, env, logfile):
    """Peak RSS of the contender when it connects and does nothing, in KiB."""
    _, rss, rc = timed(command + ["noop"], env, logfile)
    return rss if rc == 0 else None


# --- the table ---------------------------------------------------------------

def fmt(value, spec):
    return "-" if value is None else spec % value


def paired_ratio(ceiling, result):
    """The median of C/this over the rounds both ran: a slow spell of the
    machine then weighs on both sides of each ratio alike."""
    if not ceiling or not ceiling.times or not result.times or len(ceiling.times) != len(result.times):
        return None
    return statistics.median(c / t for c, t in zip(ceiling.times, result.times))


def table(results, bases, ceiling, python):
    head = ("contender", "set", "op", "best s", "median s", "files/s", "MB/s", "peak RSS MiB",
            "over base MiB", "C/this", "paired", "this/Py")
    rows = []
    by_key = {(r.contender, r.data_set, r.op): r for r in results}
    for r in results:
        if r.error:
            rows.append((r.contender, r.data_set, r.op, "FAILED: " + r.error) + ("",) * 8)
            continue
        best = r.best
        peak = max(r.rss)
        base = bases.get(r.contender)
        c = by_key.get((ceiling, r.data_set, r.op))
        py = by_key.get((python, r.data_set, r.op))
        rows.append((
            r.contender, r.data_set, r.op,
            "%.2f" % best, "%.2f" % r.median,
            "%.0f" % (r.info["count"] / best),
            "%.1f" % (r.info["bytes"] / best / 1e6),
            "%.1f" % (peak / 1024),
            fmt(None if base is None else (peak - base) / 1024, "%.1f"),
            fmt(c.best / best if c and c.best else None, "%.2f"),
            fmt(paired_ratio(c, r), "%.2f"),
            fmt(best and py.best / best if py and py.best else None, "%.2f"),
        ))
    widths = [max(len(str(row[i])) for row in rows + [head]) for i in range(len(head))]
    lines = []
    for row in [head] + rows:
        if str(row[3]).startswith("FAILED"):
            lines.append("  ".join(str(row[i]).ljust(widths[i]) for i in range(3)) + "  " + row[3])
        else:
            lines.append("  ".join(str(v).rjust(widths[i]) if i >= 3 else str(v).ljust(widths[i])
                                   for i, v in enumerate(row)))
        if row is head:
            lines.append("  ".join("-" * w for w in widths))
    return "\n".join(lines)


def targets(results, bases, ours, ceiling, python):
    """The issue's targets for our engine, one line each."""
    by_key = {(r.contender, r.data_set, r.op): r for r in results}
    lines = []
    for r in results:
        if r.contender != ours or r.op not in ("import", "export"):
            continue
        name = "%s %s" % (r.data_set, r.op)
        if r.error:
            lines.append("MISSED  %-14s failed: %s" % (name, r.error))
            continue
        c = by_key.get((ceiling, r.data_set, r.op))
        py = by_key.get((python, r.data_set, r.op))
        if c and c.best:
            ok = r.best <= 1.10 * c.best
            lines.append("%-7s %-14s within 10%% of the C ceiling: %.2f s vs %.2f s (%+.0f%%)"
                         % ("met" if ok else "MISSED", name, r.best, c.best, 100 * (r.best / c.best - 1)))
        if py and py.best:
            want = 1.2 if (r.data_set == "small" and r.op == "import") else 1.0
            ok = py.best / r.best >= want
            lines.append("%-7s %-14s at least %.1fx the Python peer: %.2fx"
                         % ("met" if ok else "MISSED", name, want, py.best / r.best))
        base = bases.get(ours)
        if base is not None:
            over = (max(r.rss) - base) * KIB
            if r.op == "import":
                # Ours and the client library's copy of it: send_long_data
                # copies each piece into a packet of its own.
                limit, what = 2 * CHUNK, "one chunk (%d MiB, twice with the client library's copy)" % (CHUNK // MIB)
            else:
                # The client library holds the row it received.
                limit, what = r.info["size"], "one row (%.2f MiB)" % (r.info["size"] / MIB)
            # Slack for the allocator; the small set's import also holds its
            # list of 20,000 file names, built before the first file.
            slack = MIB + (r.info["count"] * 200 if r.op == "import" else 0)
            ok = over <= limit + slack
            lines.append("%-7s %-14s peak memory within %s over the baseline (+%.1f MiB slack): %.1f MiB"
                         % ("met" if ok else "MISSED", name, what, slack / MIB, over / MIB))
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build-bench"))
    parser.add_argument("--dir", default=os.environ.get("VQ_BENCH_DIR", "/tmp/vq-bench"))
    parser.add_argument("--sets", default="small,medium,large")
    parser.add_argument("--contenders", default="c-ceiling,vantorquill,python-mysqldb,mariadb-cli")
    parser.add_argument("--ops", default=",".join(OPS))
    parser.add_argument("--repeat", type=int, default=int(os.environ.get("VQ_BENCH_REPEAT", "3")))
    parser.add_argument("--cli-repeat", type=int, default=int(os.environ.get("VQ_BENCH_CLI_REPEAT", "1")),
                        help="runs of the mariadb-cli peer (about 30 to 70 ms per file: 10 to 25 minutes an "
                             "operation on the small set)")
    parser.add_argument("--smoke", action="store_true", help="tiny sets, to check the harness")
    parser.add_argument("--no-drop-caches", action="store_true")
    args = parser.parse_args()

    all_sets = SMOKE_SETS if args.smoke else SETS
    root = os.path.join(os.path.abspath(args.dir), "smoke" if args.smoke else "full")
    sets = {name: all_sets[name] for name in args.sets.split(",")}
    ops = args.ops.split(",")
    available = contenders(os.path.abspath(args.build))
    chosen = []
    for name in args.contenders.split(","):
        if not os.path.exists(available[name][-1]):
            log("%s: %s is missing, left out of this run" % (name, available[name][-1]))
            continue
        chosen.append(name)

    check_free_space(root, sets)
    infos = {name: prepare_set(args.build, root, name, n, size) for name, (n, size) in sets.items()}
    env = dict(os.environ)
    env.update(server_env())
    reset_table(env)

    drop = not args.no_drop_caches and drop_caches(True)
    log("Page cache: %s" % ("dropped before every measurement" if drop else
                            "NOT dropped (needs root and a writable /proc/sys/vm/drop_caches)"))
    log("Each figure: best of %d runs (median beside it; mariadb-cli: %d); peak RSS: the largest of the runs."
        % (args.repeat, args.cli_repeat))

    results_dir = os.path.join(HERE, "results")
    os.makedirs(results_dir, exist_ok=True)
    stamp = time.strftime("%Y%m%d-%H%M%S")
    logfile = os.path.join(results_dir, "run-%s.log" % stamp)

    bases = {}
    for name in chosen:
        bases[name] = baseline(available[name], env, logfile)
    # Round by round: every contender once per round, so that a slow spell of
    # the machine touches them all alike. Export and merge read the table as
    # the last import left it (every import's content is checked).
    results = []
    for set_name, info in infos.items():
        if "import" not in ops and not fill_table(available, env, info, logfile):
            log("The table does not hold the %s set: export and merge left out" % set_name)
            continue
        for op in ops:
            row = {name: Result(name, set_name, op, info) for name in chosen}
            results.extend(row.values())
            rounds = max(args.repeat, args.cli_repeat)
            for round_no in range(1, rounds + 1):
                for name in chosen:
                    result = row[name]
                    wanted = args.cli_repeat if name == "mariadb-cli" else args.repeat
                    if result.error or round_no > wanted:
                        continue
                    log("%-15s %-7s %-7s round %d ..." % (name, set_name, op, round_no))
                    if run_once(available[name], op, env, info, root, drop, logfile, result):
                        log("    %.2f s, peak RSS %.1f MiB" % (result.times[-1], result.rss[-1] / 1024))
                    else:
                        log("    FAILED: %s" % result.error)
            if op == "import" and check_import(env, info) is not None and not fill_table(available, env, info, logfile):
                log("The table does not hold the %s set: export and merge left out" % set_name)
                break
        reset_table(env)

    report = []
    report.append("Data sets (seed %d): %s" % (SEED, ", ".join(
        "%s %d x %s" % (n, c, ("%d KiB" % (s // KIB)) if s < MIB else ("%d MiB" % (s // MIB)))
        for n, (c, s) in sets.items())))
    report.append("Best of %d runs (mariadb-cli: %d); page cache %s; every value checked by SHA-256 "
                  "(in the server and in the written files)."
                  % (args.repeat, args.cli_repeat, "dropped before each run" if drop else "not dropped"))
    report.append("Baseline peak RSS (connect, nothing else): " + ", ".join(
        "%s %s MiB" % (n, fmt(None if b is None else b / 1024, "%.1f")) for n, b in bases.items()))
    report.append("")
    report.append(table(results, bases, "c-ceiling", "python-mysqldb"))
    if "vantorquill" in chosen:
        report.append("")
        report.append("Targets:")
        report.append(targets(results, bases, "vantorquill", "c-ceiling", "python-mysqldb"))
    text = "\n".join(report)
    log("")
    log(text)
    raw = {"bases": bases, "results": [
        {"contender": r.contender, "set": r.data_set, "op": r.op, "times": r.times, "rss": r.rss,
         "error": r.error, "count": r.info["count"], "bytes": r.info["bytes"], "size": r.info["size"]}
        for r in results]}
    with open(os.path.join(results_dir, "result-%s.json" % stamp), "w") as f:
        json.dump(raw, f, indent=1)
    for path in (os.path.join(results_dir, "result-%s.txt" % stamp), os.path.join(results_dir, "latest.txt")):
        with open(path, "w") as f:
            f.write(text + "\n")
    log("\nWritten to %s (log: %s)" % (os.path.join(results_dir, "latest.txt"), logfile))
    return 1 if any(r.error for r in results) else 0


if __name__ == "__main__":
    sys.exit(main())
