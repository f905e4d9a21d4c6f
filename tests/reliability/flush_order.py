"""Reads what the kernel saw of one whole run (strace -f -y) and checks that
every copy's data reached the disk before any real name pointed at them:
each link of a nameless copy and each rename of a ".tresoro-tmp" file onto a
real name must come after an fsync of that very file (on whichever thread),
or after a syncfs that succeeded and began once the file's last write had
ended, and its directory must be flushed after it. The temporary name in
between (a nameless copy linked under ".tresoro-tmp" to replace an existing
file) carries the flush along.
"""
import os
import re

import trees

CALLS = "openat,open,creat,close,fsync,fdatasync,syncfs,write,copy_file_range,linkat,rename,renameat,renameat2"
WRITES = ("write", "copy_file_range")
TEMP = ".tresoro-tmp"

_LINE = re.compile(r"^(?:\[pid\s+\d+\]\s+|\d+\s+)?(\w+)\((.*)\)\s+=\s+(-?\d+)(<[^>]*>)?")
_FD_ARG = re.compile(r"^(\d+)<([^>]*)>")
_COPY_OUT = re.compile(r"^\d+<[^>]*>, NULL, (\d+)<([^>]*)>")  # copy_file_range's target
_STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')


def _joined(lines):
    """strace's lines with each call whole: an "<unfinished ...>" part and
    its "<... resumed>" part become one line, at the place the call ended.
    A call's beginning is given too, as ("begun", pid, line), for the flush
    of the whole file system, which covers what was written before it."""
    pending = {}
    for line in lines:
        m = re.match(r"^(\[pid\s+\d+\]\s+|\d+\s+)?", line)
        pid = m.group(0).strip("[] pid") if m and m.group(0) else ""
        yield ("begun", pid, line)
        if line.rstrip().endswith("<unfinished ...>"):
            pending[pid] = line.rstrip()[: -len("<unfinished ...>")].rstrip()
            continue
        resumed = re.match(r"^(?:\[pid\s+\d+\]\s+|\d+\s+)?<\.\.\. \w+ resumed>(.*)$", line)
        if resumed:
            line = pending.pop(pid, "") + resumed.group(1)
        yield ("ended", pid, line)


def check(driver, src, dest, config, versions, out):
    """Runs the job once under strace; returns (names checked, problems)."""
    trees.run_engine(driver, src, dest, config, versions,
                     prefix=["strace", "-f", "-qq", "-y", "-s", "4096", "-e", "trace=" + CALLS, "-o", out])
    fds = {}             # fd -> (path, flushed since it was opened or last written)
    writes = {}          # fd -> (which opening, how many writes to it have ended)
    syncs = {}           # pid -> {fd: writes} of each open fd when its syncfs began
    opened = 0
    flushed_temps = set()
    dirs_due = set()     # directories that got a name and no fsync since
    names, problems = 0, []

    def named(target, flushed, how):
        nonlocal names
        if target.endswith(TEMP):
            if flushed:
                flushed_temps.add(target)
            return
        names += 1
        if not flushed:
            problems.append("%s named without a flush before: %s" % (how, target))
        dirs_due.add(os.path.dirname(target))

    def flush(number, path):
        fds[number] = (path, True)
        if path.endswith(TEMP):
            flushed_temps.add(path)
        dirs_due.discard(path)

    with open(out, errors="replace") as f:
        for when, pid, line in _joined(f):
            if when == "begun":
                if re.match(r"^(?:\[pid\s+\d+\]\s+|\d+\s+)?syncfs\(", line):
                    syncs[pid] = {number: writes.get(number) for number in fds}
                continue
            m = _LINE.match(line)
            if not m or int(m.group(3)) < 0:
                continue
            call, args, ret = m.group(1), m.group(2), int(m.group(3))
            strings = _STRING.findall(args)
            if call in ("openat", "open", "creat"):
                opened += 1
                fds[ret] = ((m.group(4) or "<>")[1:-1], False)
                writes[ret] = (opened, 0)
            elif call in WRITES:
                fd = (_COPY_OUT if call == "copy_file_range" else _FD_ARG).match(args)
                if fd:
                    number = int(fd.group(1))
                    which, count = writes.get(number, (0, 0))
                    writes[number] = (which, count + 1)
                    fds[number] = (fd.group(2), False)
            elif call == "syncfs":
                # Each file still open whose writes had all ended when it began.
                for number, seen in syncs.pop(pid, {}).items():
                    if number in fds and writes.get(number) == seen:
                        flush(number, fds[number][0])
            elif call == "close":
                fd = _FD_ARG.match(args)
                if fd:
                    fds.pop(int(fd.group(1)), None)
                    writes.pop(int(fd.group(1)), None)
            elif call in ("fsync", "fdatasync"):
                fd = _FD_ARG.match(args)
                if fd:
                    flush(int(fd.group(1)), fd.group(2))
            elif call == "linkat" and strings and strings[0].startswith("/proc/self/fd/"):
                fd = int(strings[0].rsplit("/", 1)[1])
                named(strings[-1], fds.get(fd, ("", False))[1], "link")
            elif call.startswith("rename") and len(strings) >= 2 and strings[0].endswith(TEMP):
                named(strings[1], strings[0] in flushed_temps, "rename")
                flushed_temps.discard(strings[0])
    problems += ["no fsync of the directory after a name in it: " + d for d in sorted(dirs_due)]
    return names, problems
