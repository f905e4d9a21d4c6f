"""The archive's index read from outside, and a restore checked against the
source: after any kill and the run that finishes the work, what the index
says a slot of "@" holds must be what the slot holds (where both have it),
and restoring the newest state into an empty folder must give the source.

The index is "@/@/Archivindex.txt", one line a move:
    TI1 <tab> move <tab> time <tab> modified <tab> size <tab> from <tab> to <tab> crc32
with Windows paths relative to the destination and the CRC-32 (zlib's) of
everything before its tab as eight hex digits. A line that does not check
out is skipped, as a torn last line after a kill is.
"""
import os
import shutil
import subprocess
import tempfile
import time
import zlib

import trees

INDEX = trees.ARCHIVE_INDEX
# Moves that put a version of the mirror into a slot, those that move one
# on inside "@", and those after which the slot holds it no more.
INTO = "RVT"
ONWARD = "ABN"
GONE = "ZD"


def read_index(dest):
    """The records of the index below `dest` that check out, in order:
    (move, modified, size or None, from, to); size -1 is a folder."""
    try:
        with open(os.path.join(dest, INDEX), "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    records = []
    for line in data.split(b"\n"):
        body, _, crc = line.rpartition(b"\t")
        fields = body.split(b"\t")
        if len(fields) != 7 or fields[0] != b"TI1" or crc != b"%08x" % zlib.crc32(body):
            continue
        move, size = fields[1].decode(), fields[4].decode()
        size = -1 if size == "d" else None if size == "-" else int(size)
        records.append((move, int(fields[3]), size, fields[5].decode(), fields[6].decode()))
    return records


def slot_claims(records):
    """Upper-cased slot path -> (modified, size, moved away) after every
    record: a version moving on takes its claim along and leaves a marked
    one behind (the move may not have come); one gone drops it."""
    claims = {}
    for move, modified, size, src, dst in records:
        if move in INTO:
            claims[dst.upper()] = (modified, size, False)
        elif move in ONWARD:
            claim = claims.get(src.upper())
            if claim is None:
                if move != "B":
                    claims.pop(dst.upper(), None)
                continue
            claims[src.upper()] = claim[:2] + (True,)
            claims[dst.upper()] = claim[:2] + (False,)
        elif move in GONE:
            claims.pop(src.upper(), None)
    return claims


def local_seconds(mtime):
    """A file's date as the program writes it: local wall-clock seconds."""
    t = int(mtime)
    return t + time.localtime(t).tm_gmtoff


def index_problems(dest):
    """Slots of "@" that hold something else than the index says they do."""
    problems = []
    for slot, (modified, size, moved_away) in sorted(slot_claims(read_index(dest)).items()):
        if moved_away or not slot.startswith(trees.ARCHIVE + "\\"):
            continue
        rel = os.path.join(*slot.split("\\"))
        path = next((p for p in case_matches(dest, rel)), None)
        if path is None:
            continue
        st = os.lstat(path)
        is_dir = os.path.isdir(path)
        if (size == -1) != is_dir:
            problems.append("index and @ disagree on the kind of %s" % slot)
        elif not is_dir and size is not None and (st.st_size != size or local_seconds(st.st_mtime) != modified):
            problems.append("index and @ disagree on %s: recorded %s bytes of %d, there %d bytes of %d" %
                            (slot, size, modified, st.st_size, local_seconds(st.st_mtime)))
    return problems


def case_matches(root, upper_rel):
    """The paths below `root` whose relative path is `upper_rel` ignoring case."""
    found = [root]
    for part in upper_rel.split(os.sep):
        found = [os.path.join(d, n) for d in found if os.path.isdir(d) and not os.path.islink(d)
                 for n in os.listdir(d) if n.upper() == part]
    return found


def restore_problems(restore_driver, dest, source_snapshot):
    """The newest state restored into an empty folder, against the source."""
    target = tempfile.mkdtemp(prefix="tresoro-restore-")
    try:
        p = subprocess.run([restore_driver, "--mirror", dest, "--to", target], capture_output=True, text=True,
                           timeout=300)
        problems = [] if p.returncode == 0 else ["restore: exit %d, %s %s" % (
            p.returncode, p.stdout.strip(), p.stderr.strip().replace("\n", " | "))]
        diffs = trees.mirror_differences(source_snapshot, trees.snapshot(target))
        return problems + ["restored tree: " + d.replace("mirror", "restore") for d in diffs]
    finally:
        shutil.rmtree(target, ignore_errors=True)
