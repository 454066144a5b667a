#!/usr/bin/env bash
# Mutation measurement of the test suite: plants the faults listed in
# tests/mutation/mutants.tsv one at a time, rebuilds, runs the tests that can
# see the fault, and reports how many of them the suite catches.
#
#   scripts/mutate.sh [options]
#
# Options:
#   --list FILE        the fault list (default tests/mutation/mutants.tsv)
#   --build-dir DIR    the build folder (default build-mut); configured here:
#                      Ninja, -O1, no sanitizers, no benchmarks
#   --lines RANGES     only the faults on these lines of the list: 12,15,20-30
#   --grep REGEX       only the faults whose list line matches REGEX (Python re)
#   --timeout SEC      least time a test may take on a fault before it counts as
#                      caught (default 180; three times its clean time if longer)
#   --jobs N           build jobs and tests run side by side (default 2)
#   --results FILE     the table (default <build-dir>/mutation-results.tsv)
#   --resume           keep the rows already in the table and go on after them
#   --no-confirm       take a test's first failure on a fault as final (by
#                      default a failing test is run once more and counts only
#                      when it fails again, so a test that fails by chance does
#                      not count as a catch)
#   --first            only the rate: the tests run one at a time, the quickest
#                      first, and a fault's run stops at its first catch (implies
#                      --no-confirm; "caught_by" then names that one test)
#   --skip-tests REGEX CTest names never run (default ^format_check$)
#   --check            only check that every fault applies to the sources
#   --compare FILE     a table of an earlier run (e.g. the committed baseline,
#                      tests/mutation/baseline-results.tsv): lists the faults
#                      caught there and missed now, and the other way round
#   --cmake-arg ARG    one more argument for the configure step (repeatable)
#
# Only the tests whose inputs changed are run on a fault: the test executable
# and any program of the build folder that the build makes for it first (a test
# that starts the game itself), compared by checksum with the clean build. A changed sound,
# music or phrase file of the program folder runs every test. An unchanged
# binary cannot see the fault.
#
# A fault whose build fails is "stillborn" and left out of the rate; one whose
# original text is missing or not unique in its file is "not applicable".
# Every planted file is written back when the run ends, however it ends (a
# copy of the original waits in <build-dir>/mutation-journal until then, and
# the next run puts it back if this one was killed), and the tree is rebuilt.
#
# Stop a run with Ctrl-C or by signalling this script's process.
set -euo pipefail
cd "$(dirname "$0")/.."

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy

read -r -d '' PROGRAM <<'PY' || true
import argparse
import concurrent.futures
import fcntl
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.getcwd()


class Stop(Exception):
    pass


RUNNING = set()  # child process groups, ended at once when the run is stopped
STOPPED = []


def on_signal(signum, _frame):
    STOPPED.append(signum)
    for proc in list(RUNNING):
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    raise Stop(f"signal {signum}")


for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(s, on_signal)


def log(*parts):
    print(*parts, flush=True)


def parse_args(argv):
    p = argparse.ArgumentParser(prog="scripts/mutate.sh")
    p.add_argument("--list", default="tests/mutation/mutants.tsv")
    p.add_argument("--build-dir", default="build-mut")
    p.add_argument("--lines", default="")
    p.add_argument("--grep", default="")
    p.add_argument("--timeout", type=float, default=180.0)
    p.add_argument("--jobs", type=int, default=2)
    p.add_argument("--results", default="")
    p.add_argument("--resume", action="store_true")
    p.add_argument("--no-confirm", action="store_true")
    p.add_argument("--first", action="store_true")
    p.add_argument("--skip-tests", default=r"^format_check$")
    p.add_argument("--check", action="store_true")
    p.add_argument("--compare", default="")
    p.add_argument("--cmake-arg", action="append", default=[])
    return p.parse_args(argv)


# ---------------------------------------------------------------- the list

