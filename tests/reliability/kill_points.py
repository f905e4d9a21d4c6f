#!/usr/bin/env python3
"""Kills the host engine in the middle of a backup run, at chosen system
calls and at chosen instants, and checks after each kill that nothing under
a real name is torn and nothing the destination and its "@" held is gone;
then runs the job again and checks that the mirror converged: equal to the
source, no temporary copies, nothing set aside, exactly the versions "@"
must hold, 0 errors. Before the kills, one whole run under strace shows
that every copy was flushed before it got its real name, and its directory
after it (flush_order.py). After the kill and after that run, the archive's
index must agree with "@" on every slot both name, and the newest state
restored (bench_restore beside the driver) must be the source.

    tests/reliability/kill_points.py [--driver build/host/bench/bench_run_job]
        [--all] [--min-kills 30] [--keep DIR] [--large-mb 2]
        [--skip type-changes,set-aside-trap,damaged] [--verify]

The kill at the n-th call of a system call is made by strace's fault
injection (SIGKILL on entry); the instants are spread over the time a whole
run takes. Without --all, the calls that change names (rename, link,
unlink, mkdir) and fsync and syncfs, the flushes before a name, are taken at up to 6
occurrences each and the rest sampled, enough for CI; --all takes every occurrence. Exits 1 when a check failed or
fewer than --min-kills runs were really killed.

With --verify every run is "Prüfen" (--verify 1) over the scenario with its
damaged mirror copies, kills fall also at the reads that compare, and after
the finishing run another one must find nothing that differs.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import flush_order
import index_check
import kill_scenario
import trees

NAME_CALLS = ["rename", "renameat", "renameat2", "linkat", "unlink", "unlinkat", "mkdir", "mkdirat", "rmdir"]
DATA_CALLS = ["copy_file_range", "fsync", "syncfs", "write", "openat", "utimensat", "fchmod"]
# Taken as densely as the names: a kill there is one between flush and name.
DENSE_CALLS = NAME_CALLS + ["fsync", "syncfs"]
# What a verify run's comparison adds: the reads of both copies.
VERIFY_CALLS = ["read"]
VERIFY = False


def spread(count, most):
    """Up to `most` occurrence numbers out of 1..count, evenly spread, the
    first and the last included."""
    if count <= most:
        return list(range(1, count + 1))
    if most == 1:
        return [count]
    return sorted({1 + round(i * (count - 1) / (most - 1)) for i in range(most)})


def count_calls(driver, template, work):
    """Per system call, how often a whole run makes it, and the run's time."""
    trees.copy_fresh(template, work)
    out = os.path.join(work, "strace-count.txt")
    sc = kill_scenario.Scenario(work)
    trees.run_engine(driver, sc.src, sc.dest, config_dir(work), kill_scenario.VERSIONS,
                     prefix=["strace", "-f", "-c", "-o", out], verify=VERIFY)
    calls = {}
    with open(out) as f:
        for line in f:
            m = re.match(r"\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?(\w+)\s*$", line)
            if m and m.group(2) != "total":
                calls[m.group(2)] = int(m.group(1))
    trees.copy_fresh(template, work)
    started = time.monotonic()
    trees.run_engine(driver, sc.src, sc.dest, config_dir(work), kill_scenario.VERSIONS, verify=VERIFY)
    return calls, time.monotonic() - started


def config_dir(work):
    path = os.path.join(work, "config")
    os.makedirs(path, exist_ok=True)
    return path


def kill_points(calls, seconds, every):
    """(label, strace prefix or None, delay or None) for each kill to try."""
    points = []
    for name in NAME_CALLS + DATA_CALLS + (VERIFY_CALLS if VERIFY else []):
        count = calls.get(name, 0)
        most = count if every else (6 if name in DENSE_CALLS else 2)
        for n in spread(count, most):
            inject = "inject=%s:signal=SIGKILL:when=%d" % (name, n)
            points.append(("%s #%d" % (name, n), ["strace", "-f", "-qq", "-o", "/dev/null",
                                                  "-e", "trace=" + name, "-e", inject], None))
    total = sum(calls.values())
    for n in spread(total, total if every else 8)[1:]:
        inject = "inject=all:signal=SIGKILL:when=%d" % n
        points.append(("any call #%d" % n, ["strace", "-f", "-qq", "-o", "/dev/null", "-e", inject], None))
    for i in range(1, 7):
        points.append(("%.0f%% of the run" % (i * 100 / 7), None, seconds * i / 7))
    return points


def interrupted_run(driver, sc, prefix, delay):
    """Runs the job and kills it; True when it really died of the kill
    (strace dies of the signal its tracee got)."""
    cmd = list(prefix or []) + [driver, "--src", sc.src, "--dest", sc.dest, "--config", config_dir(sc.root),
                                "--versions", str(kill_scenario.VERSIONS)] + (["--verify", "1"] if VERIFY else [])
    if delay is None:
        return subprocess.run(cmd, capture_output=True, timeout=300).returncode == -9
    p = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(delay)
    p.kill()
    return p.wait() == -9


