#!/usr/bin/env python3
"""Damaged, enormous, binary and hostile files against the Linux launcher.

The cases of tests/hostile_test.cpp, plus what only a real file system has: a
folder or a fifo where a file is expected, and a file that cannot be read
(the launcher then runs as the unprivileged user nobody, since root reads
everything). Every run must end by itself with exit code 0, show nothing
longer than a box holds, and start nothing from a cut path.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import linux_e2e
import scenarios

QUIET = "[Auto]\nAppName=A\nVersion=3\nVerbose=0\nSetupName=s.sh\n"
LONG = "L" * 10000
# The notice for a path longer than the system takes, before the path.
PATH_NOTICE = ("This path is longer than the system allows, so nothing is read "
               "or started from it: ")


def utf16(text):
    return b"\xff\xfe" + text.encode("utf-16-le")


def garbage(size, seed):
    return random.Random(seed).randbytes(size)


# name, files {name: bytes or "dir"/"fifo"/("unreadable", bytes)}, answers,
# expected boxes (None: only the invariants)
CASES = [
    ("format texts that would read missing arguments",
     {"pellomar.ini": QUIET,
      "pellomar.dat": "[ENU]\nAskRunSetup=%s%s%s%n\nSetupErr=%99999d %\n"},
     ["yes"], ["box 0x24 [A] A%s%s%n", "box 0x40 [A] %99999d %"]),
    ("values of 10,000 characters",
     {"pellomar.ini": f"[Auto]\nAppName={LONG}\nVersion=3\nVerbose=0\nSetupName={LONG}\n",
      "pellomar.dat": f"[ENU]\nAskRunSetup={LONG}%s\nSetupErr={LONG}\n"},
     ["yes"], [f"box 0x24 [{'L' * 254}] {'L' * 254}",
               f"box 0x40 [{'L' * 254}] {PATH_NOTICE}{'L' * 4095}"]),
    ("a complete setup path cut by the read is named, not started",
     {"pellomar.ini": "[Auto]\nAppName=A\nVersion=3\nVerbose=0\nSetupName=Z:\\tmp\\"
                      + "s" * 5000 + ".sh\n",
      "pellomar.dat": "[ENU]\nAskRunSetup=Go?\nSetupErr=No setup.\n"},
     ["yes"], ["box 0x24 [A] Go?",
               f"box 0x40 [A] {PATH_NOTICE}Z:\\tmp\\{'s' * 4088}"]),
    ("a 50 MB settings file, its section at the end",
     {"pellomar.ini": b"#" * (50 << 20) + b"\n" + QUIET.encode(),
      "pellomar.dat": "[ENU]\nAskRunSetup=Go?\n"},
     ["no"], ["box 0x24 [A] Go?"]),
    ("binary garbage in every file",
     {"pellomar.ini": garbage(100000, 1), "pellomar.dat": garbage(100000, 2)},
     ["yes", "yes", "yes"], None),
    ("a NUL inside a key ends the text",
     {"pellomar.ini": b"[Auto]\nAppName=A\nVer\0sion=3\nVerbose=0\n",
      "pellomar.dat": "[ENU]\nAskRunSetup=Go?\n"},
     ["no"], ["box 0x24 [A] Dump Options?",
              "box 0x40 [A] Application Installed - SetupOnly Active"]),
    ("a folder where the settings file should be",
     {"pellomar.ini": "dir", "pellomar.dat": "[ENU]\nAskRunSetup=Go?\n"},
     ["no"], ["box 0x24 [] Dump Options?",
              "box 0x40 [] Application Installed - SetupOnly Active"]),
    ("a fifo where the settings file should be",
     {"pellomar.ini": "fifo", "pellomar.dat": "fifo"},
     ["no"], ["box 0x24 [] Dump Options?",
              "box 0x40 [] Application Installed - SetupOnly Active"]),
    ("a settings file that cannot be read",
     {"pellomar.ini": ("unreadable", QUIET.encode()),
      "pellomar.dat": "[ENU]\nAskRunSetup=Go?\n"},
     ["no"], ["box 0x24 [] Dump Options?",
              "box 0x40 [] Application Installed - SetupOnly Active"]),
    ("UTF-16 files",
     {"pellomar.ini": utf16("[Auto]\r\nAppName=\u00c4pp\r\nVersion=3\r\nVerbose=0\r\n"),
      "pellomar.dat": utf16("[ENU]\r\nAskRunSetup=Go %s?\r\n")},
     ["no"], ["box 0x24 [\u00c4pp] Go \u00c4pp?"]),
    ("every file missing", {}, ["no"],
     ["box 0x24 [] Dump Options?",
      "box 0x40 [] Application Installed - SetupOnly Active"]),
    ("a language code of 300 characters",
     {"pellomar.ini": QUIET, "pellomar.dat": "[ENU]\nAskRunSetup=Go?\n",
      "win.ini": "[intl]\nsLanguage=" + "X" * 300 + "\n"},
     ["no"], ["box 0x24 [A] "]),
]


def lay(folder, config, files):
    needs_nobody = False
    for name, content in files.items():
        target = (config if name == "win.ini" else folder) / name
        if content == "dir":
            target.mkdir()
        elif content == "fifo":
            os.mkfifo(target)
        elif isinstance(content, tuple):
            target.write_bytes(content[1])
            os.chmod(target, 0)
            needs_nobody = True
        else:
            target.write_bytes(content if isinstance(content, bytes)
                               else content.encode("latin-1"))
    return needs_nobody


def run(case, launcher, work):
    name, files, answers, expected = case
    base = Path(tempfile.mkdtemp(dir=work))
    os.chmod(base, 0o755)
    folder, config = base / "folder", base / "config"
    folder.mkdir(mode=0o755)
    config.mkdir(mode=0o755)
    exe = folder / "autorun"
    shutil.copyfile(launcher, exe)
    os.chmod(exe, 0o755)
    prefix = []
    if lay(folder, config, files) and os.geteuid() == 0:
        prefix = [shutil.which("setpriv") or "/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    env = {"PATH": "/nonexistent", "LANG": "C", "HOME": str(base),
           "XDG_CONFIG_HOME": str(config)}
    stdin = "".join(("y" if a == "yes" else "n") + "\n" for a in answers)
    try:
        result = subprocess.run(prefix + [str(exe)], input=stdin.encode(),
                                env=env, cwd=base, capture_output=True,
                                timeout=60)
    except subprocess.TimeoutExpired:
        return ["did not end within a minute"]
    output = result.stdout.decode("utf-8", errors="replace")
    boxes = linux_e2e.parse_boxes(output)
    problems = []
    if result.returncode != 0:
        problems.append(f"exit code {result.returncode}: "
                        f"{result.stderr.decode(errors='replace')[-300:]}")
    for box in boxes:
        caption = box.split("[", 1)[1].split("] ", 1)[0]
        text = box.split("] ", 1)[1] if "] " in box else ""
        if len(caption.encode("utf-8", "surrogateescape")) > 254 * 2 or \
                (len(text) > 255 and not text.startswith(PATH_NOTICE)):
            problems.append(f"box too long: {box[:80]}...")
    if expected is not None and boxes != expected:
        problems.append("boxes differ:\n  expected: " + "\n  expected: ".join(
            expected) + "\n  got:      " + "\n  got:      ".join(boxes))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    args = parser.parse_args()
    tally = scenarios.Tally("hostile")
    with tempfile.TemporaryDirectory(prefix="pellomar-hostile-") as work:
        os.chmod(work, 0o755)
        for case in CASES:
            tally.record(case[0], run(case, args.launcher.resolve(), work))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
