#!/usr/bin/env python3
"""Checks the release package as a school receives it.

    check_package.py PACKAGE.zip VERSION SCRATCH_DIR [GUI_DIR -- GUI_TEST_COMMAND...]

The zip must hold exactly Pasahorario.exe, DELPHOS.chm and LEEME.txt, the
text in Windows-1252 with CRLF line ends and naming VERSION. The package is
unpacked into a folder whose name has blanks and accents, and the GUI tests
given by GUI_TEST_COMMAND (run_gui_tests.py with its cases) run the unpacked
program and help from there, in a work folder under GUI_DIR (the GUI tests'
own folder, whose ready Wine prefix it shares) whose name has blanks and
accents too: "--program", "--help-file" and "--work" are added to the
command. Without a GUI test command only the package's contents are
checked: that needs no Wine, so it runs where the 32-bit program cannot.
"""
import os
import shutil
import subprocess
import sys
import zipfile

EXPECTED = ["DELPHOS.chm", "LEEME.txt", "Pasahorario.exe"]


def main():
    split = sys.argv.index("--") if "--" in sys.argv else len(sys.argv)
    package, version, scratch, *gui_dir = sys.argv[1:split]
    gui_command = sys.argv[split + 1:]
    failures = []
    check = lambda ok, message: ok or failures.append(message)

    check(os.path.basename(package) == f"Pasahorario-{version}-windows.zip",
          f"package name {os.path.basename(package)}")
    with zipfile.ZipFile(package) as archive:
        names = sorted(archive.namelist())
        check(names == EXPECTED, f"package holds {names}")
        folder = os.path.join(os.path.abspath(scratch), "Programas del Centro", "Año 2025 – Horarios")
        shutil.rmtree(os.path.join(os.path.abspath(scratch), "Programas del Centro"), ignore_errors=True)
        os.makedirs(folder)
        archive.extractall(folder)
    with open(os.path.join(folder, "LEEME.txt"), "rb") as f:
        leeme = f.read()
    text = leeme.decode("cp1252")
    check(b"\n" not in leeme.replace(b"\r\n", b""), "LEEME.txt has line ends other than CRLF")
    check(f"Pasahorario {version}" in text, "LEEME.txt does not name the version")
    for word in ("\\XTEMP", "Tablerix.ini", "Propiedades", "DELPHOS.chm"):
        check(word in text, f"LEEME.txt does not mention {word}")

    if not failures and gui_command:
        work = os.path.join(gui_dir[0], "Programas del Centro – Año 2025")
        command = gui_command + [
            "--program", os.path.join(folder, "Pasahorario.exe"),
            "--help-file", os.path.join(folder, "DELPHOS.chm"),
            "--work", work,
        ]
        result = subprocess.run(command)
        if result.returncode == 77:
            print("SKIP: the GUI tests cannot run here")
            return 77
        check(result.returncode == 0, "the program from the package failed its GUI tests")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"OK: {names} from {folder}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
