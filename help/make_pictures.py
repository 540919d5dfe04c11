#!/usr/bin/env python3
"""Refreshes the pictures of the help pages from the GUI tests' screenshots.

    make_pictures.py [ARTIFACTS_DIR]

The GUI tests (ctest --preset windows -R gui) photograph each window under
Wine at 96 DPI, cut to the window with its frame, into ARTIFACTS_DIR
(default: build/windows/tests/gui/artifacts). This copies the ones the help
shows into help/, without the metadata that would change on every run.
Look at the result before committing it.
"""
import os
import subprocess
import sys

HELP = os.path.dirname(os.path.abspath(__file__))
# screenshot of the GUI tests -> picture of the help
PICTURES = {
    "main_window.png": "principal.png",
    "inicio_clase.png": "hora_inicio.png",
    "informe.png": "informe.png",
}


def main():
    artifacts = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        HELP, "..", "build", "windows", "tests", "gui", "artifacts")
    made = 0
    for shot, picture in PICTURES.items():
        source = os.path.join(artifacts, shot)
        if not os.path.isfile(source):
            print(f"make_pictures.py: no {shot} in {artifacts}; {picture} left as it is")
            continue
        subprocess.run(["convert", source, "-strip", "-define", "png:exclude-chunks=date,time",
                        os.path.join(HELP, picture)], check=True)
        print(f"{picture} <- {shot}")
        made += 1
    if not made:
        sys.exit("make_pictures.py: no screenshot found; run the GUI tests first")


if __name__ == "__main__":
    main()
