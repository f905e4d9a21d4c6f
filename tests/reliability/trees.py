"""Trees on disk as the reliability harnesses see them: snapshots by content,
the mirror compared with its source, the contents a destination holds
together with its "@", and one backup run of the host engine.

Contents are told apart by their SHA-256, so every file a harness writes
carries a token of its own: a content found anywhere is then the version
it stands for, and a content found nowhere is lost.
"""
import hashlib
import os
import shutil
import stat
import subprocess

ARCHIVE = "@"
TEMP_SUFFIX = ".tresoro-tmp"
# The copy of the configuration that every run puts into "@"; it is the
# program's own file, not a version of anything.
CONFIG_COPY = os.path.join(ARCHIVE, "Tresoro.ini")
# The index of the moves into and inside "@", kept in its set-aside area;
# it is no version either.
ARCHIVE_INDEX = os.path.join(ARCHIVE, ARCHIVE, "Archivindex.txt")
OWN_FILES = (CONFIG_COPY, ARCHIVE_INDEX)


def digest(data):
    return hashlib.sha256(data).hexdigest()


def file_digest(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def write_file(path, data, mtime):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    os.utime(path, (mtime, mtime))


def copy_fresh(template, work):
    """`work` made anew as a copy of `template`, dates and links kept."""
    if os.path.exists(work):
        shutil.rmtree(work)
    shutil.copytree(template, work, symlinks=True)


def snapshot(root):
    """relative path -> ("d",) for a folder, ("f", sha, whole-second mtime)
    for a file, ("l", target) for a link; links are never followed."""
    out = {}

    def walk(rel):
        full = os.path.join(root, rel) if rel else root
        for name in sorted(os.listdir(full)):
            r = os.path.join(rel, name) if rel else name
            p = os.path.join(root, r)
            st = os.lstat(p)
            if stat.S_ISLNK(st.st_mode):
                out[r] = ("l", os.readlink(p))
            elif stat.S_ISDIR(st.st_mode):
                out[r] = ("d",)
                walk(r)
            else:
                out[r] = ("f", file_digest(p), int(st.st_mtime))

    if os.path.isdir(root):
        walk("")
    return out


def in_archive(rel):
    return rel == ARCHIVE or rel.startswith(ARCHIVE + os.sep)


def mirror_part(snap):
    """The snapshot without the root's "@"."""
    return {r: v for r, v in snap.items() if not in_archive(r)}


def archive_part(snap):
    """The files below the root's "@", without the configuration copy."""
    return {r: v for r, v in snap.items() if in_archive(r) and r not in OWN_FILES and v[0] == "f"}


def contents(snap, skip_temp=True):
    """The multiset (sorted list) of file contents of a snapshot."""
    return sorted(v[1] for r, v in snap.items()
                  if v[0] == "f" and r not in OWN_FILES and not (skip_temp and r.endswith(TEMP_SUFFIX)))


def mirror_differences(source, mirror, mtimes=True):
    """Lines naming each path where the mirror (without "@") differs from the
    source: missing, extra, other kind, other content, other file date."""
    diffs = []
    m = mirror_part(mirror)
    for rel in sorted(set(source) | set(m)):
        a, b = source.get(rel), m.get(rel)
        if a is None:
            diffs.append("extra in mirror: %s %s" % (rel, b[0]))
        elif b is None:
            diffs.append("missing in mirror: %s %s" % (rel, a[0]))
        elif a[0] != b[0]:
            diffs.append("kind differs: %s source %s, mirror %s" % (rel, a[0], b[0]))
        elif a[0] == "f" and a[1] != b[1]:
            diffs.append("content differs: %s" % rel)
        elif a[0] == "f" and mtimes and a[2] != b[2]:
            diffs.append("date differs: %s source %d, mirror %d" % (rel, a[2], b[2]))
    return diffs


def missing_contents(before, after):
    """Contents of the multiset `before` that `after` does not hold (as many
    times as they are short)."""
    rest = {}
    for c in after:
        rest[c] = rest.get(c, 0) + 1
    missing = []
    for c in before:
        if rest.get(c, 0) > 0:
            rest[c] -= 1
        else:
            missing.append(c)
    return missing


def temp_leftovers(snap):
    return sorted(r for r in snap if r.endswith(TEMP_SUFFIX))


def set_aside_area(snap):
    """Entries below "@\\@\\", where versions wait while their directory is
    done (the index of the archive lives there too)."""
    inner = os.path.join(ARCHIVE, ARCHIVE)
    return sorted(r for r in snap if r.startswith(inner + os.sep) and r != ARCHIVE_INDEX)


def run_engine(driver, src, dest, config, versions, prefix=(), timeout=300, verify=False):
    """One backup job from src to dest through the host driver (with
    `verify`, "Prüfen"); returns the CompletedProcess (returncode 1 when the
    run counted errors)."""
    cmd = list(prefix) + [driver, "--src", src, "--dest", dest, "--config", config,
                          "--versions", str(versions)] + (["--verify", "1"] if verify else [])
    return subprocess.run(cmd, capture_output=True, text=True, timeout=timeout)


def default_driver():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(here, "..", "..", "build", "host", "bench", "bench_run_job")
