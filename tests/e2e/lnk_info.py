#!/usr/bin/env python3
"""Prints what a Windows shortcut (.lnk, the Shell Link binary format) starts:
one "key=value" line each for target, arguments, workdir and icon. The
installer's end-to-end test reads the shortcuts that Wine's shell wrote for
the setup program with it.

    lnk_info.py FILE
"""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x1, 0x2, 0x4, 0x8
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80
LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")


def c_string(data, at, wide):
    if wide:
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le")
    return data[at:data.index(b"\0", at)].decode("cp1252", errors="replace")


def link_info_path(data, at):
    """The local base path and the common suffix of the LinkInfo block."""
    header_size, flags, _, base, _, suffix = struct.unpack_from("<6I", data, at + 4)
    if not flags & 1:  # VolumeIDAndLocalBasePath
        return ""
    if header_size >= 0x24:
        base_wide, suffix_wide = struct.unpack_from("<2I", data, at + 28)
        return c_string(data, at + base_wide, True) + c_string(data, at + suffix_wide, True)
    return c_string(data, at + base, False) + c_string(data, at + suffix, False)


def parse(data):
    if len(data) < 0x4C or struct.unpack_from("<I", data)[0] != 0x4C or data[4:20] != LINK_CLSID:
        raise ValueError("not a shell link")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        target = link_info_path(data, at)
        at += struct.unpack_from("<I", data, at)[0]
    strings = {}
    unit = 2 if flags & IS_UNICODE else 1
    for bit, name in ((HAS_NAME, "name"), (HAS_RELATIVE_PATH, "relative"), (HAS_WORKING_DIR, "workdir"),
                      (HAS_ARGUMENTS, "arguments"), (HAS_ICON_LOCATION, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            raw = data[at + 2:at + 2 + count * unit]
            # Wine counts the terminating NUL as well.
            strings[name] = raw.decode("utf-16-le" if unit == 2 else "cp1252").rstrip("\0")
            at += 2 + count * unit
    return {"target": target, "arguments": strings.get("arguments", ""),
            "workdir": strings.get("workdir", ""), "icon": strings.get("icon", "")}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        info = parse(f.read())
    for key in ("target", "arguments", "workdir", "icon"):
        print(f"{key}={info[key]}")


if __name__ == "__main__":
    main()