def finishing_run(driver, sc):
    p = trees.run_engine(driver, sc.src, sc.dest, config_dir(sc.root), kill_scenario.VERSIONS, verify=VERIFY)
    problems = []
    if p.returncode != 0 or not re.search(r"errors 0\b", p.stdout):
        problems.append("run after the kill: exit %d, %s %s" % (p.returncode, p.stdout.strip(),
                                                                 p.stderr.strip().replace("\n", " | ")))
    return problems


def second_verify(driver, sc):
    """After the finishing verify run: another finds nothing to repair."""
    p = trees.run_engine(driver, sc.src, sc.dest, config_dir(sc.root), kill_scenario.VERSIONS, verify=True)
    if p.returncode == 0 and re.search(r"differing 0\b", p.stdout):
        return []
    return ["second verify run: exit %d, %s" % (p.returncode, p.stdout.strip())]


def try_point(driver, sc, before, label, prefix, delay):
    """(killed, problems) of one kill point; a point whose call never came
    (or whose run was quicker) counts as not killed and is not checked."""
    problems = []
    if label != "no kill":
        if not interrupted_run(driver, sc, prefix, delay):
            return False, []
        problems += ["after the kill: " + p for p in kill_scenario.check_after_kill(sc, before)]
        problems += ["after the kill: " + p for p in index_check.index_problems(sc.dest)]
    problems += finishing_run(driver, sc)
    problems += kill_scenario.check_converged(sc, before)
    problems += index_check.index_problems(sc.dest)
    problems += index_check.restore_problems(restore_driver(driver), sc.dest, before.source)
    if VERIFY and not problems:
        problems += second_verify(driver, sc)
    return label != "no kill", problems


def restore_driver(driver):
    return os.path.join(os.path.dirname(driver), "bench_restore")


def report(label, problems, work, keep):
    print("FAIL %s" % label)
    for p in problems[:12]:
        print("    " + p)
    if len(problems) > 12:
        print("    ... %d more" % (len(problems) - 12))
    if keep:
        kept = os.path.join(keep, re.sub(r"[^\w]+", "_", label))
        shutil.rmtree(kept, ignore_errors=True)
        shutil.copytree(work, kept, symlinks=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--driver", default=trees.default_driver())
    ap.add_argument("--all", action="store_true", help="every occurrence of every call")
    ap.add_argument("--min-kills", type=int, default=30)
    ap.add_argument("--large-mb", type=int, default=2)
    ap.add_argument("--skip", default="", help="parts of the scenario to leave out: " +
                    ",".join(kill_scenario.PARTS))
    ap.add_argument("--keep", help="keep the trees of failed points below this folder")
    ap.add_argument("--verify", action="store_true", help='every run is "Prüfen", over damaged mirror copies')
    args = ap.parse_args()
    global VERIFY
    VERIFY = args.verify
    driver = os.path.abspath(args.driver)
    for program in (driver, restore_driver(driver)):
        if not os.access(program, os.X_OK):
            sys.exit("kill_points: no driver at %s (build the host preset)" % program)

    t0 = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="tresoro-kill-")
    template = os.path.join(scratch, "template")
    work = os.path.join(scratch, "work")
    skip = [p for p in args.skip.split(",") if p]
    if any(p not in kill_scenario.PARTS for p in skip):
        sys.exit("kill_points: --skip takes " + ",".join(kill_scenario.PARTS))
    scenario = kill_scenario.build(template, large_mb=args.large_mb, skip=skip, damaged=VERIFY)
    before = kill_scenario.Before(scenario)

    trees.copy_fresh(template, work)
    sc = scenario.at(work)
    names, order_problems = flush_order.check(driver, sc.src, sc.dest, config_dir(work), kill_scenario.VERSIONS,
                                              os.path.join(scratch, "strace-order.txt"))
    print("flush before name: %d names given, %d problems" % (names, len(order_problems)))
    if names == 0:
        order_problems.append("the run gave no copy a name: nothing was checked")
    calls, seconds = count_calls(driver, template, work)
    points = [("no kill", None, None)] + kill_points(calls, seconds, args.all)
    print("kill points: %d to try; a whole run makes %d system calls in %.2f s" %
          (len(points) - 1, sum(calls.values()), seconds))

    killed = failed = 0
    if order_problems:
        failed += 1
        report("flush before name", order_problems, work, args.keep)
    try:
        for label, prefix, delay in points:
            trees.copy_fresh(template, work)
            was_killed, problems = try_point(driver, scenario.at(work), before, label, prefix, delay)
            killed += was_killed
            if problems:
                failed += 1
                report(label, problems, work, args.keep)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)

    print("== kill points: %d runs killed, %d failed, %.0f s" % (killed, failed, time.monotonic() - t0))
    if killed < args.min_kills:
        print("FAIL only %d runs were killed, at least %d wanted" % (killed, args.min_kills))
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
