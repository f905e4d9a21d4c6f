#!/usr/bin/env python3
"""Kills the real Tresoro.exe under Wine during an unattended "/S1" run over
the kill scenario (kill_scenario.py), then checks as the host harness does:
nothing torn under a real name, nothing the destination and its "@" held
gone; then a second "/S1" run must end by itself with exit code 0 and no
error log, the mirror equal to the source, nothing left over, exactly the
versions "@" must hold.

    tests/reliability/wine_kills.py [BUILD_DIR] [--kills 5] [--large-mb 12]
        [--new-small 300] [--skip type-changes,set-aside-trap,damaged] [--verify]

BUILD_DIR is a win preset build (default build/win). The Wine prefix is the
end-to-end suite's (BUILD_DIR/e2e/prefix or E2E_DIR/prefix, made when missing); the display is
DISPLAY or an Xvfb of our own. A first run without a kill measures how long
the job takes (from the run writing its configuration to the copy of it in
"@"); the kills fall at even fractions of the first 80 % of that time
after the run starts. Fails also when fewer than half of the kills fell
during the job (a kill that came too late is tried again, sooner). The
scenario begins with a folder of --new-small new small files, which the
writers copy ahead under their temporary names; each kill says how many
of those it left (the finishing run must sweep them all).

With --verify every run is "/VERIFY" over the scenario with its damaged
mirror copies (kill_scenario.py): kills fall while it compares and while it
repairs; the finishing run ends by itself with exit code 0 or 1 (1 when it
still had something to repair), and the one after it with 0.
"""
import argparse
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

import kill_scenario
import trees

ROOT = "tresoro-kill"  # below the prefix's C:
VERIFY = False
# A small job first, so that a kill during the scenario's job finds the
# first one in the month's log; then the scenario's job.
FIRST_SRC = "C:\\%s\\vorher\\" % ROOT
JOBS = ["1 = 1000|%s|C:\\%s\\vorher-ziel\\|1|0|0|%d|0|0" % (FIRST_SRC, ROOT, kill_scenario.VERSIONS),
        "2 = 1001|C:\\%s\\src\\|C:\\%s\\dest\\|1|0|0|%d|0|0" % (ROOT, ROOT, kill_scenario.VERSIONS)]