def decode(text):
    out = []
    i = 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text) and text[i + 1] in "nt\\":
            out.append({"n": "\n", "t": "\t", "\\": "\\"}[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def line_set(ranges):
    wanted = set()
    for part in filter(None, (x.strip() for x in ranges.split(","))):
        if "-" in part:
            a, b = part.split("-", 1)
            wanted.update(range(int(a), int(b) + 1))
        else:
            wanted.add(int(part))
    return wanted


def read_list(path, lines_spec, pattern):
    wanted = line_set(lines_spec) if lines_spec else None
    regex = re.compile(pattern) if pattern else None
    faults = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            raw = raw.rstrip("\n").rstrip("\r")
            if not raw.strip() or raw.lstrip().startswith("#"):
                continue
            if wanted is not None and number not in wanted:
                continue
            if regex is not None and not regex.search(raw):
                continue
            fields = raw.split("\t")
            fault = {"line": number, "raw": raw}
            if len(fields) != 4:
                fault.update(path=fields[0], description="", problem=f"{len(fields)} fields, not 4")
            else:
                fault.update(path=fields[0], original=decode(fields[1]),
                             replacement=decode(fields[2]), description=fields[3], problem="")
            faults.append(fault)
    return faults


def applicability(fault):
    """Empty when the fault applies, else why not."""
    if fault["problem"]:
        return fault["problem"]
    full = os.path.join(ROOT, fault["path"])
    if not os.path.isfile(full):
        return "file missing"
    with open(full, encoding="utf-8") as f:
        text = f.read()
    n = text.count(fault["original"])
    if n != 1:
        return f"original text found {n} times"
    if fault["original"] == fault["replacement"]:
        return "replacement equals the original"
    return ""


# ---------------------------------------------------------------- planting

class Journal:
    """The original of the one planted file, kept until it is written back."""

    def __init__(self, build):
        self.dir = os.path.join(build, "mutation-journal")

    def put_back(self):
        name_file = os.path.join(self.dir, "path")
        copy = os.path.join(self.dir, "original")
        if os.path.exists(name_file) and os.path.exists(copy):
            with open(name_file, encoding="utf-8") as f:
                target = f.read()
            with open(copy, "rb") as f:
                data = f.read()
            write_bytes(target, data)
            log(f"restored {os.path.relpath(target, ROOT)}")
        for leftover in (name_file, copy):
            if os.path.exists(leftover):
                os.remove(leftover)

    def plant(self, fault):
        self.put_back()
        target = os.path.join(ROOT, fault["path"])
        with open(target, "rb") as f:
            data = f.read()
        os.makedirs(self.dir, exist_ok=True)
        with open(os.path.join(self.dir, "original"), "wb") as f:
            f.write(data)
        with open(os.path.join(self.dir, "path"), "w", encoding="utf-8") as f:
            f.write(target)
        text = data.decode("utf-8")
        write_bytes(target, text.replace(fault["original"], fault["replacement"], 1).encode("utf-8"))


def write_bytes(path, data):
    # Written in place with a fresh modification time, so that Ninja rebuilds
    # what depends on the file both after planting and after putting back.
    with open(path, "wb") as f:
        f.write(data)
    now = time.time()
    os.utime(path, (now, now))


# ---------------------------------------------------------------- build and tests

def run_logged(cmd, logfile, cwd=None):
    with open(logfile, "w") as out:
        proc = subprocess.Popen(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True)
        RUNNING.add(proc)
        try:
            return proc.wait()
        except BaseException:
            kill_group(proc)
            raise
        finally:
            RUNNING.discard(proc)


def kill_group(proc):
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    proc.wait()


def configure(args, build):
    cmd = ["cmake", "-S", ROOT, "-B", build, "-G", "Ninja",
           "-DCMAKE_BUILD_TYPE=Release", "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG",
           "-DKORVEL_SANITIZE=OFF", "-DKORVEL_BUILD_BENCHMARKS=OFF", "-DKORVEL_BUILD_TESTS=ON"]
    cmd += args.cmake_arg
    rc = run_logged(cmd, os.path.join(build, "mutation-configure.log"))
    if rc != 0:
        raise SystemExit(f"configure failed; see {build}/mutation-configure.log")


def build_tree(args, build, logfile):
    return run_logged(["ninja", "-C", build, f"-j{args.jobs}"], logfile) == 0


def read_tests(build, skip):
    out = subprocess.run(["ctest", "--test-dir", build, "--show-only=json-v1"],
                         capture_output=True, text=True, check=True).stdout
    skip_re = re.compile(skip) if skip else None
    tests = []
    for t in json.loads(out)["tests"]:
        if skip_re and skip_re.search(t["name"]):
            continue
        if not t.get("command"):
            raise SystemExit(f"test {t['name']} has no built command")
        props = {p["name"]: p["value"] for p in t.get("properties", [])}
        env = {}
        for item in props.get("ENVIRONMENT", []):
            key, _, value = item.partition("=")
            env[key] = value
        tests.append({"name": t["name"], "command": t["command"], "env": env,
                      "cwd": props.get("WORKING_DIRECTORY", build),
                      "timeout": float(props.get("TIMEOUT", 1500))})
    return tests


def digest(path):
    h = hashlib.sha1()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def is_elf(path):
    with open(path, "rb") as f:
        return f.read(4) == b"\x7fELF"


def programs_built_first(executable, build):
    """Programs of the build folder that the build makes before the test
    executable because the test runs them (its order-only inputs in Ninja)."""
    out = subprocess.run(["ninja", "-C", build, "-t", "query", os.path.relpath(executable, build)],
                         capture_output=True, text=True).stdout
    found = set()
    for raw in out.splitlines():
        m = re.match(r"^\s+\|\|?\s+(\S.*)$", raw)
        if not m:
            continue
        path = os.path.normpath(os.path.join(build, m.group(1).strip()))
        if (path != executable and os.path.isfile(path) and os.access(path, os.X_OK)
                and is_elf(path)):
            found.add(path)
    return sorted(found)


def test_inputs(tests, build):
    for t in tests:
        exe = os.path.normpath(t["command"][0])
        t["inputs"] = [exe] + (programs_built_first(exe, build) if exe.startswith(build + "/") else [])


def fingerprints(tests, program_dir):
    files = {p for t in tests for p in t["inputs"]}
    prints = {p: digest(p) for p in files}
    h = hashlib.sha1()
    if os.path.isdir(program_dir):
        for base, dirs, names in sorted(os.walk(program_dir)):
            dirs.sort()
            for name in sorted(names):
                path = os.path.join(base, name)
                if os.path.isfile(path) and not is_elf(path):
                    h.update(os.path.relpath(path, program_dir).encode())
                    h.update(digest(path).encode())
    prints["<program folder data>"] = h.hexdigest()
    return prints


def changed_tests(tests, before, after):
    if before["<program folder data>"] != after["<program folder data>"]:
        return list(tests)
    return [t for t in tests if any(before[p] != after[p] for p in t["inputs"])]


FAILED_CASE = re.compile(r"^\[  FAILED  \] ([^\s,]+)", re.M)


def run_test(t, limit, logfile):
    env = dict(os.environ)
    env.update(t["env"])
    env["GTEST_FAIL_FAST"] = "1"  # a program stops at its first failing case
    start = time.monotonic()
    with open(logfile, "w") as out:
        proc = subprocess.Popen(t["command"], cwd=t["cwd"], env=env, stdout=out,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                                start_new_session=True)
        RUNNING.add(proc)
        try:
            rc = proc.wait(timeout=limit)
            outcome = "pass" if rc == 0 else f"fail({rc})"
        except subprocess.TimeoutExpired:
            kill_group(proc)
            outcome = "timeout"
        except BaseException:
            kill_group(proc)
            raise
        finally:
            RUNNING.discard(proc)
    if STOPPED:
        raise Stop("signal")
    seconds = time.monotonic() - start
    case = ""
    if outcome != "pass":
        with open(logfile, errors="replace") as f:
            m = FAILED_CASE.search(f.read())
        case = m.group(1) if m else ""
        if not case and outcome.startswith("fail"):
            rc = int(outcome[5:-1])
            case = f"signal {-rc}" if rc < 0 else f"exit {rc}"
    return {"name": t["name"], "outcome": outcome, "seconds": seconds, "case": case}


def run_until_caught(tests, limits, clean_seconds, logdir, tag):
    results = []
    for t in sorted(tests, key=lambda t: clean_seconds[t["name"]]):
        r = run_test(t, limits[t["name"]], os.path.join(logdir, f"{tag}-{t['name']}.log"))
        results.append(r)
        if r["outcome"] != "pass":
            break
    return results


def run_tests(tests, limits, jobs, logdir, tag):
    order = sorted(tests, key=lambda t: -limits[t["name"]])
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, jobs)) as pool:
        futures = [pool.submit(run_test, t, limits[t["name"]],
                               os.path.join(logdir, f"{tag}-{t['name']}.log")) for t in order]
        return [f.result() for f in futures]


