#!/usr/bin/env python3
"""Checks a built Windows launcher from its file alone.

- It imports from KERNEL32.dll, USER32.dll and msvcrt.dll only: all three are
  known to Windows, so a DLL planted beside the launcher is never loaded in
  their place. It imports no wide (...W) function: those are looked up at run
  time where Windows has them, so the launcher loads on Windows 95/98/ME.
- It is relocatable and non-executable-data compatible (DYNAMIC_BASE,
  NX_COMPAT; HIGH_ENTROPY_VA for 64-bit), and no section is both writable and
  executable.
- It runs in the GUI subsystem (no console window), is terminal-server
  aware, and says it uses no structured exception handlers (NO_SEH), which
  is checked to be true: a 64-bit one has no exception directory, and no
  32-bit code touches %fs, where handlers are registered.
- 32-bit code runs on any x86 processor: no instruction newer than the i486
  (such as cmov, multi-byte nop, MMX or SSE), libgcc's helpers included.
- No static constructor was linked in: the launcher's start-up never runs
  them. The executable is stripped and the linker folds constructor tables
  into its code, so this is read from the link map beside it (pellomar.map).
- Its resources: icon group 101 of two 16-colour compact-disc images, 32x32
  (icon 1) and 16x16 (icon 2); a version resource for a 32-bit Windows
  application, version 1.0.0.1, "1.01" as FileVersion and ProductVersion,
  translation 0x0409/0x04B0; a manifest that asks for asInvoker, depends
  on common controls 6 (themed boxes) and declares system DPI awareness
  (sharp boxes above 100 % scaling); all in language 0x0409.

Prints one line per fact and exits non-zero when any is wrong.
"""
import argparse
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll"}
RT_ICON, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 14, 16, 24
DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT = 0x40, 0x20, 0x100
NO_SEH, TERMINAL_SERVER_AWARE = 0x400, 0x8000
EXCEPTION_DIRECTORY = 3

# Instructions that the i486 lacks: conditional moves, the P6 compares and
# multi-byte nops, cmpxchg8b, time-stamp and fast system calls, ud2; and the
# MMX and SSE registers.
NEWER_THAN_I486 = re.compile(
    r"\b(cmov\w*|fcmov\w*|fu?comip?|nop[wl]|cmpxchg8b|rdtsc|rdpmc|sysenter"
    r"|sysexit|ud2)\b|%[xy]?mm\d")
# A 32-bit SEH handler is registered through the chain at %fs:0.
SEGMENT_FS = re.compile(r"%fs:")
# An input section of a constructor or destructor table in a GNU ld map,
# possibly wrapped after its name: name, size, object.
STATIC_CONSTRUCTOR = re.compile(
    r"^ (\.(?:ctors|dtors|init_array|fini_array)(?:\.\S+)?)[ \t]*\n?[ \t]+"
    r"0x[0-9a-f]+[ \t]+0x([0-9a-f]+)[ \t]+(\S.*)$", re.M)
COMMON_CONTROLS = {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                   "version": "6.0.0.0", "publicKeyToken": "6595b64144ccf1df"}
NS = {"asm1": "urn:schemas-microsoft-com:asm.v1",
      "asm3": "urn:schemas-microsoft-com:asm.v3",
      "ws2005": "http://schemas.microsoft.com/SMI/2005/WindowsSettings",
      "ws2016": "http://schemas.microsoft.com/SMI/2016/WindowsSettings"}
WRITE, EXECUTE = 0x80000000, 0x20000000


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        (self.machine, sections, _, _, _, optional_size,
         _) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.is64 = magic == 0x20B
        self.subsystem, self.dll_characteristics = struct.unpack_from(
            "<HH", data, opt + 68)
        directories = opt + (112 if self.is64 else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(16)]
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            name, vsize, vaddr, rawsize, rawptr = struct.unpack_from(
                "<8sIIII", data, table + 40 * i)
            flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), vaddr,
                                  max(vsize, rawsize), rawptr, flags))

    def offset(self, rva):
        for _, vaddr, size, rawptr, _ in self.sections:
            if vaddr <= rva < vaddr + size:
                return rawptr + rva - vaddr
        raise ValueError(f"RVA {rva:#x} outside every section")

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode()

    def imports(self):
        return list(self.imported_functions())

    def imported_functions(self):
        """{DLL name: [function names, or #ordinal]}, in table order."""
        rva, _ = self.directories[1]
        found = {}
        at = self.offset(rva)
        width, ordinal_flag = (8, 1 << 63) if self.is64 else (4, 1 << 31)
        while True:
            lookup, _, _, name_rva, thunks = struct.unpack_from(
                "<IIIII", self.data, at)
            if name_rva == 0:
                return found
            functions = found.setdefault(self.cstring(name_rva), [])
            entry = self.offset(lookup or thunks)
            while True:
                value = int.from_bytes(self.data[entry:entry + width], "little")
                if value == 0:
                    break
                functions.append(f"#{value & 0xFFFF}" if value & ordinal_flag
                                 else self.cstring((value & 0x7FFFFFFF) + 2))
                entry += width
            at += 20

    def resources(self):
        """{(type, id, language): bytes}"""
        rva, _ = self.directories[2]
        base = self.offset(rva)
        found = {}

        def walk(at, path):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                ident, target = struct.unpack_from("<II", self.data,
                                                   at + 16 + 8 * i)
                key = path + (ident if not ident & 0x80000000 else "named",)
                if target & 0x80000000:
                    walk(base + (target & 0x7FFFFFFF), key)
                else:
                    data_rva, size = struct.unpack_from("<II", self.data,
                                                        base + target)
                    start = self.offset(data_rva)
                    found[key] = self.data[start:start + size]

        walk(base, ())
        return found


