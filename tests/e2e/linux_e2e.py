#!/usr/bin/env python3
"""Runs every scenario against the Linux launcher in its console mode.

Boxes are read from standard output ("[caption] text", questions ending in
" [y/N] ") and answered on standard input. When DISPLAY names an X server,
the scenarios that need a window run with it (for the already-running check
against a real window; they show no box), every other one without, so that
the console is used; without a display, scenarios that need a window are
skipped.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import no_writes
import scenarios

RECORDER = """#!/bin/sh
# Stand-in program: records that it was started, with what, as which file and
# in which folder; first sleeps for PELLOMAR_START_SLEEP seconds when set.
# One write, so that the runner's own line never lands inside the record.
[ -z "$PELLOMAR_START_SLEEP" ] || /bin/sleep "$PELLOMAR_START_SLEEP"
line="start $0"; for a in "$@"; do line="$line $a"; done
printf '%s\\nprogram %s\\ncwd %s\\n' "$line" "$0" "$(pwd -P)" \\
  >> "$PELLOMAR_START_LOG"
"""


def native_path(path):
    if path[:2].upper() == "Z:":
        path = path[2:]
    return path.replace("\\", "/")


def split_windows(line):
    """The program and its arguments, as the launcher's layer splits them."""
    line = line.strip()
    if line.startswith('"'):
        program, _, rest = line[1:].partition('"')
    else:
        program, _, rest = line.partition(" ")
    return [program] + rest.split()


def normalise_start(line):
    """'start <command line>' as the program sees itself started; the path
    of 'program' and 'cwd' lines in its native form."""
    kind, _, rest = line.partition(" ")
    if kind in ("program", "cwd"):
        return f"{kind} {native_path(rest) if rest.startswith('Z:') else rest}"
    if kind != "start":
        return line
    words = split_windows(rest)
    if words[0].startswith("Z:") or "\\" in words[0]:
        words[0] = native_path(words[0])
    return "start " + " ".join(words)


def parse_boxes(output):
    boxes = []
    for line in output.splitlines():
        if not line.startswith("["):
            continue
        question = line.endswith(" [y/N] ") or line.endswith(" [y/N]")
        if question:
            line = line[:line.rindex(" [y/N]")]
        caption, _, text = line[1:].partition("] ")
        if line.endswith("]") and not text:
            caption, text = line[1:-1], ""
        boxes.append(f"box {'0x24' if question else '0x40'} [{caption}] {text}")
    return boxes


def read_events(log):
    return (log.read_text(encoding="utf-8", errors="replace").splitlines()
            if log.exists() else [])


def wait_for_starts(log, expected, sleep=0):
    """The lines of the log once the `expected` events (or that many starts)
    are there, or after a few seconds plus those that the programs sleep."""
    if isinstance(expected, int):
        expected = ["start"] * expected
    deadline = time.monotonic() + 5 + sleep
    while time.monotonic() < deadline:
        if len(scenarios.relevant(read_events(log), expected)) >= len(expected):
            break
        time.sleep(0.02)
    time.sleep(0.2)  # room for a start that should not have happened
    return read_events(log)


def lay_out_folder(scenario, launcher, base):
    """The scenario's folders under `base`, with the launcher as `autorun`
    and the recorder script as every program; the Windows directory holds
    win.ini when the scenario names a language. Returns (dirs, places, exe).
    """
    dirs = scenarios.make_folders(scenario, base)
    dirs["windows"] = base / "windows"
    dirs["windows"].mkdir()
    places = {key: scenarios.windows_path(d) for key, d in dirs.items()}
    exe = dirs["folder"] / "autorun"
    shutil.copyfile(launcher, exe)
    os.chmod(exe, 0o755)
    recorder = base / "recorder.sh"
    recorder.write_text(RECORDER)
    scenarios.lay_out(scenario, dirs, places, recorder)
    if scenario.language:
        (dirs["windows"] / "win.ini").write_text(
            f"[intl]\nsLanguage={scenario.language}\n")
    return dirs, places, exe


def run(scenario, launcher, window_program, work, trace):
    base = work / scenario.name
    dirs, places, exe = lay_out_folder(scenario, launcher, base)
    watched = [dirs[key] for key in ("folder", "installed", "windows")]
    before = scenarios.snapshot(watched)

    starts_log = base / "starts.log"
    env = {"PATH": "/nonexistent", "LANG": "C", "HOME": str(base),
           "XDG_CONFIG_HOME": str(dirs["windows"]),
           "PELLOMAR_START_LOG": str(starts_log)}
    if scenario.sleep:
        env["PELLOMAR_START_SLEEP"] = str(scenario.sleep)
    if scenario.window and os.environ.get("DISPLAY"):
        env["DISPLAY"] = os.environ["DISPLAY"]
    owner = None
    if scenario.window:
        owner = subprocess.Popen([window_program, scenario.window],
                                 stdout=subprocess.PIPE, text=True)
        owner.stdout.readline()
    answers = "".join(("y" if a == "yes" else "n") + "\n"
                      for a in scenario.answers)
    wrapper = []
    trace_log = base / "strace.log"
    # A traced launcher would not end before the programs it started.
    trace = None if scenario.sleep else trace
    if trace:
        wrapper = [trace, "-f", "-qq", "-e", "trace=file,desc,process",
                   "-o", str(trace_log)]
    try:
        # Output goes to files, not pipes: a started program inherits them,
        # and the launcher's end must not wait for that program's.
        with open(base / "stdout", "w+", encoding="utf-8",
                  errors="replace") as out, \
                open(base / "stderr", "w+", encoding="utf-8",
                     errors="replace") as err:
            result = subprocess.run(wrapper + [str(exe)], input=answers,
                                    env=env, cwd=base, stdout=out, stderr=err,
                                    text=True, encoding="utf-8", timeout=60)
            with open(starts_log, "a", encoding="utf-8") as log:
                log.write("launcher ended\n")
            out.seek(0)
            err.seek(0)
            result.stdout, result.stderr = out.read(), err.read()
    finally:
        if owner is not None:
            owner.kill()
            owner.wait()
    expected_events = scenarios.expected_lines(scenario, places)[1]
    events = wait_for_starts(starts_log, expected_events, scenario.sleep)
    after = scenarios.snapshot(watched)
    problems = scenarios.compare(scenario, places, parse_boxes(result.stdout),
                                 events, result.returncode, before, after,
                                 normalise_start)
    if trace:
        written = no_writes.writes(trace_log.read_text(errors="replace"))
        if written:
            problems.append("the launcher wrote:\n" + "\n".join(written[:10]))
    return problems, result


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    parser.add_argument("--window-program", type=Path,
                        help="program that owns an X11 window of a class")
    parser.add_argument("--strace", action="store_true",
                        help="trace every run and fail on any write")
    parser.add_argument("--label", default="linux")
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()

    trace = shutil.which("strace") if args.strace else None
    if args.strace and not trace:
        print("strace is not installed")
        return 1
    can_window = bool(os.environ.get("DISPLAY")) and args.window_program
    tally = scenarios.Tally(args.label)
    with tempfile.TemporaryDirectory(prefix="pellomar-linux-") as tmp:
        for scenario in scenarios.load_all(args.only):
            if not scenario.runs_on("linux"):
                tally.skip(scenario.name, "Windows only")
                continue
            if scenario.window and not can_window:
                tally.skip(scenario.name, "no X display")
                continue
            problems, result = run(scenario, args.launcher.resolve(),
                                   args.window_program, Path(tmp), trace)
            if problems and result.stderr:
                problems.append("stderr: " + result.stderr.strip())
            tally.record(scenario.name, problems)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
