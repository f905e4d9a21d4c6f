"""The tree the kill harnesses interrupt: a source, an older mirror of it and
an "@" that already holds versions, with every kind of work a run does in
one directory or another:

- unchanged, changed, new and vanished files, small and large;
- a new folder tree and a vanished one;
- with `new_small`, a first folder of that many new small files, the work
  that copies made ahead do;
- changed and vanished files whose "@" slots are full (3 versions), so the
  oldest version steps aside and is dropped;
- a file that became a folder and a folder that became a file;
- "Berichte/report.txt", changed with full slots whose oldest is slot 0,
  beside "@/Berichte/report.txt.arc2del", a user's file archived earlier
  (its only copy), whose name is what setting "report.txt" aside would use.

With `damaged` (the verify runs), also mirror copies whose size and date
match their source but not their content, which only "Prüfen" repairs: a
small one with bytes changed, a large one zeroed as a power cut leaves it,
and a source changed without a new date.

Every file has content of its own (see trees.py). `Scenario` also says what a
run must drop (the oldest version of each full slot group it touches) and
what it must add to "@" (every destination file it replaces or that
vanished), so the archive's final contents are known exactly.
"""
import os
import random
import time

import trees

VERSIONS = 3
DAY = 86400


class Scenario:
    def __init__(self, root):
        self.root = root
        self.src = os.path.join(root, "src")
        self.dest = os.path.join(root, "dest")
        self.dropped = []    # contents of "@" the run drops: the oldest of each full slot group it uses
        self.archived = []   # contents of the mirror the run moves into "@"

    def at(self, root):
        """The same scenario for a copy of its trees at `root`."""
        other = Scenario(root)
        other.dropped, other.archived = self.dropped, self.archived
        return other

    def expected_archive(self, before_archive):
        """Contents "@" holds once the run is done."""
        rest = list(before_archive)
        for c in self.dropped:
            rest.remove(c)
        return sorted(rest + self.archived)


PARTS = ("type-changes", "set-aside-trap", "damaged")


class Writer:
    """Writes files of the scenario, each with content of its own, and notes
    what the run must drop from "@" and add to it."""

    def __init__(self, sc, seed):
        self.sc = sc
        self.rnd = random.Random(seed)
        now = int(time.time())
        self.old, self.new = now - 40 * DAY, now - 2 * DAY

    def body(self, tag, rel, size=0):
        head = ("%s|%s|%d\n" % (tag, rel, self.rnd.getrandbits(64))).encode()
        return head + self.rnd.randbytes(size) if size else head

    def src(self, rel, size=0):
        trees.write_file(os.path.join(self.sc.src, rel), self.body("src", rel, size), self.new)

    def dest(self, rel, size=0, archived=True):
        data = self.body("dest", rel, size)
        trees.write_file(os.path.join(self.sc.dest, rel), data, self.old)
        if archived:
            self.sc.archived.append(trees.digest(data))

    def same(self, rel, size=0):
        data = self.body("same", rel, size)
        for side in (self.sc.src, self.sc.dest):
            trees.write_file(os.path.join(side, rel), data, self.old)

    def damaged(self, rel, size, zeroed=False):
        """Source and mirror of the same size and date, the mirror's content
        another: the verify run archives it and copies the source."""
        good = self.body("good", rel, size)
        middle = len(good) // 2
        bad = bytes(len(good)) if zeroed else good[:middle] + bytes([good[middle] ^ 0xFF]) + good[middle + 1:]
        trees.write_file(os.path.join(self.sc.src, rel), good, self.old)
        trees.write_file(os.path.join(self.sc.dest, rel), bad, self.old)
        self.sc.archived.append(trees.digest(bad))

    def archived(self, rel, data, days_old):
        trees.write_file(os.path.join(self.sc.dest, trees.ARCHIVE, rel), data, self.old - days_old * DAY)

    def full_slots(self, rel, oldest_slot=0):
        """Fills the slots of `rel` in "@" up to VERSIONS, the oldest at
        `oldest_slot`; that version is the one the run drops."""
        folder, name = os.path.split(rel)
        base, ext = os.path.splitext(name)
        for index in range(VERSIONS):
            slot = name if index == 0 else "%s%d%s" % (base, index, ext)
            data = self.body("version%d" % index, rel)
            self.archived(os.path.join(folder, slot), data, 100 if index == oldest_slot else 60 + index)
            if index == oldest_slot:
                self.sc.dropped.append(trees.digest(data))


