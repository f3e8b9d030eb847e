#!/usr/bin/env python3
"""The installed Linux medium, started as desktops and users start it.

Every file of the medium loses its execute bits (as on a FAT stick or a
Joliet disc), and the sample setup is a bash script without one. Each way
of starting must ask the sample question and, answered yes, run that setup
with bash. A noexec mount (a tmpfs; needs root) lets no program run from
the medium: autorun.sh then runs a private copy, which must be gone
afterwards.
"""
import argparse
import os
import platform
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import linux_e2e
import scenarios

QUESTION = "box 0x24 [Sample App] Do you want to install Sample App now?"
# The sample setup, made to need bash (dash stops at the array); the
# launcher does not pass on the medium that autorun.sh names to it.
BASH_SETUP = """#!/bin/bash
parts=(installed by bash)
echo "${parts[*]} $0 (medium named: ${PELLOMAR_MEDIUM:-no})" >> "$PELLOMAR_START_LOG"
"""
LOADERS = {"x86_64": "/lib64/ld-linux-x86-64.so.2",
           "aarch64": "/lib/ld-linux-aarch64.so.1"}

# name, where the medium lies (plain folder or noexec mount), the command
# ({medium} and {loader} filled in), and whether it runs from the medium's
# folder or from another one.
WAYS = [
    ("a desktop runs /bin/sh autorun.sh", "folder",
     ["/bin/sh", "autorun.sh"], "medium"),
    ("autorun.sh from another folder", "folder",
     ["/bin/sh", "{medium}/autorun.sh"], "elsewhere"),
    ("the dynamic loader from another folder", "folder",
     ["{loader}", "{medium}/autorun"], "elsewhere"),
    ("a noexec mount: /bin/sh autorun.sh", "noexec",
     ["/bin/sh", "autorun.sh"], "medium"),
]


def install_medium(build, into):
    subprocess.run(["cmake", "--install", str(build), "--component", "medium",
                    "--prefix", str(into)], check=True,
                   stdout=subprocess.DEVNULL)
    return into / "share" / "pellomar" / "medium"


def lay_out(source, medium):
    shutil.copytree(source, medium, dirs_exist_ok=True)
    (medium / "demo" / "setup.sh").write_text(BASH_SETUP)
    for path in medium.rglob("*"):
        if path.is_file():
            path.chmod(0o644)


def run(way, source, base):
    name, place, command, start_in = way
    base.mkdir()
    medium = base / "medium"
    medium.mkdir()
    if place == "noexec":
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o",
                                  "noexec,size=64m", "tmpfs", str(medium)],
                                 capture_output=True, text=True)
        if mounted.returncode != 0:
            return None, "cannot mount a noexec tmpfs: " + mounted.stderr
    try:
        lay_out(source, medium)
        elsewhere = base / "elsewhere"
        runtime = base / "runtime"
        for folder in (elsewhere, runtime):
            folder.mkdir(mode=0o700)
        log = base / "starts.log"
        env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(base),
               "XDG_CONFIG_HOME": str(base / "config"),
               "XDG_RUNTIME_DIR": str(runtime),
               "PELLOMAR_START_LOG": str(log)}
        argv = [a.format(medium=medium,
                         loader=LOADERS.get(platform.machine(), ""))
                for a in command]
        with open(base / "stdout", "w+") as out:
            result = subprocess.run(
                argv, input="y\n", env=env, stdout=out,
                stderr=subprocess.PIPE, text=True, timeout=60,
                cwd=medium if start_in == "medium" else elsewhere)
            out.seek(0)
            stdout = out.read()
        events = linux_e2e.wait_for_starts(log, ["installed"])
        problems = []
        boxes = linux_e2e.parse_boxes(stdout)
        if boxes != [QUESTION]:
            problems.append(scenarios.diff("boxes", [QUESTION], boxes))
        want = [f"installed by bash {medium}/demo/setup.sh (medium named: no)"]
        if events != want:
            problems.append(scenarios.diff("starts", want, events))
        if result.returncode != 0:
            problems.append(f"exit code {result.returncode}, expected 0")
        if list(runtime.iterdir()):
            problems.append("the private copy was left behind: "
                            + ", ".join(p.name for p in runtime.iterdir()))
        if problems and result.stderr:
            problems.append("stderr: " + result.stderr.strip())
        return problems, None
    finally:
        if place == "noexec":
            subprocess.run(["umount", str(medium)], check=False)


def another_processor(source, base):
    """A launcher for another processor: the user is told, nothing runs."""
    base.mkdir()
    medium = base / "medium"
    lay_out(source, medium)
    with open(medium / "autorun", "r+b") as launcher:
        launcher.seek(18)  # the ELF header's machine: aarch64, else x86-64
        launcher.write((62 if platform.machine() == "aarch64" else 183)
                       .to_bytes(2, "little"))
    env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(base)}
    result = subprocess.run(["/bin/sh", "autorun.sh"], cwd=medium, env=env,
                            capture_output=True, text=True, timeout=60)
    problems = []
    if result.returncode != 1 or result.stdout:
        problems.append(f"exit code {result.returncode}, expected 1, and "
                        f"output {result.stdout!r}")
    if "is made for" not in result.stderr:
        problems.append("the user was not told: " + result.stderr)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--build", type=Path,
                        help="build tree whose medium component is installed")
    source.add_argument("--medium", type=Path, help="an installed medium")
    parser.add_argument("--label", default="linux-medium")
    args = parser.parse_args()
    tally = scenarios.Tally(args.label)
    with tempfile.TemporaryDirectory(prefix="pellomar-medium-") as work:
        work = Path(work)
        medium = (args.medium.resolve() if args.medium
                  else install_medium(args.build.resolve(), work / "install"))
        for number, way in enumerate(WAYS):
            if way[1] == "noexec" and os.geteuid() != 0:
                tally.skip(way[0], "mounting needs root")
                continue
            problems, skipped = run(way, medium, work / str(number))
            if skipped:
                tally.skip(way[0], skipped)
            else:
                tally.record(way[0], problems)
        tally.record("a launcher for another processor",
                     another_processor(medium, work / "other"))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
