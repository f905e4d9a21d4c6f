#!/usr/bin/env python3
"""Differential check of the mirror against rsync: a seeded random source
tree goes through rounds of changes (new, changed and deleted files and
folders, files that become folders and back, empty files and folders, names
with blanks and umlauts, names ending in ".arc2del"); after every round the
host engine mirrors it into one folder and `rsync -a --delete` into another,
and the two must agree outside "@" (kinds, contents, file dates). The
engine's run must count 0 errors and leave no temporary copy and nothing
set aside, and nothing may be lost: what the mirror
held before the round is in the mirror or "@" after it, and with unlimited
versions everything "@" held as well.

    tests/reliability/rsync_diff.py                 the CI seeds
    tests/reliability/rsync_diff.py --seed 77 --rounds 200 [--versions 2]
    tests/reliability/rsync_diff.py --seed 77 --keep /tmp/diff77
    tests/reliability/rsync_diff.py --skip type-changes,set-aside-names

Every change dates what it writes a minute after the round before, so both
tools see it (the engine goes by file dates with a 2-second tolerance,
rsync by size and date). Exits 1 at the first round that differs, naming
seed and round; --keep leaves the trees of that round.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

import trees

# Seed and version limit of each CI run; -1 is unlimited. Seeds 22 to 24
# soon change a file and drop its ".arc2del" twin with one version kept.
CI_RUNS = [(1, -1), (2, 2), (3, 3), (4, -1), (5, 2), (22, 1), (23, 1), (24, 1)]
CI_ROUNDS = 16

WORDS = ["Brief", "Größe", "Übersicht", "Ämter", "Notizen", "Urlaub Sommer", "Straße", "Bericht",
         "Tabelle", "Entwurf", "Öl und Wasser", "daten", "Liste", "Kopie von Plan", "ß", "Café"]
# No digits: a name ending in one would share "@" slots with another name
# (slot 1 of "a.txt" is "a1.txt"), which the tools are free to treat apart.
EXTS = [".txt", ".doc", "", ".jpg", ".tar.gz", " .txt", ".TXT"]


KINDS = ("type-changes", "set-aside-names")


class Source:
    """The source tree and the random changes made to it; `skip` leaves out
    some KINDS of change."""

    def __init__(self, root, rnd, start, skip=()):
        self.root = root
        self.skip = skip
        self.used = {}  # lower-case path -> (spelling, kind) of every name made
        self.rnd = rnd
        self.mtime = start

    def path(self, rel):
        return os.path.join(self.root, rel)

    def entries(self, kind):
        out = []
        for base, dirs, files in os.walk(self.root):
            rel = os.path.relpath(base, self.root)
            names = dirs if kind == "d" else files
            out += [os.path.normpath(os.path.join(rel, n)) for n in names]
        return sorted(out)

    def folders(self):
        return ["."] + self.entries("d")

    def free_name(self, folder, kind, name=None):
        """A name not taken in `folder`, ignoring case as the engine does. A
        name once used keeps its spelling (the engine keeps the mirror's
        spelling of a name that only changed case, as Windows does), and
        without type changes also its kind, so that no file of a name ever
        follows a folder of it, even rounds later."""
        taken = {n.lower() for n in os.listdir(self.path(folder))}
        for _ in range(50):
            candidate = name or self.rnd.choice(WORDS) + self.rnd.choice(EXTS)
            name = None
            key = os.path.normpath(os.path.join(folder, candidate)).lower()
            spelling, was = self.used.get(key, (candidate, kind))
            if spelling.lower() in taken or ("type-changes" in self.skip and was != kind):
                continue
            self.used[key] = (spelling, kind)
            return os.path.normpath(os.path.join(folder, spelling))
        return None

    def write(self, rel):
        data = b""
        if self.rnd.random() > 0.15:
            data = ("%s|%d\n" % (rel, self.rnd.getrandbits(64))).encode()
            data += self.rnd.randbytes(self.rnd.choice([0, 100, 3000, 70000]))
        trees.write_file(self.path(rel), data, self.mtime)

    def new_file(self):
        self.new_file_in(self.rnd.choice(self.folders()))

    def new_folder(self, rel=None):
        rel = rel or self.free_name(self.rnd.choice(self.folders()), "d")
        if not rel:
            return
        os.makedirs(self.path(rel))
        for _ in range(self.rnd.randrange(0, 4)):
            self.new_file_in(rel)

    def new_file_in(self, folder):
        rel = self.free_name(folder, "f")
        if rel:
            self.write(rel)

    def set_aside_name(self):
        """A file named like another one plus ".arc2del", the name a version
        of the other one is set aside under."""
        files = self.entries("f")
        if files:
            other = self.rnd.choice(files)
            rel = self.free_name(os.path.dirname(other) or ".", "f", os.path.basename(other) + ".arc2del")
            if rel:
                self.write(rel)

    def set_aside_pair(self):
        """A file changes and its ".arc2del" twin vanishes in the same round:
        the version set aside for the one and the other's slot share a name."""
        twins = [f for f in self.entries("f") if os.path.isfile(self.path(f + ".arc2del"))]
        if twins:
            rel = self.rnd.choice(twins)
            self.write(rel)
            os.remove(self.path(rel + ".arc2del"))

    def change(self):
        files = self.entries("f")
        if files:
            self.write(self.rnd.choice(files))

    def delete_file(self):
        files = self.entries("f")
        if files:
            os.remove(self.path(self.rnd.choice(files)))

    def delete_folder(self):
        folders = self.entries("d")
        if folders:
            shutil.rmtree(self.path(self.rnd.choice(folders)))

    def file_to_folder(self):
        files = self.entries("f")
        if files:
            rel = self.rnd.choice(files)
            os.remove(self.path(rel))
            self.used[rel.lower()] = (os.path.basename(rel), "d")
            self.new_folder(rel)

    def folder_to_file(self):
        folders = self.entries("d")
        if folders:
            rel = self.rnd.choice(folders)
            shutil.rmtree(self.path(rel))
            self.used[rel.lower()] = (os.path.basename(rel), "f")
            self.write(rel)

    def round(self, changes):
        self.mtime += 60
        ops = [(self.new_file, 5), (self.change, 5), (self.delete_file, 3), (self.new_folder, 2),
               (self.delete_folder, 1)]
        if "type-changes" not in self.skip:
            ops += [(self.file_to_folder, 1), (self.folder_to_file, 1)]
        if "set-aside-names" not in self.skip:
            ops += [(self.set_aside_name, 2), (self.set_aside_pair, 2)]
        for _ in range(changes):
            self.rnd.choices([op for op, _ in ops], [w for _, w in ops])[0]()