def build(root, seed=1, large_mb=2, skip=(), damaged=False, new_small=0):
    """Writes the scenario below `root` (src/ and dest/) and returns it; the
    large files have `large_mb` MiB or half of it. `skip` leaves out some
    of PARTS, to see one check fail alone; `damaged` adds the mirror copies
    only a verify run repairs; `new_small` new small files go first."""
    sc = Scenario(root)
    w = Writer(sc, seed)
    size = w.rnd.randrange

    for i in range(new_small):
        w.src("Ablage/Neu %03d.txt" % i, size(1, 4000))

    # Unchanged files everywhere, so a run has entries to walk past.
    folders = ["Dokumente", "Dokumente/Ämter", "Fotos", "Fotos/Urlaub 2023", "Musik"]
    for i in range(24):
        w.same("%s/Datei %s.txt" % (folders[i % len(folders)], chr(ord("a") + i)), size(0, 3000))
    w.same("Musik/Große Aufnahme.wav", large_mb << 20)
    w.same("Berichte/Zweiter Bericht.txt")

    # Changed files; three of them with full slots in "@".
    for i, rel in enumerate(["Dokumente/Brief.txt", "Dokumente/Ämter/Antrag Steuer.odt", "Musik/Liste.m3u",
                             "Fotos/Übersicht.html", "Notizen.txt", "Dokumente/Tabelle.ods"]):
        w.src(rel, size(0, 5000))
        w.dest(rel, size(0, 5000))
        if i % 2 == 0:
            w.full_slots(rel, oldest_slot=i % VERSIONS)
    w.src("Fotos/Film.mp4", large_mb << 20)
    w.dest("Fotos/Film.mp4", large_mb << 19)

    # New files and a new folder tree, one file of it large.
    for rel in ["Neu.txt", "Dokumente/Neu Brief.txt", "Fotos/Urlaub 2023/Strand 1.jpg"]:
        w.src(rel, size(1, 4000))
    w.src("Leer.txt")
    for rel in ["Projekt/Plan.txt", "Projekt/Entwürfe/Skizze.svg", "Projekt/Entwürfe/Alt/Version.txt"]:
        w.src(rel, size(1, 4000))
    w.src("Fotos/Urlaub 2023/Panorama.tif", large_mb << 20)

    # Vanished files, one with full slots, and a vanished folder tree.
    for rel in ["Alte Notiz.txt", "Dokumente/Entwurf.txt", "Musik/Gelöscht.mp3"]:
        w.dest(rel, size(0, 4000))
    w.full_slots("Dokumente/Entwurf.txt", oldest_slot=1)
    for rel in ["Archivordner/Eins.txt", "Archivordner/Zwei.txt", "Archivordner/Tief/Drei.txt"]:
        w.dest(rel, size(0, 4000))

    if "type-changes" not in skip:
        # A file that became a folder, and a folder that became a file.
        w.dest("Wechsel/war Datei")
        w.src("Wechsel/war Datei/Inhalt.txt")
        w.src("Wechsel/war Datei/Unter/Mehr.txt")
        w.dest("Wechsel/war Ordner/Eins.txt")
        w.dest("Wechsel/war Ordner/Unter/Zwei.txt")
        w.src("Wechsel/war Ordner")
    if "set-aside-trap" not in skip:
        # A full "report.txt" whose oldest is slot 0, and a user's archived
        # "report.txt.arc2del" that must survive its setting aside.
        w.src("Berichte/report.txt")
        w.dest("Berichte/report.txt")
        w.full_slots("Berichte/report.txt", oldest_slot=0)
        w.archived("Berichte/report.txt.arc2del", w.body("user", "Berichte/report.txt.arc2del"), 5)
    if damaged and "damaged" not in skip:
        w.damaged("Dokumente/Beschädigt.txt", 2000)
        w.damaged("Musik/Zerstört.wav", large_mb << 20, zeroed=True)
        w.damaged("Tresor.hc", 3000)
    return sc


class Before:
    """What the trees held before the first (interrupted) run."""

    def __init__(self, sc):
        self.source = trees.snapshot(sc.src)
        self.dest = trees.snapshot(sc.dest)
        self.mirror_files = {r: v[1] for r, v in trees.mirror_part(self.dest).items() if v[0] == "f"}
        self.source_files = {r: v[1] for r, v in self.source.items() if v[0] == "f"}
        self.archive = trees.contents(trees.archive_part(self.dest))
        # Every content the destination and "@" must keep through any kill.
        self.kept = trees.contents(self.dest)
        for c in sc.dropped:
            self.kept.remove(c)


def check_after_kill(sc, before):
    """Problems of the trees right after a kill: a file under a real name of
    the mirror whose content is neither its old nor its new one (torn), and
    content of the destination and "@" that is gone from both."""
    after = trees.snapshot(sc.dest)
    problems = []
    for rel, v in trees.mirror_part(after).items():
        if v[0] != "f" or rel.endswith(trees.TEMP_SUFFIX):
            continue
        allowed = {before.mirror_files.get(rel), before.source_files.get(rel)}
        if v[1] not in allowed:
            problems.append("torn or foreign content under a real name: " + rel)
    for c in trees.missing_contents(before.kept, trees.contents(after)):
        problems.append("content lost from destination and @: " + describe(before, c))
    return problems


def check_converged(sc, before):
    """Problems after the run that must finish the work: the mirror differs
    from the source, temporary copies or set-aside versions are left over,
    or "@" holds other contents than the versions it must hold."""
    after = trees.snapshot(sc.dest)
    problems = trees.mirror_differences(before.source, after)
    problems += ["temporary copy left: " + r for r in trees.temp_leftovers(after)]
    problems += ["set-aside version left: " + r for r in trees.set_aside_area(after)]
    held = trees.contents(trees.archive_part(after))
    want = sc.expected_archive(before.archive)
    for c in trees.missing_contents(want, held):
        problems.append("missing from @: " + describe(before, c))
    for c in trees.missing_contents(held, want):
        where = [r for r, v in after.items() if v[0] == "f" and v[1] == c]
        problems.append("left over in @: " + ", ".join(where))
    if trees.snapshot(sc.src) != before.source:
        problems.append("the source was changed")
    return problems


def describe(before, content):
    where = [r for r, v in before.dest.items() if v[0] == "f" and v[1] == content]
    return ", ".join(where) or content[:12]