# ---------------------------------------------------------------- results

COLUMNS = ["line", "status", "path", "description", "tests_run", "caught_by",
           "build_s", "test_s", "total_s"]


def read_results(path):
    rows = {}
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            header = f.readline().rstrip("\n").split("\t")
            for raw in f:
                values = raw.rstrip("\n").split("\t")
                row = dict(zip(header, values))
                if row.get("line", "").isdigit():
                    rows[int(row["line"])] = row
    return rows


def write_results(path, rows):
    tmp = path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write("\t".join(COLUMNS) + "\n")
        for line in sorted(rows):
            f.write("\t".join(str(rows[line].get(c, "")) for c in COLUMNS) + "\n")
    os.replace(tmp, path)


def comparison(rows, earlier_path):
    earlier = read_results(earlier_path)
    lost = [l for l, r in sorted(rows.items())
            if r["status"] == "survived" and earlier.get(l, {}).get("status") == "caught"]
    gained = [l for l, r in sorted(rows.items())
              if r["status"] == "caught" and earlier.get(l, {}).get("status") == "survived"]
    out = [f"against {earlier_path}:"]
    out.append("  caught there, missed now: " + (", ".join(map(str, lost)) or "none"))
    out.append("  missed there, caught now: " + (", ".join(map(str, gained)) or "none"))
    for l in lost:
        out.append(f"    line {l}: {rows[l]['description']} (was caught by {earlier[l]['caught_by']})")
    return "\n".join(out)


