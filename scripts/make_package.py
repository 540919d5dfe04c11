#!/usr/bin/env python3
"""Makes the release package that a school receives.

    make_package.py OUTPUT.zip VERSION EXE CHM LEEME_TEMPLATE

The zip holds Pasahorario.exe, DELPHOS.chm and LEEME.txt side by side.
LEEME.txt is the template with "@VERSION@" replaced, in Windows-1252 with
CRLF line ends, so that every Notepad shows its accents. Entries carry a
fixed date, so the same inputs give the same zip.
"""
import os
import sys
import zipfile

FIXED_DATE = (2020, 1, 1, 0, 0, 0)


def add(archive, name, data):
    entry = zipfile.ZipInfo(name, FIXED_DATE)
    entry.compress_type = zipfile.ZIP_DEFLATED
    entry.external_attr = 0o644 << 16
    archive.writestr(entry, data)


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: make_package.py OUTPUT.zip VERSION EXE CHM LEEME_TEMPLATE")
    output, version, exe, chm, template = sys.argv[1:]
    with open(template, encoding="utf-8") as f:
        leeme = f.read().replace("@VERSION@", version)
    leeme = leeme.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
    partial = output + ".part"
    with zipfile.ZipFile(partial, "w") as archive:
        for name, path in (("Pasahorario.exe", exe), ("DELPHOS.chm", chm)):
            with open(path, "rb") as f:
                add(archive, name, f.read())
        add(archive, "LEEME.txt", leeme)
    os.replace(partial, output)


if __name__ == "__main__":
    main()
