#!/usr/bin/env python3
"""Builds DELPHOS.chm from the help sources with chmcmd (Debian fp-utils).

    build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT.chm

The sources are copied to WORK_DIR, where chmcmd writes its output. The
table of contents and the index are written in Windows-1252 there, the code
page the help viewer reads them in for a Spanish help file.

Context help: chmcmd 3.2 stores the topic of each [ALIAS] entry as the full
path of the page on the build machine (WORK_DIR/page.htm), which the help
viewer then looks up inside the file. So each aliased page also goes into
the file under that path, with its links pointing back to the root, and the
result is checked with chmls: every context number must name a page that
the file holds.
"""
import os
import re
import shutil
import subprocess
import sys

PAGE_LINK = re.compile(r'(\b(?:href|src)=")([^"#:/][^":]*)(")', re.IGNORECASE)


def read_sections(hhp_text):
    sections, name = {}, None
    for line in hhp_text.splitlines():
        stripped = line.strip()
        if stripped.startswith("[") and stripped.endswith("]"):
            name = stripped[1:-1].upper()
            sections.setdefault(name, [])
        elif name and stripped and not stripped.startswith(";"):
            sections[name].append(stripped)
    return sections


def mirror_aliased_pages(work, hhp_path):
    """Copies each aliased page to the path chmcmd records for it."""
    with open(hhp_path, encoding="utf-8") as f:
        hhp = f.read()
    aliases = [entry.split("=", 1)[1].strip() for entry in read_sections(hhp).get("ALIAS", [])]
    anchor_free = os.path.abspath(work).replace("\\", "/").split(":", 1)[-1].strip("/")
    depth = len(anchor_free.split("/"))
    mirrored = []
    for page in aliases:
        target = os.path.join(work, anchor_free, page)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(os.path.join(work, page), encoding="utf-8") as f:
            text = f.read()
        text = PAGE_LINK.sub(lambda m: m.group(1) + "../" * depth + m.group(2) + m.group(3), text)
        with open(target, "w", encoding="utf-8") as f:
            f.write(text)
        mirrored.append(anchor_free + "/" + page)
    if mirrored:
        hhp = hhp.replace("[FILES]\n", "[FILES]\n" + "".join(m + "\n" for m in mirrored), 1)
        with open(hhp_path, "w", encoding="utf-8") as f:
            f.write(hhp)


def check_contexts(chm, work):
    """Every context number of the file must lead to a page inside it."""
    chmls = shutil.which("chmls")
    if not chmls:
        return
    listing = subprocess.run([chmls, "-n", "list", chm], capture_output=True, text=True,
                             check=True).stdout.split()
    inside = {name.lower() for name in listing if name.startswith("/")}
    # chmls writes the map beside the file, as <name>.ali.
    subprocess.run([chmls, "extractalias", chm], cwd=work, capture_output=True, check=True)
    with open(os.path.splitext(chm)[0] + ".ali", encoding="latin-1") as f:
        entries = [line.strip().split("=", 1) for line in f if "=" in line]
    if not entries:
        sys.exit("build_chm.py: DELPHOS.chm has no context map")
    for name, topic in entries:
        path = topic if topic.startswith("/") else "/" + topic
        if path.lower() not in inside:
            sys.exit(f"build_chm.py: context {name} names {topic}, "
                     "which the help file does not hold")


def main():
    if len(sys.argv) != 5:
        sys.exit("usage: build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT.chm")
    chmcmd, source, work, output = sys.argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    shutil.copytree(source, work, ignore=shutil.ignore_patterns("*.py", "__pycache__"))
    for sitemap in ("DELPHOS.hhc", "DELPHOS.hhk"):
        path = os.path.join(work, sitemap)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        with open(path, "w", encoding="cp1252") as f:
            f.write(text)
    mirror_aliased_pages(work, os.path.join(work, "DELPHOS.hhp"))
    result = subprocess.run([chmcmd, "--verbosity", "1", "DELPHOS.hhp"], cwd=work,
                            capture_output=True, text=True)
    chm = os.path.join(work, "DELPHOS.chm")
    if result.returncode != 0 or not os.path.isfile(chm) or "Error:" in result.stdout:
        sys.stdout.write(result.stdout + result.stderr)
        sys.exit("build_chm.py: chmcmd failed")
    check_contexts(chm, work)
    shutil.copyfile(chm, output)


if __name__ == "__main__":
    main()