def engine_round(driver, src, mirror, config, versions):
    p = trees.run_engine(driver, src, mirror, config, versions)
    if p.returncode != 0 or "errors 0," not in p.stdout:
        return ["engine run: exit %d, %s %s" % (p.returncode, p.stdout.strip(),
                                                 p.stderr.strip().replace("\n", " | "))]
    return []


def rsync_round(src, mirror):
    p = subprocess.run(["rsync", "-a", "--delete", src + "/", mirror + "/"], capture_output=True, text=True)
    return [] if p.returncode == 0 else ["rsync: exit %d %s" % (p.returncode, p.stderr.strip())]


def lost(before, after, versions):
    """Contents the destination held before the round and holds nowhere now."""
    need = trees.contents(before) if versions < 0 else trees.contents(trees.mirror_part(before))
    return trees.missing_contents(need, trees.contents(after))


def run_seed(driver, seed, rounds, versions, scratch, keep=None, skip=()):
    """Problems of the first round that went wrong, or []."""
    rnd = random.Random(seed)
    base = os.path.join(scratch, "seed%d" % seed)
    shutil.rmtree(base, ignore_errors=True)
    dirs = {k: os.path.join(base, k) for k in ("src", "engine", "rsync", "config")}
    for d in dirs.values():
        os.makedirs(d)
    src = Source(dirs["src"], rnd, int(time.time()) - 30 * 86400, skip)
    for _ in range(rnd.randrange(3, 7)):
        src.new_folder()
    for _ in range(rnd.randrange(10, 25)):
        src.new_file()

    for r in range(rounds + 1):
        if r:
            src.round(rnd.randrange(2, 9))
        before = trees.snapshot(dirs["engine"])
        problems = engine_round(driver, dirs["src"], dirs["engine"], dirs["config"], versions)
        problems += rsync_round(dirs["src"], dirs["rsync"])
        after = trees.snapshot(dirs["engine"])
        problems += trees.mirror_differences(trees.snapshot(dirs["rsync"]), after)
        problems += ["lost: " + c[:12] + " " + where(before, c) for c in lost(before, after, versions)]
        problems += ["temporary copy left: " + p for p in trees.temp_leftovers(after)]
        problems += ["set-aside version left: " + p for p in trees.set_aside_area(after)]
        if problems:
            if keep:
                shutil.rmtree(keep, ignore_errors=True)
                shutil.copytree(base, keep, symlinks=True)
            return ["seed %d, versions %d, round %d of %d:" % (seed, versions, r, rounds)] + problems
    shutil.rmtree(base, ignore_errors=True)
    return []


def where(snap, content):
    return ", ".join(r for r, v in snap.items() if v[0] == "f" and v[1] == content)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--driver", default=trees.default_driver())
    ap.add_argument("--seed", type=int, help="one seed instead of the CI set")
    ap.add_argument("--rounds", type=int, default=CI_ROUNDS)
    ap.add_argument("--versions", type=int, default=-1,
                    help="with --seed: version limit, -1 unlimited (0, archiving off, keeps vanished entries)")
    ap.add_argument("--keep", help="with --seed: keep the trees of a failing round here")
    ap.add_argument("--skip", default="", help="kinds of change to leave out: " + ",".join(KINDS))
    args = ap.parse_args()
    if args.versions == 0:
        sys.exit("rsync_diff: with archiving off the mirror keeps vanished entries; rsync is no oracle then")
    skip = [k for k in args.skip.split(",") if k]
    if any(k not in KINDS for k in skip):
        sys.exit("rsync_diff: --skip takes " + ",".join(KINDS))
    driver = os.path.abspath(args.driver)
    if not os.access(driver, os.X_OK):
        sys.exit("rsync_diff: no driver at %s (build the host preset)" % driver)

    runs = [(args.seed, args.versions)] if args.seed is not None else CI_RUNS
    t0 = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="tresoro-diff-")
    failed = 0
    try:
        for seed, versions in runs:
            t = time.monotonic()
            problems = run_seed(driver, seed, args.rounds, versions, scratch,
                                args.keep if args.seed is not None else None, skip)
            status = "FAIL" if problems else "PASS"
            print("%s seed %d, versions %d, %d rounds (%.1f s)" % (status, seed, versions, args.rounds,
                                                                 time.monotonic() - t))
            for p in problems[:15]:
                print("    " + p)
            failed += bool(problems)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("== differential check against rsync: %d seeds, %d rounds each, %d failed, %.0f s" %
          (len(runs), args.rounds, failed, time.monotonic() - t0))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
