#!/usr/bin/env python3
"""Checks the built help file DELPHOS.chm as the help viewer will read it.

    check_help.py DELPHOS.chm BUILD_DIR SCRATCH_DIR -- BUILD_CHM_COMMAND...

The file is taken apart with 7z (p7zip-full). Then:
- no path of the build machine is inside it (BUILD_DIR, the source folder,
  any absolute Unix path);
- context 1, which F1 asks for, and the default topic, which the help
  button opens, name pages that the file holds;
- every link, image and table-of-contents or index entry leads to a file in
  it, and every #anchor to an id on that page;
- BUILD_CHM_COMMAND, run again with its work folder and output replaced by
  ones under SCRATCH_DIR (a folder with blanks and accents), gives the same
  pages and the same context map.
"""
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import urllib.parse

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def extract(chm, folder):
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run(["7z", "x", "-y", "-o" + folder, chm], check=True, capture_output=True)
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return files


def contexts(files):
    """{context number: topic} from #IVB (pairs of number and #STRINGS offset)."""
    ivb, strings = files.get("#IVB", b""), files.get("#STRINGS", b"")
    result = {}
    if len(ivb) < 4:
        return result
    for i in range(4, 4 + struct.unpack_from("<I", ivb)[0], 8):
        number, offset = struct.unpack_from("<II", ivb, i)
        result[number] = strings[offset:strings.index(b"\0", offset)].decode("cp1252")
    return result


def default_topic(files):
    """Entry 2 of #SYSTEM (code, length, data records after a version word)."""
    system = files.get("#SYSTEM", b"")
    i = 4
    while i + 4 <= len(system):
        code, length = struct.unpack_from("<HH", system, i)
        if code == 2:
            return system[i + 4:i + 4 + length].rstrip(b"\0").decode("cp1252")
        i += 4 + length
    return None


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets, self.ids = [], set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("id", "name"):
            if attrs.get(name) and tag != "param":
                self.ids.add(attrs[name])
        for name in ("href", "src"):
            if attrs.get(name):
                self.targets.append((tag, attrs[name]))
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.targets.append(("param", attrs.get("value") or ""))


def parse(data, name):
    parser = Links()
    parser.feed(data.decode("cp1252" if name.lower().endswith((".hhc", ".hhk")) else "utf-8"))
    return parser


def check_links(files):
    lower = {name.lower(): name for name in files}
    pages = [n for n in files if n.lower().endswith((".htm", ".html", ".hhc", ".hhk"))]
    pictures = 0
    for page in pages:
        parsed = parse(files[page], page)
        for tag, target in parsed.targets:
            url = urllib.parse.urlsplit(target)
            if url.scheme in ("http", "https", "mailto"):
                continue
            check(not url.scheme and not url.path.startswith("/"),
                  f"{page}: link {target} is not relative to the file")
            path = os.path.normpath(os.path.join(os.path.dirname(page), url.path)) if url.path else page
            path = path.replace(os.sep, "/")
            if not check(path.lower() in lower, f"{page}: {tag} {target} is not in the file"):
                continue
            pictures += tag == "img"
            if url.fragment:
                ids = parse(files[lower[path.lower()]], path).ids
                check(url.fragment in ids, f"{page}: {target} names no anchor of {path}")
    check(pictures >= 2, f"only {pictures} pictures shown by the pages")
    return len(pages)


def pages_of(files):
    """What a reader sees: every file but the compiler's own indexes."""
    return {name: data for name, data in files.items()
            if not name.startswith(("#", "$", "::")) and name != "[Content]"}


def main():
    split = sys.argv.index("--")
    chm, build_dir, scratch = sys.argv[1:split]
    rebuild = sys.argv[split + 1:]
    first = extract(chm, os.path.join(scratch, "primera"))
    check("principal.htm" in first, "principal.htm is not in the file")

    with open(chm, "rb") as f:
        blob = f.read()
    for marker in {os.path.abspath(build_dir), os.path.dirname(os.path.abspath(__file__))}:
        check(os.fsencode(marker) not in blob, f"the file holds the build path {marker}")
    for name, data in first.items():
        found = re.search(rb"/(?:tmp|home|work|root|usr|build)/[\x21-\x7e]*", data)
        check(not found, f"{name} holds the absolute path {found and found.group().decode()}")

    mapped = contexts(first)
    if check(1 in mapped, f"context 1 is not mapped ({mapped})"):
        check(mapped[1].lstrip("/").lower() in {n.lower() for n in first},
              f"context 1 names {mapped[1]}, which the file does not hold")
        check(mapped[1].lstrip("/") == "principal.htm", f"context 1 opens {mapped[1]}")
    topic = default_topic(first)
    check(topic == "principal.htm", f"default topic {topic}")
    count = check_links(first)

    # The same sources built from another folder give the same pages.
    other = os.path.join(scratch, "otra compilación, ñandú")
    shutil.rmtree(other, ignore_errors=True)
    os.makedirs(other)
    second_chm = os.path.join(other, "DELPHOS.chm")
    command = rebuild[:4] + [os.path.join(other, "trabajo"), second_chm] + rebuild[6:]
    if subprocess.run(command).returncode != 0:
        failures.append("the build from another folder failed")
        second = {}
    else:
        second = extract(second_chm, os.path.join(scratch, "segunda"))
    a, b = pages_of(first), pages_of(second)
    check(sorted(a) == sorted(b), f"the two builds hold different files: {sorted(set(a) ^ set(b))}")
    for name in sorted(set(a) & set(b)):
        check(a[name] == b[name], f"{name} differs between the two builds")
    check(contexts(second) == mapped, f"context maps differ: {contexts(second)} and {mapped}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"OK: {len(first)} files, {count} pages and sitemaps, context 1 -> {mapped[1]}, "
              f"the same pages from two folders")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