def summary(rows, tests_order):
    caught = [r for r in rows.values() if r["status"] == "caught"]
    survived = [r for r in rows.values() if r["status"] == "survived"]
    counted = len(caught) + len(survived)
    rate = 100.0 * len(caught) / counted if counted else 0.0
    out = [f"caught {len(caught)} of {counted} ({rate:.1f}%)"]
    for status in ("stillborn", "not applicable"):
        left = sorted((r for r in rows.values() if r["status"] == status), key=lambda r: int(r["line"]))
        if left:
            out.append(f"{status}: {len(left)} (left out of the rate): lines "
                       + ", ".join(str(r["line"]) for r in left))
    out.append("")
    out.append("survivors:")
    for r in sorted(survived, key=lambda r: int(r["line"])):
        ran = r["tests_run"] or "no test binary changed"
        out.append(f"  line {r['line']}: {r['description']}  [ran: {ran}]")
    out.append("")
    only = {}
    for r in caught:
        names = [c.split("[")[0] for c in r["caught_by"].split(";") if c]
        if len(names) == 1:
            only.setdefault(names[0], []).append(r)
    out.append("faults only one test program catches:")
    for name in tests_order:
        if name in only:
            lines = ", ".join(str(r["line"]) for r in sorted(only[name], key=lambda r: int(r["line"])))
            out.append(f"  {name}: {len(only[name])}  (lines {lines})")
    timed = [float(r["total_s"]) for r in rows.values() if r.get("total_s")]
    if timed:
        out.append("")
        out.append(f"wall time per fault: mean {sum(timed) / len(timed):.0f} s, "
                   f"max {max(timed):.0f} s, total {sum(timed) / 60:.0f} min")
    return "\n".join(out)


# ---------------------------------------------------------------- main