class Wine:
    def __init__(self, build):
        self.exe = os.path.join(build, "Tresoro.exe")
        # E2E_DIR: the end-to-end suite's other place for its prefix.
        self.prefix = os.path.join(os.environ.get("E2E_DIR") or os.path.join(build, "e2e"), "prefix")
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", LC_ALL="C.UTF-8")
        self.xvfb = None
        self.drive_c = os.path.join(self.prefix, "drive_c")
        self.data = None  # known once the prefix is made (start)

    def find_data(self):
        """The program's folder in %APPDATA%, as the prefix names it: asked
        only once the prefix exists, or a fresh one's configuration would
        go where the program never looks."""
        user = pwd.getpwuid(os.getuid()).pw_name
        roaming = os.path.join(self.drive_c, "users", user, "AppData", "Roaming")
        if not os.path.isdir(roaming):
            roaming = os.path.join(self.drive_c, "users", user, "Application Data")
        self.data = os.path.join(roaming, "TresoroData")

    def start(self):
        if not self.env.get("DISPLAY"):
            r, w = os.pipe()
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24",
                                          "-nolisten", "tcp"], pass_fds=[w],
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(w)
            with os.fdopen(r) as f:
                self.env["DISPLAY"] = ":" + f.readline().strip()
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            os.makedirs(self.prefix, exist_ok=True)
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.find_data()

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()

    def write_ini(self):
        """The configuration as the program writes it (BOM, CR LF), with the
        two jobs selected, due at every start, 3 versions; the run starts a second
        after the program (0 would be no automatic start)."""
        shutil.rmtree(self.data, ignore_errors=True)
        os.makedirs(self.data)
        lines = ["", "[GENERAL]", "INIVersion = 110708", "GStdAuto = 0", "GBupBeiStartVerz = 1",
                 "[Window]", "GDMScale = 1.000000", "[PATHS]"] + JOBS
        with open(self.ini(), "wb") as f:
            f.write(b"\xef\xbb\xbf" + "".join(l + "\r\n" for l in lines).encode())
        os.utime(self.ini(), (time.time() - 60, time.time() - 60))

    def ini(self):
        return os.path.join(self.data, "Tresoro.ini")

    def error_log(self):
        return os.path.join(self.data, "TresoroErr%d.log" % time.localtime().tm_mon)

    def first_job_logged(self):
        """True when the month's log on disk names the first job."""
        try:
            with open(os.path.join(self.data, "Tresoro%d.log" % time.localtime().tm_mon), "rb") as f:
                return FIRST_SRC.encode() in f.read()
        except FileNotFoundError:
            return False

    def run(self):
        return subprocess.Popen(["wine", self.exe, "/VERIFY" if VERIFY else "/S1"], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def run_started(wine, written):
    """True once the run has written its configuration (the first thing a
    run does)."""
    try:
        return os.stat(wine.ini()).st_mtime > written
    except FileNotFoundError:
        return False


def timed_run(wine, sc, kill_after=None, limit=180.0):
    """Starts "/S1"; kills it `kill_after` seconds after the run started.
    Returns (exit code or None when killed, seconds from the start of the
    run to the configuration copy in "@", or None when it never came)."""
    written = os.stat(wine.ini()).st_mtime
    copy = os.path.join(sc.dest, trees.CONFIG_COPY)
    p = wine.run()
    started = done = None
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        now = time.monotonic()
        if started is None and run_started(wine, written):
            started = now
        if started is not None and done is None and os.path.exists(copy):
            done = now - started
        if started is not None and kill_after is not None and now - started >= kill_after:
            p.kill()
            p.wait()
            return None, done
        if p.poll() is not None:
            return p.returncode, done
        time.sleep(0.005)
    p.kill()
    p.wait()
    return 124, done



def kill_during_job(wine, template, work, sc, delay):
    """Fresh trees, a run killed `delay` seconds after it started; when the
    job had ended by then, again with half the delay, up to three times.
    True when the kill fell during the job."""
    for _ in range(3):
        trees.copy_fresh(template, work)
        wine.write_ini()
        rc, done = timed_run(wine, sc, kill_after=delay)
        if rc is None and done is None:
            return True
        delay /= 2
    return False


def finishing_run(wine, codes=(0,)):
    """Problems of the run that must finish the job by itself."""
    problems = []
    if os.path.exists(wine.error_log()):
        os.remove(wine.error_log())
    rc, _ = timed_run(wine, kill_scenario.Scenario(os.path.join(wine.drive_c, ROOT)))
    if rc not in codes:
        problems.append("the finishing run ended with %s (124: still running after 180 s)" % rc)
    if os.path.exists(wine.error_log()):
        with open(wine.error_log(), encoding="utf-8", errors="replace") as f:
            problems.append("errors logged: " + " | ".join(f.read().split("\n")[:6]))
    return problems


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("build", nargs="?", default="build/win")
    ap.add_argument("--kills", type=int, default=5)
    ap.add_argument("--large-mb", type=int, default=12)
    ap.add_argument("--new-small", type=int, default=300)
    ap.add_argument("--skip", default="", help="parts of the scenario to leave out: " +
                    ",".join(kill_scenario.PARTS))
    ap.add_argument("--verify", action="store_true", help='every run is "/VERIFY", over damaged mirror copies')
    args = ap.parse_args()
    global VERIFY
    VERIFY = args.verify
    wine = Wine(os.path.abspath(args.build))
    if not os.path.exists(wine.exe):
        sys.exit("wine_kills: no %s (build the win preset)" % wine.exe)

    t0 = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="tresoro-winekill-")
    template = os.path.join(scratch, "template")
    skip = [p for p in args.skip.split(",") if p]
    scenario = kill_scenario.build(template, large_mb=args.large_mb, skip=skip, damaged=VERIFY,
                                   new_small=args.new_small)
    before = kill_scenario.Before(scenario)
    work = os.path.join(wine.drive_c, ROOT)
    sc = scenario.at(work)
    trees.write_file(os.path.join(template, "vorher", "Notiz.txt"), b"vorher\n", time.time() - 86400)
    os.makedirs(os.path.join(template, "vorher-ziel"))

    wine.start()
    failed = killed = 0
    try:
        trees.copy_fresh(template, work)
        wine.write_ini()
        rc, job_seconds = timed_run(wine, sc)
        print("a whole run: exit %s, the job took %s s" % (rc, "%.2f" % job_seconds if job_seconds else "?"))
        job_seconds = job_seconds or 1.0
        logged = 0
        for i in range(args.kills + 1):
            share = 0.8 * (i - 0.5) / args.kills
            label = "no kill" if i == 0 else "kill at %d%% of the job" % (100 * share)
            problems = []
            if i:
                was_killed = kill_during_job(wine, template, work, sc, job_seconds * share)
                killed += was_killed
                if not was_killed:
                    print("     %s: the job had ended before the kill, three times" % label)
                problems += ["after the kill: " + p for p in kill_scenario.check_after_kill(sc, before)]
                temps = len(trees.temp_leftovers(trees.snapshot(sc.dest)))
                # The scenario's job had begun, so the first one was done.
                if trees.snapshot(sc.dest) != before.dest:
                    logged += 1
                    if not wine.first_job_logged():
                        problems.append("after the kill: the finished first job is not in the month's log")
            else:
                trees.copy_fresh(template, work)
                wine.write_ini()
            problems += finishing_run(wine, (0, 1) if VERIFY else (0,))
            problems += kill_scenario.check_converged(sc, before)
            if VERIFY and not problems:
                problems += ["second /VERIFY: " + p for p in finishing_run(wine)]
            print("%s %s%s" % ("FAIL" if problems else "PASS", label,
                                ", %d temporary copies left by it" % temps if i else ""))
            for p in problems[:12]:
                print("    " + p)
            failed += bool(problems)
        print("     the first job's log line was looked for after %d kills" % logged)
    finally:
        wine.stop()
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(scratch, ignore_errors=True)
    print("== kills of Tresoro.exe under Wine: %d of %d runs killed during the job, %d failed, %.0f s" %
          (killed, args.kills, failed, time.monotonic() - t0))
    if killed * 2 < args.kills:
        print("FAIL fewer than half of the kills fell during the job")
        return 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
