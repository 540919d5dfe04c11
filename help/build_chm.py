#!/usr/bin/env python3
"""Builds DELPHOS.chm from the help sources with chmcmd (Debian fp-utils).

    build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT.chm VERSION

The sources are copied to WORK_DIR/raiz, where "@VERSION@" in the pages
becomes VERSION and the table of contents and the index are written in
Windows-1252, the code page the help viewer reads them in for a Spanish
help file.

Context help: chmcmd 3.2 records the topic of each [ALIAS] entry as the
page's absolute path on the build machine (its project folder followed by
the page name). So chmcmd runs with that folder as its root directory, in a
private mount namespace (unshare, util-linux) where the system's /usr is
bound inside it: the topic of context 1 is then "/principal.htm", the very
name the page has inside the file, whatever folder the build ran in. The
result is checked with chmls: every context number must name a page that
the file holds, and no name may carry the build folder.
"""
import os
import shutil
import subprocess
import sys

# What chmcmd needs to run inside its root: the programs and libraries under
# /usr, reached through the same names as on the build machine.
SYSTEM_DIRS = ("usr", "lib", "lib32", "lib64", "libx32", "bin")


def prepare_root(source, root, version):
    shutil.rmtree(root, ignore_errors=True)
    shutil.copytree(source, root, ignore=shutil.ignore_patterns("*.py", "__pycache__"))
    for name in os.listdir(root):
        path = os.path.join(root, name)
        if name.endswith(".htm"):
            with open(path, encoding="utf-8") as f:
                text = f.read()
            with open(path, "w", encoding="utf-8") as f:
                f.write(text.replace("@VERSION@", version))
        elif name in ("DELPHOS.hhc", "DELPHOS.hhk"):
            with open(path, encoding="utf-8") as f:
                text = f.read()
            with open(path, "w", encoding="cp1252") as f:
                f.write(text)
    mounts = []
    for name in SYSTEM_DIRS:
        host = "/" + name
        if os.path.islink(host):
            os.symlink(os.readlink(host), os.path.join(root, name))
        elif os.path.isdir(host):
            os.mkdir(os.path.join(root, name))
            mounts.append(name)
    os.mkdir(os.path.join(root, "tmp"))
    return mounts


def run_chmcmd(chmcmd, root, mounts):
    """chmcmd with `root` as its root directory and working directory."""
    script = "".join(f'mount --rbind "/{name}" "$1/{name}" && ' for name in mounts)
    script += 'exec chroot "$1" "$2" --verbosity 1 DELPHOS.hhp'
    namespace = ["unshare", "--mount"]
    if os.geteuid() != 0:
        namespace[1:1] = ["--user", "--map-root-user"]
    chmcmd = os.path.realpath(shutil.which(chmcmd) or chmcmd)
    return subprocess.run(namespace + ["sh", "-c", script, "sh", root, chmcmd],
                          capture_output=True, encoding="utf-8", errors="replace")


def check_contexts(chm, work, build_dir):
    """Every context number must lead to a page inside the file, and no name
    inside it may hold the folder it was built in."""
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
        if topic.lower() not in inside:
            sys.exit(f"build_chm.py: context {name} names {topic}, "
                     "which the help file does not hold")
    with open(chm, "rb") as f:
        if os.fsencode(build_dir) in f.read():
            sys.exit(f"build_chm.py: DELPHOS.chm holds the build folder {build_dir}")


def main():
    if len(sys.argv) != 6:
        sys.exit("usage: build_chm.py CHMCMD SOURCE_DIR WORK_DIR OUTPUT.chm VERSION")
    chmcmd, source, work, output, version = sys.argv[1:]
    work = os.path.abspath(work)
    root = os.path.join(work, "raiz")
    os.makedirs(work, exist_ok=True)
    mounts = prepare_root(source, root, version)
    result = run_chmcmd(chmcmd, root, mounts)
    chm = os.path.join(work, "DELPHOS.chm")
    built = os.path.join(root, "DELPHOS.chm")
    if result.returncode != 0 or not os.path.isfile(built) or "Error:" in result.stdout:
        sys.stdout.write(result.stdout + result.stderr)
        sys.exit("build_chm.py: chmcmd failed (it runs under unshare and chroot, which need "
                 "user namespaces or root)")
    shutil.move(built, chm)
    check_contexts(chm, work, work)
    shutil.copyfile(chm, output)


if __name__ == "__main__":
    main()
