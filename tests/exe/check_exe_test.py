#!/usr/bin/env python3
"""Tables for the parts of check_exe.py that read text: the disassembly, the
link map and the manifest. Each case is what the tools really print."""
import sys
import unittest
from pathlib import Path

import check_exe

MANIFEST = (Path(__file__).parents[2] / "resources" /
            "pellomar.manifest").read_text()


class Disassembly(unittest.TestCase):
    def test_instructions_newer_than_the_i486(self):
        cases = [
            ("  401421:\t0f 48 de             \tcmovs  %esi,%ebx", True),
            ("  401000:\t66 0f 1f 44 00 00    \tnopw   0x0(%eax,%eax,1)", True),
            ("  401000:\t2e 66 0f 1f 84 00 00 \tcs nopw 0x0(%eax,%eax,1)", True),
            ("  401000:\t0f 1f 40 00          \tnopl   0x0(%eax)", True),
            ("  401000:\tdf f1                \tfcomip %st(1),%st", True),
            ("  401000:\tdb e9                \tfucomi %st(1),%st", True),
            ("  401000:\tda c1                \tfcmovb %st(1),%st", True),
            ("  401000:\t0f c7 0e             \tcmpxchg8b (%esi)", True),
            ("  401000:\t0f 31                \trdtsc", True),
            ("  401000:\t0f 6e c0             \tmovd   %eax,%mm0", True),
            ("  401000:\t0f 28 c1             \tmovaps %xmm1,%xmm0", True),
            ("  401000:\t0f 0b                \tud2", True),
            # What the i486 has.
            ("  401000:\t90                   \tnop", False),
            ("  401000:\td8 d1                \tfcom   %st(1)", False),
            ("  401000:\tde d9                \tfcompp", False),
            ("  401000:\t0f b1 0e             \tcmpxchg %ecx,(%esi)", False),
            ("  401000:\t0f c9                \tbswap  %ecx", False),
            ("  401000:\t0f a2                \tcpuid", False),
            ("  401000:\tff                   \t(bad)", False),
            # A symbol name is no instruction.
            ("00401000 <_cmov_helper>:", False),
        ]
        for line, newer in cases:
            with self.subTest(line=line):
                self.assertEqual(bool(check_exe.newer_than_i486(line)), newer)

    def test_reaching_the_seh_chain(self):
        cases = [
            ("  401000:\t64 a1 00 00 00 00    \tmov    %fs:0x0,%eax", True),
            ("  401000:\t64 89 25 00 00 00 00 \tmov    %esp,%fs:0x0", True),
            ("  401000:\t65 48 8b 04 25 30 00 \tmov    %gs:0x30,%rax", False),
            ("  401000:\t8b 45 fc             \tmov    -0x4(%ebp),%eax", False),
        ]
        for line, reaches in cases:
            with self.subTest(line=line):
                self.assertEqual(bool(check_exe.seh_registrations(line)),
                                 reaches)


class LinkMap(unittest.TestCase):
    HEAD = (" *(.glue_7)\n"
            "                0x00401c90                ___CTOR_LIST__ = .\n"
            "                0x00401c90        0x4 LONG 0xffffffffffffffff\n"
            " *(.ctors)\n")
    TAIL = (" *(.ctor)\n *(SORT_BY_NAME(.ctors.*))\n"
            "                0x00401c94        0x4 LONG 0x0\n")

    def test_static_constructors(self):
        cases = [
            ("none", "", []),
            ("one object",
             " .ctors         0x0040101c        0x4 ctor.o\n",
             [(".ctors", "ctor.o")]),
            ("64-bit addresses",
             " .ctors         0x0000000140001028        0x8 ctor64.o\n",
             [(".ctors", "ctor64.o")]),
            ("with a priority, wrapped after a long name",
             " .ctors.65435\n"
             "                0x0040101c        0x4 libpellomar_core.a(keys.cpp.obj)\n",
             [(".ctors.65435", "libpellomar_core.a(keys.cpp.obj)")]),
            ("a destructor table",
             " .dtors         0x0040101c        0x4 dtor.o\n",
             [(".dtors", "dtor.o")]),
            ("an init_array",
             " .init_array    0x0040101c        0x4 init.o\n",
             [(".init_array", "init.o")]),
            ("an empty section",
             " .ctors         0x0040101c        0x0 empty.o\n", []),
        ]
        for name, middle, found in cases:
            with self.subTest(name):
                self.assertEqual(check_exe.static_constructors(
                    self.HEAD + middle + self.TAIL), found)


class Manifest(unittest.TestCase):
    def facts(self, text):
        return [ok for ok, _ in check_exe.manifest_facts(text.encode())]

    def test_the_launchers_manifest(self):
        self.assertEqual(self.facts(MANIFEST), [True, True, True])

    def test_what_falls_short(self):
        system = ('<dpiAwareness xmlns="http://schemas.microsoft.com/SMI/'
                  '2016/WindowsSettings">system</dpiAwareness>')
        cases = [
            ("no common controls dependency",
             MANIFEST.split("<dependency>")[0] +
             MANIFEST.split("</dependency>")[1], [True, False, True]),
            ("common controls 5",
             MANIFEST.replace('version="6.0.0.0"', 'version="5.82.0.0"'),
             [True, False, True]),
            ("per-monitor awareness",
             MANIFEST.replace(">system<", ">permonitorv2<"),
             [True, True, False]),
            ("dpiAware alone is system awareness everywhere",
             MANIFEST.replace(system, ""), [True, True, True]),
            ("dpiAware true/pm is per-monitor",
             MANIFEST.replace(">true<", ">true/pm<").replace(system, ""),
             [True, True, False]),
            ("elevation asked for",
             MANIFEST.replace("asInvoker", "requireAdministrator"),
             [False, True, True]),
            ("not XML", "<assembly", [False]),
        ]
        for name, text, facts in cases:
            with self.subTest(name):
                self.assertEqual(self.facts(text), facts)


if __name__ == "__main__":
    unittest.main()
