#!/usr/bin/env python3
"""What the Linux launcher starts, and how, on real folders.

Each case lays out a launcher folder (its name may hold a blank), with a
stand-in program beside it and, in the folder above, a "planted" program
named after the first word of the folder's name, which must never start. The
launcher runs on the console with one extra descriptor open (as a careless
caller might leave it); each stand-in records its arguments, its current
folder and which descriptors above 2 it has.
"""
import argparse
import os
import subprocess
import sys
import tempfile
from pathlib import Path

import linux_e2e
import scenarios

RECORDER = """#!/bin/sh
# Stand-in program: records how it was started.
fds=; for n in 3 4 5 6 7 8 9; do [ -e /proc/self/fd/$n ] && fds="$fds $n"; done
{ printf 'start %s' "$0"; for a in "$@"; do printf ' %s' "$a"; done
  printf ' | in %s | fds:%s\\n' "$(pwd)" "$fds"; } >> "$PELLOMAR_START_LOG"
"""
# Fails at its second line unless bash runs it.
BASH_RECORDER = RECORDER.replace("#!/bin/sh\n",
                                 "#!/usr/bin/env bash\nparts=(needs bash)\n")
MESSAGES = ("[ENU]\nAskRunSetup=Install %s now?\n"
            "SetupErr=Setup could not be started.\n")
SETUP_ERR = "box 0x40 [A] Setup could not be started."


def settings(setup_name, verbose=0):
    return (f"[Auto]\nAppName=A\nVersion=3\nVerbose={verbose}\n"
            f"SetupName={setup_name}\n")


# name, launcher folder, SetupName, programs {name: (body, mode)} beside the
# launcher, extra boxes after the question, expected start (relative to the
# launcher folder, with the arguments) or None.
RECORD = (RECORDER, 0o755)
CASES = [
    ("setup beside a launcher in a folder with a blank", "My Disc",
     "setup.sh", {"setup.sh": RECORD}, [], "setup.sh"),
    ("arguments after the setup's name", "My Disc", "setup.sh /S /D=x",
     {"setup.sh": RECORD}, [], "setup.sh /S /D=x"),
    ("quoted setup name with a blank", "My Disc", '"My Setup.sh" /S',
     {"My Setup.sh": RECORD}, [], "My Setup.sh /S"),
    ("the longest name that exists wins", "disc", "My Setup.sh /S",
     {"My Setup.sh": RECORD, "My": RECORD}, [], "My Setup.sh /S"),
    ("upper-case name on the medium, no execute bit", "My Disc", "setup.sh",
     {"SETUP.SH": (RECORDER.replace("#!/bin/sh\n", ""), 0o644)}, [],
     "SETUP.SH"),
    ("an executable file without #! is not run", "My Disc", "setup.bat",
     {"setup.bat": (RECORDER.replace("#!/bin/sh\n", ""), 0o755)},
     [SETUP_ERR], None),
    ("a script with Windows line endings is refused", "disc", "setup.sh",
     {"setup.sh": (RECORDER.replace("\n", "\r\n"), 0o755)}, [SETUP_ERR],
     None),
    ("a script naming a missing interpreter", "disc", "setup",
     {"setup": (RECORDER.replace("#!/bin/sh", "#!/nonexistent/bash"),
                0o644)}, [SETUP_ERR], None),
    ("#!/usr/bin/env bash without the execute bit runs by bash", "My Disc",
     "setup /S", {"setup": (BASH_RECORDER, 0o644)}, [], "setup /S"),
    ("the notice shows the command line started", "My Disc",
     "setup.sh /S", {"setup.sh": RECORD},
     ["box 0x40 [A] Running setup <\"{folder}\\setup.sh\" /S>"],
     "setup.sh /S"),
]


def run(case, launcher, work):
    name, folder_name, setup_name, programs, boxes, started = case
    base = Path(tempfile.mkdtemp(dir=work))
    folder = base / folder_name
    folder.mkdir()
    planted = base / folder_name.split(" ")[0]
    if not planted.exists():
        planted.write_text(RECORDER.replace("start %s", "planted %s"))
        planted.chmod(0o755)
    verbose = 1 if any("Running setup" in b for b in boxes) else 0
    (folder / "pellomar.ini").write_text(settings(setup_name, verbose))
    (folder / "pellomar.dat").write_text(MESSAGES)
    for program, (body, mode) in programs.items():
        (folder / program).write_text(body)
        (folder / program).chmod(mode)
    exe = folder / "autorun"
    exe.write_bytes(Path(launcher).read_bytes())
    exe.chmod(0o755)

    log = base / "starts.log"
    env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(base),
           "XDG_CONFIG_HOME": str(base), "PELLOMAR_START_LOG": str(log)}
    answers = ("n\n" if verbose else "") + "y\n"
    extra = os.open(os.devnull, os.O_RDONLY)  # inheritable, not close-on-exec
    try:
        result = subprocess.run([str(exe)], input=answers, env=env, cwd="/",
                                capture_output=True, text=True,
                                pass_fds=(extra,), timeout=60)
    finally:
        os.close(extra)
    starts = linux_e2e.wait_for_starts(log, 1 if started else 0)

    places = {"folder": scenarios.windows_path(folder)}
    want_boxes = ["box 0x24 [A] Install A now?"] + [
        scenarios.substitute(b, places) for b in boxes]
    if verbose:
        want_boxes.insert(0, "box 0x24 [A] Dump Options?")
    want_starts = []
    if started:
        want_starts = [f"start {folder}/{started} | in {folder} | fds:"]
    problems = []
    got_boxes = linux_e2e.parse_boxes(result.stdout)
    if got_boxes != want_boxes:
        problems.append(scenarios.diff("boxes", want_boxes, got_boxes))
    if starts != want_starts:
        problems.append(scenarios.diff("starts", want_starts, starts))
    if result.returncode != 0:
        problems.append(f"exit code {result.returncode}, expected 0")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    parser.add_argument("--label", default="linux-start")
    args = parser.parse_args()
    tally = scenarios.Tally(args.label)
    with tempfile.TemporaryDirectory(prefix="pellomar-start-") as work:
        for case in CASES:
            tally.record(case[0], run(case, args.launcher.resolve(), work))
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
