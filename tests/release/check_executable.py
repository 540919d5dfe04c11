#!/usr/bin/env python3
"""Checks the shipped Pasahorario.exe as Windows will load it.

    check_executable.py Pasahorario.exe VERSION OBJDUMP

- PE32 for i386: the host is a 32-bit program and only a 32-bit process is
  virtualized by Windows like it;
- a manifest resource that asks for Common Controls 6 and DPI awareness and
  declares no execution level (which would switch virtualization off);
- version information whose numbers and texts are VERSION;
- only system DLLs imported (the C++ runtime is linked in).
"""
import re
import struct
import xml.etree.ElementTree as ElementTree
import subprocess
import sys

RT_VERSION, RT_MANIFEST = 16, 24
IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
# What a 32-bit Windows has of its own; anything else would have to be shipped.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
               "ole32.dll", "oleaut32.dll", "shell32.dll", "msimg32.dll", "msvcrt.dll",
               "advapi32.dll", "shlwapi.dll", "uxtheme.dll"}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        check(data[:2] == b"MZ" and data[pe:pe + 4] == b"PE\0\0", "not a PE file")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if self.magic == PE32_MAGIC else 112)
        self.resource_rva, _ = struct.unpack_from("<II", data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((rva, max(vsize, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} is in no section")

    def resources(self, kind):
        """The data of every resource of `kind`, in every name and language."""
        if not self.resource_rva:
            return []
        base = self.offset(self.resource_rva)

        def entries(table):
            named, numbered = struct.unpack_from("<HH", self.data, table + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, table + 16 + 8 * i)
                yield ident, target

        found = []

        def leaves(target):
            if target & 0x80000000:
                for _, below in entries(base + (target & 0x7FFFFFFF)):
                    leaves(below)
            else:
                rva, size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset(rva)
                found.append(self.data[start:start + size])

        for ident, target in entries(base):
            if ident == kind:
                leaves(target)
        return found


def fixed_version(block):
    """(file version, product version) from a VS_VERSIONINFO block."""
    signature = block.find(struct.pack("<I", 0xFEEF04BD))
    if signature < 0:
        return None
    _, _, fms, fls, pms, pls = struct.unpack_from("<IIIIII", block, signature)
    as_tuple = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    return as_tuple(fms, fls), as_tuple(pms, pls)


def string_value(block, key):
    """A value of the StringFileInfo table (UTF-16 key, padded, then value)."""
    raw = block.decode("utf-16-le", errors="replace")
    match = re.search(re.escape(key) + r"\x00+([^\x00]*)", raw)
    return match.group(1) if match else None


def main():
    exe, version, objdump = sys.argv[1:4]
    with open(exe, "rb") as f:
        image = Image(f.read())
    check(image.machine == IMAGE_FILE_MACHINE_I386, f"machine {image.machine:#x}, expected i386")
    check(image.magic == PE32_MAGIC, f"optional header magic {image.magic:#x}, expected PE32")

    manifests = image.resources(RT_MANIFEST)
    if check(len(manifests) == 1, f"{len(manifests)} manifest resources, expected 1"):
        manifest = manifests[0].decode("utf-8")
        elements = {e.tag.split("}")[-1] for e in ElementTree.fromstring(manifests[0]).iter()}
        check(not elements & {"trustInfo", "requestedExecutionLevel"},
              "the manifest declares an execution level")
        check("Microsoft.Windows.Common-Controls" in manifest and 'version="6.0.0.0"' in manifest,
              "the manifest does not ask for Common Controls 6")
        check("<dpiAware" in manifest and "<dpiAwareness" in manifest, "no DPI awareness")
        check('processorArchitecture="x86"' in manifest, "manifest not for x86")

    versions = image.resources(RT_VERSION)
    numbers = tuple(int(n) for n in version.split(".")) + (0,) * (4 - len(version.split(".")))
    if check(len(versions) == 1, f"{len(versions)} version resources, expected 1"):
        fixed = fixed_version(versions[0])
        check(fixed == (numbers, numbers), f"version numbers {fixed}, expected {numbers}")
        for key in ("FileVersion", "ProductVersion"):
            value = string_value(versions[0], key)
            check(value == version, f"{key} is {value!r}, expected {version!r}")

    dump = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True).stdout
    imported = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    check(imported and imported <= SYSTEM_DLLS, f"imports DLLs Windows lacks: {imported - SYSTEM_DLLS}")

    for failure in failures:
        print("FAIL:", failure)
    if not failures:
        print(f"OK: PE32 i386, manifest without execution level, version {version}, "
              f"imports {sorted(imported)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
