"""Work tables against other dBase readers and writers.

    python3 interop_test.py TOOL CHECK

TOOL is dbf_interop_tool; CHECK is one of:
  dbfread   the sample table we write, read by python3-dbfread
  ogrinfo   the sample table we write, read by GDAL's ogrinfo
  dbf       tables python3-dbf writes (dBase III and Visual FoxPro, code pages
            1252 and 850), read by us
  cpg       tables GDAL writes with no code page in the header and a .cpg file
            beside them (UTF-8, CP850, CP1252, ISO-8859-1), read by us with
            the .cpg file and, where the text alone tells, without it
Exits 0 when the check passes, 1 when it fails, and 77 (skipped) when the
other program is not installed. Run with Debian's /usr/bin/python3, where
python3-dbfread and python3-dbf live.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

SKIP = 77

# What the sample table written by `dbf_interop_tool write` holds, as any
# reader should see it: text after conversion to code page 1252 and cutting
# to the field's width; None for blank values.
SAMPLE = [
    {"NOMBRE": "Peña €uro", "ACTIVO": True, "NUM": 42, "HORAS": 1.5, "CORTO": "ñan"},
    {"NOMBRE": "", "ACTIVO": None, "NUM": None, "HORAS": None, "CORTO": ""},
    {"NOMBRE": "O'Neil \"q\"", "ACTIVO": False, "NUM": -2147483648, "HORAS": 0.8333, "CORTO": "abc"},
    {"NOMBRE": "?~x", "ACTIVO": True, "NUM": 0, "HORAS": -12345.6789, "CORTO": "áé"},
]


def fail(message):
    print("FALLO: " + message)
    sys.exit(1)


def same_number(a, b):
    if a is None or b is None:
        return a is None and b is None
    return abs(float(a) - float(b)) < 1e-9


def compare(expected_rows, actual_rows, what):
    if len(expected_rows) != len(actual_rows):
        fail(f"{what}: {len(actual_rows)} filas en lugar de {len(expected_rows)}:\n{actual_rows}")
    for number, (expected, actual) in enumerate(zip(expected_rows, actual_rows), 1):
        for field, value in expected.items():
            got = actual.get(field)
            ok = same_number(value, got) if isinstance(value, (int, float)) and not isinstance(value, bool) \
                else value == got
            if not ok:
                fail(f"{what}, fila {number}, campo {field}: se esperaba {value!r} y se leyó {got!r}")


def write_sample(tool, directory):
    path = os.path.join(directory, "MUESTRA.DBF")
    subprocess.run([tool, "write", path], check=True)
    return path


def check_dbfread(tool, directory):
    try:
        import dbfread
    except ImportError:
        return SKIP
    path = write_sample(tool, directory)
    # The language driver byte (0x57) must be enough to pick code page 1252.
    rows = [dict(r) for r in dbfread.DBF(path, char_decode_errors="strict")]
    compare(SAMPLE, rows, "dbfread")
    return 0


def check_ogrinfo(tool, directory):
    ogrinfo = shutil.which("ogrinfo")
    if ogrinfo is None:
        return SKIP
    path = write_sample(tool, directory)
    output = subprocess.run([ogrinfo, "-ro", "-oo", "ENCODING=CP1252", "-al", path],
                            check=True, capture_output=True, text=True, encoding="utf-8").stdout
    rows = []
    for line in output.splitlines():
        if line.startswith("OGRFeature("):
            rows.append({})
        elif rows and " = " in line and line.startswith("  "):
            name_type, value = line.strip().split(" = ", 1)
            name, kind = name_type.split(" (", 1)
            if value == "(null)":
                value = None
            elif kind.startswith(("Integer", "Real")):
                value = float(value)
            rows.append(rows.pop() | {name: value})
    # GDAL has no logical type: it shows the stored letter, and blank text as null.
    expected = []
    for row in SAMPLE:
        shown = dict(row)
        shown["ACTIVO"] = {True: "T", False: "F", None: None}[row["ACTIVO"]]
        for field in ("NOMBRE", "CORTO"):
            shown[field] = row[field] or None
        expected.append(shown)
    compare(expected, rows, "ogrinfo")
    return 0


def check_dbf(tool, directory):
    try:
        import dbf
    except ImportError:
        return SKIP
    layout = "NAME C(20); QTY N(11,0); PRICE N(19,4); FL F(19,4); OK L"
    rows = [
        ("Peña €", 3, 1.25, -2.5, True),
        ("borrada", 1, 0, 0, False),
        None,  # appended blank
        ("Ç x", -7, 0.0001, 123456.789, False),
    ]
    expected = [
        {"NAME": "Peña €", "QTY": "3", "PRICE": "1.2500", "FL": "-2.5000", "OK": True},
        {"NAME": "", "QTY": "", "PRICE": "", "FL": "", "OK": None},
        {"NAME": "Ç x", "QTY": "-7", "PRICE": "0.0001", "FL": "123456.7890", "OK": False},
    ]
    for dbf_type in ("db3", "vfp"):
        for codepage in ("cp1252", "cp850"):
            what = f"python3-dbf {dbf_type} {codepage}"
            path = os.path.join(directory, f"{dbf_type}_{codepage}.dbf")
            table = dbf.Table(path, layout, dbf_type=dbf_type, codepage=codepage)
            table.open(dbf.READ_WRITE)
            for row in rows:
                if row is None:
                    table.append()
                elif codepage == "cp850" and "€" in row[0]:
                    table.append(("Peña $",) + row[1:])  # cp850 has no euro sign
                else:
                    table.append(row)
            dbf.delete(table[1])
            table.close()
            result = subprocess.run([tool, "dump", path], capture_output=True, text=True, encoding="utf-8")
            if result.returncode != 0:
                fail(f"{what}: {result.stderr}")
            want = [dict(r) for r in expected]
            if codepage == "cp850":
                want[0]["NAME"] = "Peña $"
            compare(want, json.loads(result.stdout), what)
    return 0


def check_cpg(tool, directory):
    ogr2ogr = shutil.which("ogr2ogr")
    if ogr2ogr is None:
        return SKIP
    source = os.path.join(directory, "origen.csv")
    with open(source, "w", encoding="utf-8") as out:
        out.write("PROF,N\nPeña,1\nÇx é,2\n")
    expected = [{"PROF": "Peña", "N": "1"}, {"PROF": "Çx é", "N": "2"}]
    # Without the .cpg file only UTF-8 can be told from the text; text
    # that is not UTF-8 is read in 1252 as before.
    readable_without_cpg = {"UTF-8": True, "CP850": False, "CP1252": True, "ISO-8859-1": True}
    for encoding, without_cpg in readable_without_cpg.items():
        path = os.path.join(directory, f"soluc_{encoding}.dbf")
        subprocess.run([ogr2ogr, "-f", "ESRI Shapefile", "-lco", f"ENCODING={encoding}", path, source],
                       check=True, capture_output=True)
        with open(path, "rb") as table:
            if table.read(30)[29] != 0:
                fail(f"GDAL {encoding}: la cabecera declara una página de códigos")
        cpg = path[:-4] + ".cpg"
        if not os.path.exists(cpg):
            fail(f"GDAL {encoding}: no escribió {cpg}")
        for with_cpg in (True, False):
            if not with_cpg:
                os.remove(cpg)
                if not without_cpg:
                    continue
            what = f"GDAL {encoding}, {'con' if with_cpg else 'sin'} .cpg"
            result = subprocess.run([tool, "dump", path], capture_output=True, text=True, encoding="utf-8")
            if result.returncode != 0:
                fail(f"{what}: {result.stderr}")
            compare(expected, json.loads(result.stdout), what)
    return 0


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    tool, check = sys.argv[1], sys.argv[2]
    checks = {"dbfread": check_dbfread, "ogrinfo": check_ogrinfo, "dbf": check_dbf, "cpg": check_cpg}
    with tempfile.TemporaryDirectory(prefix="dbf-interop-") as directory:
        status = checks[check](tool, directory)
    if status == SKIP:
        print(f"{check}: no está instalado; se omite")
    return status


if __name__ == "__main__":
    sys.exit(main())
