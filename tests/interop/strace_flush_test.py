"""What reaches the disk, and in which order, when pasahorario-cli replaces
files, as strace sees the system calls.

    python3 strace_flush_test.py PASAHORARIO_CLI EXAMPLE_XML SOLUC_DBF

The export must flush each staged table and the journal before it renames the
first staged table onto its table name (the journal written under another
name and renamed to its own, the folder flushed after that rename), flush the
exchange directory after the last such rename and before it removes the
journal; the import must
flush its staged result before renaming it onto ResultadoTablerix*.xml. Exits
0 when that holds, 1 when it does not, and 77 (skipped) when strace is not
installed or may not trace.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
TABLES = ["ASIGNOMT", "PROFT", "AULAT", "GRUPOST", "ASIGT", "DIASHORAST"]
JOURNAL = "PASAHORARIO.DIARIO"
TRACED = "fsync,fdatasync,rename,renameat,renameat2,openat,unlink,unlinkat"

# With -y every descriptor is printed with its path: "fsync(3</x/y>)".
FLUSH = re.compile(r"^(?:\[pid +\d+\] |\d+ +)?f(?:data)?sync\(\d+<(.*)>\)")
RENAME = re.compile(r"^(?:\[pid +\d+\] |\d+ +)?rename(?:at2?)?\((.*)\)")
UNLINK = re.compile(r"^(?:\[pid +\d+\] |\d+ +)?unlink(?:at)?\((.*)\)")
QUOTED = re.compile(r'"((?:[^"\\]|\\.)*)"')


def fail(message, calls=None):
    print("FALLO: " + message)
    if calls:
        print("llamadas vistas:")
        for call in calls:
            print("  ", *call)
    sys.exit(1)


def traced_calls(log, cwd):
    """The flushes, renames and removals in strace's log, in order, as
    ("flush", path), ("rename", source, target) and ("unlink", path), with
    absolute paths."""
    calls = []
    with open(log, encoding="utf-8", errors="replace") as f:
        for line in f:
            flush = FLUSH.match(line)
            if flush:
                calls.append(("flush", os.path.normpath(flush.group(1))))
                continue
            unlink = UNLINK.match(line)
            if unlink and re.search(r"= 0$", line.rstrip()):
                calls.append(("unlink", os.path.normpath(
                    os.path.join(cwd, QUOTED.findall(unlink.group(1))[0]))))
                continue
            rename = RENAME.match(line)
            if rename and not line.rstrip().endswith("<unfinished ...>"):
                if not re.search(r"= 0$", line.rstrip()):
                    continue  # a rename that failed replaced nothing
                source, target = [os.path.normpath(os.path.join(cwd, p))
                                  for p in QUOTED.findall(rename.group(1))[:2]]
                calls.append(("rename", source, target))
    return calls


def run_traced(folder, name, command):
    log = os.path.join(folder, name + ".strace")
    # LeakSanitizer cannot run under a tracer; the sanitizer build's leak
    # checks are the other tests' business.
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
    result = subprocess.run(["strace", "-f", "-y", "-o", log, "-e", "trace=" + TRACED, *command],
                            cwd=folder, env=env, capture_output=True, text=True, timeout=120)
    if result.returncode != 0:
        fail(f"{name} terminó con {result.returncode}: {result.stdout}{result.stderr}")
    return traced_calls(log, folder)


def flushed_before(calls, path, end):
    return any(c[0] == "flush" and c[1] == path for c in calls[:end])


def check_export(calls, xtemp):
    onto_table = [i for i, c in enumerate(calls)
                  if c[0] == "rename" and os.path.dirname(c[2]) == xtemp and
                  c[2].upper().endswith(".DBF")]
    targets = sorted(os.path.basename(calls[i][2]) for i in onto_table)
    if targets != sorted(t + ".DBF" for t in TABLES):
        fail(f"la exportación renombra sobre {targets}", calls)
    first, last = onto_table[0], onto_table[-1]
    for i in onto_table:
        source = calls[i][1]
        if ".nuevo~" not in os.path.basename(source):
            fail(f"{calls[i][2]} no viene de una copia preparada: {source}", calls)
        if not flushed_before(calls, source, first):
            fail(f"{source} no se vuelca antes del primer cambio de nombre", calls)
    journal = [c for c in calls[:first] if c[0] == "flush" and
               os.path.dirname(c[1]) == xtemp and os.path.basename(c[1]).startswith(JOURNAL)]
    if not journal:
        fail(f"{JOURNAL} no se vuelca antes del primer cambio de nombre", calls)
    # The directory flush that makes the renames last comes before the
    # journal is removed: a crash between the two must still find it.
    removed = [i for i, c in enumerate(calls) if i > last and c[0] == "unlink" and
               c[1] == os.path.join(xtemp, JOURNAL)]
    end = removed[0] if removed else len(calls)
    if not any(c == ("flush", xtemp) for c in calls[last + 1:end]):
        fail("la carpeta de intercambio no se vuelca tras el último cambio de nombre"
             + (f" ni antes de borrar {JOURNAL}" if removed else ""), calls)
    # The journal, once flushed, names what to finish: it has to be in place
    # under its own name before the first table is replaced.
    put = [c for c in calls[:first] if c[0] == "rename" and
           os.path.basename(c[2]) == JOURNAL]
    if not put:
        fail(f"{JOURNAL} no se pone en su sitio cambiando el nombre de un diario ya escrito", calls)
    if not flushed_before(calls, put[-1][1], calls.index(put[-1])):
        fail(f"{JOURNAL} se pone en su sitio sin volcarlo antes", calls)
    if not any(c == ("flush", xtemp) for c in calls[calls.index(put[-1]) + 1:first]):
        fail(f"la carpeta no se vuelca entre poner {JOURNAL} en su sitio y el primer cambio "
             "de nombre de una tabla", calls)


def check_import(calls, folder):
    onto_result = [i for i, c in enumerate(calls) if c[0] == "rename" and
                   re.fullmatch(r"ResultadoTablerix.*\.xml", os.path.basename(c[2])) and
                   os.path.dirname(c[2]) == folder]
    if len(onto_result) != 1:
        fail(f"la importación renombra {len(onto_result)} veces sobre el resultado", calls)
    i = onto_result[0]
    if not flushed_before(calls, calls[i][1], i):
        fail(f"el resultado preparado {calls[i][1]} no se vuelca antes de renombrarlo", calls)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    cli, example, solution = (os.path.abspath(a) for a in sys.argv[1:])
    if not shutil.which("strace"):
        print("SKIP: strace no está instalado")
        return SKIP
    probe = subprocess.run(["strace", "-o", os.devnull, "true"], capture_output=True, text=True)
    if probe.returncode != 0:  # e.g. a container that forbids ptrace
        print("SKIP: strace no puede seguir procesos aquí: " + probe.stderr.strip())
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        folder = os.path.realpath(folder)
        xtemp = os.path.join(folder, "XTEMP")
        os.mkdir(xtemp)
        xml = os.path.join(folder, "centro.xml")
        shutil.copy(example, xml)
        calls = run_traced(folder, "exportar", [cli, "exportar", xml, "--xtemp", xtemp,
                                                "--hora-inicio", "08:00"])
        check_export(calls, xtemp)
        shutil.copy(solution, os.path.join(xtemp, "SOLUC.DBF"))
        calls = run_traced(folder, "importar", [cli, "importar", xml, "--xtemp", xtemp])
        check_import(calls, folder)
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
