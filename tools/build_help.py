#!/usr/bin/env python3
"""Compiles Tresoro's help pages into the Compiled HTML Help file.

    build_help.py CHMCMD SOURCE_DIR WORK_DIR OUT.chm

CHMCMD is Free Pascal's CHM compiler (Debian package fp-utils). The pages
in SOURCE_DIR are written in UTF-8, but HTML Help reads the project, the
table of contents and the index in the code page of the help file's
language (German: Windows-1252), so every text file is first copied to
WORK_DIR in Windows-1252, and the pages' "charset=utf-8" becomes
"charset=windows-1252" to match. chmcmd then compiles the one .hhp project
there; the result must begin with the signature ITSF and hold every page
the project lists, and is copied to OUT.
"""

import os
import re
import shutil
import subprocess
import sys

TEXT_SUFFIXES = (".htm", ".html", ".hhp", ".hhc", ".hhk", ".css")


def transcode(source, target):
    with open(source, "r", encoding="utf-8") as f:
        text = f.read()
    if source.endswith((".htm", ".html")):
        text = re.sub(r"charset=utf-8", "charset=windows-1252", text, flags=re.IGNORECASE)
    try:
        data = text.encode("cp1252")
    except UnicodeEncodeError as e:
        sys.exit("%s: %r cannot be written in Windows-1252" % (source, text[e.start:e.end]))
    with open(target, "wb") as f:
        f.write(data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n"))


def listed_files(project):
    """The file names of the project's [FILES] section."""
    names = []
    section = ""
    with open(project, "r", encoding="cp1252") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line.upper()
            elif section == "[FILES]" and line:
                names.append(line)
    return names


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    chmcmd, source_dir, work_dir, out = argv[1:]
    if os.path.isdir(work_dir):
        shutil.rmtree(work_dir)
    os.makedirs(work_dir)
    projects = []
    for name in sorted(os.listdir(source_dir)):
        source = os.path.join(source_dir, name)
        if not os.path.isfile(source):
            continue
        target = os.path.join(work_dir, name)
        if name.lower().endswith(TEXT_SUFFIXES):
            transcode(source, target)
        else:
            shutil.copyfile(source, target)
        if name.lower().endswith(".hhp"):
            projects.append(name)
    if len(projects) != 1:
        sys.exit("%s must hold exactly one .hhp project, not %d" % (source_dir, len(projects)))
    project = os.path.join(work_dir, projects[0])
    for name in listed_files(project):
        if not os.path.isfile(os.path.join(work_dir, name)):
            sys.exit("%s lists %s, which does not exist" % (projects[0], name))

    result = subprocess.run([chmcmd, "--verbosity", "1", projects[0]], cwd=work_dir,
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    compiled = None
    with open(project, "r", encoding="cp1252") as f:
        for line in f:
            key, _, value = line.partition("=")
            if key.strip().lower() == "compiled file":
                compiled = os.path.join(work_dir, value.strip())
    if result.returncode != 0 or not compiled or not os.path.isfile(compiled):
        sys.stdout.write(result.stdout)
        sys.exit("chmcmd failed to compile %s" % projects[0])
    if "error" in result.stdout.lower():
        sys.stdout.write(result.stdout)
        sys.exit("chmcmd reported errors for %s" % projects[0])
    with open(compiled, "rb") as f:
        data = f.read()
    if data[:4] != b"ITSF":
        sys.exit("%s is not a Compiled HTML Help file" % compiled)
    for name in listed_files(project):
        # chmcmd stores every file under "/" + its name.
        if ("/" + name).encode("cp1252") not in data:
            sys.exit("%s does not hold %s" % (compiled, name))
    tmp = out + ".tmp"
    shutil.copyfile(compiled, tmp)
    os.replace(tmp, out)


if __name__ == "__main__":
    main(sys.argv)