def version_blocks(data, at=0):
    """Parses one version block: (key, value bytes, children, end)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, at)
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    value = data[value_at:value_at + size]
    children = []
    child = (value_at + size + 3) & ~3
    while child < at + length:
        parsed = version_blocks(data, child)
        children.append(parsed)
        child = (parsed[3] + 3) & ~3
    return key, value, children, at + length


def instructions_matching(pattern, disassembly):
    """Lines of objdump -d output whose instruction (the text after the
    address and the bytes) matches pattern."""
    found = []
    for line in disassembly.splitlines():
        fields = line.split("\t")
        if len(fields) >= 3 and pattern.search(fields[2]):
            found.append(" ".join(f.strip() for f in fields))
    return found


def newer_than_i486(disassembly):
    return instructions_matching(NEWER_THAN_I486, disassembly)


def seh_registrations(disassembly):
    return instructions_matching(SEGMENT_FS, disassembly)


def static_constructors(link_map):
    """(section, object) of every non-empty constructor or destructor table
    input section in a GNU ld map."""
    return [(name, obj.strip()) for name, size, obj in
            STATIC_CONSTRUCTOR.findall(link_map) if int(size, 16) > 0]


def manifest_facts(manifest):
    """(ok, text) for the manifest's execution level, common controls 6
    dependency and DPI awareness."""
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        return [(False, f"manifest is well-formed XML ({error})")]
    level = root.find(".//asm3:requestedExecutionLevel", NS)
    dependencies = [e.attrib for e in root.findall(
        "asm1:dependency/asm1:dependentAssembly/asm1:assemblyIdentity", NS)]
    controls = any(all(d.get(k) == v for k, v in COMMON_CONTROLS.items())
                   for d in dependencies)
    settings = root.find("asm3:application/asm3:windowsSettings", NS)
    aware = awareness = None
    if settings is not None:
        aware = settings.findtext("ws2005:dpiAware", None, NS)
        awareness = settings.findtext("ws2016:dpiAwareness", None, NS)
    # Windows 10 1607 and later read dpiAwareness (its first value) when it
    # is there, earlier ones dpiAware: whichever is read must say system.
    system_aware = (aware or "").strip().lower() == "true" and (
        awareness is None or
        awareness.split(",")[0].strip().lower() == "system")
    return [
        (level is not None and level.get("level") == "asInvoker",
         "manifest asks for asInvoker"),
        (controls, "manifest depends on common controls 6.0.0.0"),
        (system_aware,
         f"manifest declares system DPI awareness (dpiAware {aware}, "
         f"dpiAwareness {awareness})"),
    ]


def disassemble(objdump, path):
    return subprocess.run([objdump, "-d", str(path)], check=True,
                          capture_output=True, text=True).stdout


def check(path, objdump):
    data = open(path, "rb").read()
    pe = Pe(data)
    results = []

    def fact(ok, text):
        results.append(ok)
        print(("ok     " if ok else "WRONG  ") + text)

    dlls = pe.imports()
    fact({d.lower() for d in dlls} <= ALLOWED_DLLS,
         "imports " + ", ".join(dlls))
    wide = [f for functions in pe.imported_functions().values()
            for f in functions if f.endswith("W")]
    fact(not wide, "no wide function imported (each is looked up at run "
         "time, so Windows 95/98/ME load the launcher)" +
         (": " + ", ".join(wide) if wide else ""))
    fact(pe.subsystem == 2, f"GUI subsystem ({pe.subsystem})")
    flags = pe.dll_characteristics
    fact(bool(flags & DYNAMIC_BASE), "DYNAMIC_BASE")
    fact(bool(flags & NX_COMPAT), "NX_COMPAT")
    fact(bool(flags & TERMINAL_SERVER_AWARE), "TERMINAL_SERVER_AWARE")
    fact(bool(flags & NO_SEH), "NO_SEH")
    if pe.is64:
        fact(bool(flags & HIGH_ENTROPY_VA), "HIGH_ENTROPY_VA")
    wx = [s[0] for s in pe.sections if s[4] & WRITE and s[4] & EXECUTE]
    fact(not wx, "no writable and executable section" +
         (": " + ", ".join(wx) if wx else ""))
    fact(pe.directories[5][1] > 0 or not flags & DYNAMIC_BASE,
         "relocations present for DYNAMIC_BASE")

    res = pe.resources()
    fact(all(k[2] == 0x0409 for k in res),
         "every resource in language 0x0409: " +
         ", ".join(f"{k[0]}/{k[1]}/{k[2]:#06x}" for k in sorted(res, key=str)))
    group = res.get((RT_GROUP_ICON, 101, 0x0409))
    fact(group is not None, "icon group 101")
    if group is not None:
        _, _, count = struct.unpack_from("<HHH", group, 0)
        entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
                   for i in range(count)]
        shapes = [(e[0], e[1], e[5], e[7]) for e in entries]
        fact(shapes == [(32, 32, 4, 1), (16, 16, 4, 2)],
             f"icons (width, height, bits, id): {shapes}")
        for e in entries:
            image = res.get((RT_ICON, e[7], 0x0409), b"")
            ok = len(image) >= 40 and struct.unpack_from("<H", image, 14)[0] == 4
            fact(ok, f"icon {e[7]} is a 16-colour bitmap")

    version = res.get((RT_VERSION, 1, 0x0409))
    fact(version is not None, "version resource 1")
    if version is not None:
        key, fixed, children, _ = version_blocks(version)
        (signature, _, file_ms, file_ls, prod_ms, prod_ls, _, file_flags,
         file_os, file_type, _, _, _) = struct.unpack_from("<13I", fixed)
        fact(key == "VS_VERSION_INFO" and signature == 0xFEEF04BD,
             "fixed version information")
        fact((file_ms, file_ls, prod_ms, prod_ls) ==
             (0x10000, 0x00001, 0x10000, 0x00001),
             "file and product version 1.0.0.1")
        fact(file_type == 1 and file_flags == 0,
             f"application (type {file_type}), no file flags ({file_flags})")
        fact(file_os == 0x4, f"32-bit Windows (FILEOS {file_os:#x})")
        strings, translation = {}, None
        for ckey, _, cchildren, _ in children:
            if ckey == "StringFileInfo":
                for table_key, _, table, _ in cchildren:
                    for skey, svalue, _, _ in table:
                        strings[(table_key, skey)] = (
                            svalue.decode("utf-16-le").rstrip("\0"))
            elif ckey == "VarFileInfo":
                for vkey, vvalue, _, _ in cchildren:
                    if vkey == "Translation":
                        translation = struct.unpack_from("<HH", vvalue)
        fact(strings.get(("040904B0", "FileVersion")) == "1.01" and
             strings.get(("040904B0", "ProductVersion")) == "1.01",
             "FileVersion and ProductVersion strings 1.01")
        fact("Pellomar" in strings.get(("040904B0", "ProductName"), "") and
             strings.get(("040904B0", "CompanyName")),
             "product and maker named: " +
             strings.get(("040904B0", "ProductName"), "?") + ", " +
             strings.get(("040904B0", "CompanyName"), "?"))
        fact(translation == (0x0409, 0x04B0),
             f"translation {translation}")

    manifest = res.get((RT_MANIFEST, 1, 0x0409), b"")
    for ok, text in manifest_facts(manifest):
        fact(ok, text)

    code = disassemble(objdump, path)
    if pe.is64:
        fact(pe.directories[EXCEPTION_DIRECTORY][1] == 0,
             "no exception directory: NO_SEH is true")
    else:
        found = seh_registrations(code)
        fact(not found, "no code reaches %fs (the SEH chain): NO_SEH is true"
             + "".join("\n         " + line for line in found[:5]))
        found = newer_than_i486(code)
        fact(not found, "no instruction newer than the i486"
             + "".join("\n         " + line for line in found[:5]))
    link_map = Path(path).with_suffix(".map")
    if link_map.exists():
        found = static_constructors(link_map.read_text(errors="replace"))
        fact(not found, "no static constructor linked in (link map)"
             + "".join(f"\n         {s} from {o}" for s, o in found))
    else:
        fact(False, f"link map {link_map} exists")
    return all(results)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", default="objdump",
                        help="a GNU objdump that reads PE files")
    parser.add_argument("executables", nargs="+")
    args = parser.parse_args()
    ok = True
    for exe in args.executables:
        print(f"-- {exe}")
        ok = check(exe, args.objdump) and ok
    sys.exit(0 if ok else 1)