def main(argv):
    args = parse_args(argv)
    build = os.path.abspath(args.build_dir)
    faults = read_list(args.list, args.lines, args.grep)
    if not faults:
        raise SystemExit("no fault selected")

    if args.check:
        bad = 0
        for fault in faults:
            why = applicability(fault)
            if why:
                bad += 1
                log(f"line {fault['line']}: not applicable: {why}  ({fault['path']})")
        log(f"{len(faults) - bad} of {len(faults)} faults apply")
        return 0 if bad == 0 else 1

    os.makedirs(build, exist_ok=True)
    lock = open(os.path.join(build, "mutation.lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        raise SystemExit(f"another mutation run holds {build}")
    journal = Journal(build)
    journal.put_back()  # left over from a run that was killed
    logdir = os.path.join(build, "mutation-logs")
    os.makedirs(logdir, exist_ok=True)
    results_path = os.path.abspath(args.results or os.path.join(build, "mutation-results.tsv"))
    rows = read_results(results_path) if args.resume else {}
    program_dir = os.path.join(build, "korvel")

    try:
        log("configuring and building the clean tree")
        configure(args, build)
        if not build_tree(args, build, os.path.join(logdir, "clean-build.log")):
            raise SystemExit(f"the clean tree does not build; see {logdir}/clean-build.log")
        tests = read_tests(build, args.skip_tests)
        test_inputs(tests, build)
        for t in tests:
            extra = [os.path.relpath(p, build) for p in t["inputs"][1:]]
            if extra:
                log(f"  {t['name']} also runs {', '.join(extra)}")
        baseline = fingerprints(tests, program_dir)

        log(f"running the clean suite ({len(tests)} test programs)")
        clean_limits = {t["name"]: t["timeout"] for t in tests}
        clean = run_tests(tests, clean_limits, args.jobs, logdir, "clean")
        for r in sorted(clean, key=lambda r: r["name"]):
            log(f"  {r['name']:20} {r['outcome']:10} {r['seconds']:6.1f} s")
        failed = [r["name"] for r in clean if r["outcome"] != "pass"]
        if failed:
            raise SystemExit(f"the clean suite fails ({', '.join(failed)}); no measurement. "
                             f"Logs: {logdir}/clean-*.log")
        limits = {r["name"]: max(args.timeout, 3.0 * r["seconds"]) for r in clean}
        clean_seconds = {r["name"]: r["seconds"] for r in clean}
        order = [t["name"] for t in tests]

        for index, fault in enumerate(faults, 1):
            if fault["line"] in rows:
                continue
            started = time.monotonic()
            row = {"line": fault["line"], "path": fault["path"],
                   "description": fault["description"], "tests_run": "", "caught_by": "",
                   "build_s": "", "test_s": "", "total_s": ""}
            why = applicability(fault)
            head = f"[{index}/{len(faults)}] line {fault['line']} {fault['path']}"
            if why:
                row["status"] = "not applicable"
                row["caught_by"] = why
                rows[fault["line"]] = row
                write_results(results_path, rows)
                log(f"{head}: not applicable ({why})")
                continue
            journal.plant(fault)
            t0 = time.monotonic()
            built = build_tree(args, build, os.path.join(logdir, f"L{fault['line']}-build.log"))
            row["build_s"] = f"{time.monotonic() - t0:.0f}"
            if not built:
                row["status"] = "stillborn"
            else:
                after = fingerprints(tests, program_dir)
                affected = changed_tests(tests, baseline, after)
                row["tests_run"] = ",".join(t["name"] for t in affected)
                t1 = time.monotonic()
                if args.first:
                    results = run_until_caught(affected, limits, clean_seconds, logdir,
                                               f"L{fault['line']}")
                else:
                    results = run_tests(affected, limits, args.jobs, logdir, f"L{fault['line']}")
                catchers = [r for r in results if r["outcome"] != "pass"]
                if catchers and not (args.no_confirm or args.first):
                    again = [t for t in affected if any(
                        r["name"] == t["name"] and r["outcome"].startswith("fail") for r in catchers)]
                    second = {r["name"]: r for r in run_tests(again, limits, args.jobs, logdir,
                                                              f"L{fault['line']}-again")}
                    catchers = [r for r in catchers
                                if r["outcome"] == "timeout" or second[r["name"]]["outcome"] != "pass"]
                row["test_s"] = f"{time.monotonic() - t1:.0f}"
                row["status"] = "caught" if catchers else "survived"
                row["caught_by"] = ";".join(
                    r["name"] + (f"[{r['case']}]" if r["case"] else "") +
                    ("[timeout]" if r["outcome"] == "timeout" else "")
                    for r in sorted(catchers, key=lambda r: order.index(r["name"])))
            journal.put_back()
            row["total_s"] = f"{time.monotonic() - started:.0f}"
            rows[fault["line"]] = row
            write_results(results_path, rows)
            log(f"{head}: {row['status']}"
                + (f" by {row['caught_by']}" if row["caught_by"] else "")
                + f" ({row['total_s']} s; ran {row['tests_run'] or 'nothing'})")
    finally:
        journal.put_back()
        log("rebuilding the clean tree")
        try:
            clean_again = build_tree(args, build, os.path.join(logdir, "final-build.log"))
            if not clean_again:
                log(f"the final rebuild failed; see {logdir}/final-build.log")
            elif "baseline" in locals():
                now = fingerprints(tests, program_dir)
                if now != baseline:
                    log("note: the rebuilt clean tree differs from the first clean build "
                        "(a build that is not reproducible only makes more tests run)")
        except (Exception, Stop) as e:  # the sources are back in any case
            log(f"final rebuild cut short: {e}")

    text = summary(rows, order)
    if args.compare:
        text += "\n\n" + comparison(rows, args.compare)
    summary_path = os.path.splitext(results_path)[0] + "-summary.txt"
    with open(summary_path, "w", encoding="utf-8") as f:
        f.write(text + "\n")
    log("")
    log(text)
    log("")
    log(f"table: {results_path}")
    log(f"summary: {summary_path}")
    return 0


try:
    sys.exit(main(sys.argv[1:]))
except Stop as e:
    log(f"stopped by {e}; sources restored")
    sys.exit(130)
PY

python3 -c "$PROGRAM" "$@" &
child=$!
forward() { kill -TERM "$child" 2>/dev/null || true; }
trap forward INT TERM HUP
status=0
while true; do
  wait "$child" && status=0 || status=$?
  kill -0 "$child" 2>/dev/null || break
done
exit "$status"
