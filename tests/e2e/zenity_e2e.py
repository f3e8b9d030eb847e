#!/usr/bin/env python3
"""Runs scenarios against the Linux launcher with real zenity dialogs.

Needs DISPLAY (an X server without a window manager, such as Xvfb), zenity,
xdotool and ImageMagick's import. Each box is awaited as a window titled with
the scenario's caption, photographed into the artefacts folder, and answered
by keyboard: Return for Yes or OK, Escape for No.
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import linux_e2e
import scenarios


def windows_titled(title):
    return subprocess.run(["xdotool", "search", "--name", f"^{title}$"],
                          capture_output=True, text=True).stdout.split()


def wait_for_window(title, deadline):
    while time.monotonic() < deadline:
        found = windows_titled(title)
        if found:
            return found[0]
        time.sleep(0.05)
    return None


def answer(window, title, key, deadline):
    """Presses `key` in the box until it is gone.

    A box that has only just been mapped may not take the focus yet, so the
    key is pressed again while the box stays. X reuses window ids across
    clients, so the next box may carry this one's id: it must be gone before
    the next is looked for.
    """
    while time.monotonic() < deadline:
        subprocess.run(["xdotool", "windowfocus", "--sync", window],
                       capture_output=True)
        subprocess.run(["xdotool", "key", "--window", window, key],
                       capture_output=True)
        pressed = time.monotonic()
        while time.monotonic() - pressed < 2:
            if not windows_titled(title):
                return True
            time.sleep(0.05)
    return False


def run(scenario, launcher, work, artefacts):
    base = work / scenario.name
    dirs, places, exe = linux_e2e.lay_out_folder(scenario, launcher, base)
    starts_log = base / "starts.log"
    env = dict(os.environ, LANG="C", XDG_CONFIG_HOME=str(dirs["windows"]),
               PELLOMAR_START_LOG=str(starts_log))
    want_boxes, want_events = scenarios.expected_lines(scenario, places)

    process = subprocess.Popen([str(exe)], env=env, cwd=base,
                               stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, text=True)
    problems, answers = [], list(scenario.answers)
    deadline = time.monotonic() + 60
    for number, box in enumerate(want_boxes, 1):
        caption = box.split("[", 1)[1].split("]", 1)[0]
        window = wait_for_window(caption, deadline)
        if window is None:
            problems.append(f"box {number} ({box}) never appeared")
            break
        time.sleep(0.3)  # let it draw before the photograph
        shot = artefacts / f"zenity-{scenario.name}-{number}.png"
        subprocess.run(["import", "-window", "root", str(shot)], check=False)
        question = box.startswith("box 0x24")
        key = "Return"
        if question and (not answers or answers.pop(0) != "yes"):
            key = "Escape"
        if not answer(window, caption, key, deadline):
            problems.append(f"box {number} ({box}) did not take its answer")
            break
    try:
        code = process.wait(timeout=max(1, deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        process.kill()
        code = None
    output = process.stdout.read()
    if output.strip():
        problems.append("the console was used: " + output.strip())
    if code != 0:
        problems.append(f"exit code {code}")
    events = linux_e2e.wait_for_starts(starts_log, want_events)
    problem = scenarios.compare_events(want_events, events,
                                       linux_e2e.normalise_start)
    if problem:
        problems.append(problem)
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    parser.add_argument("--artefacts", required=True, type=Path)
    parser.add_argument("only", nargs="*")
    args = parser.parse_args()
    args.artefacts.mkdir(parents=True, exist_ok=True)
    tally = scenarios.Tally("zenity")
    with tempfile.TemporaryDirectory(prefix="pellomar-zenity-") as tmp:
        for scenario in scenarios.load_all(args.only):
            problems = run(scenario, args.launcher.resolve(), Path(tmp) / "1",
                           args.artefacts.resolve())
            if problems:
                # A desktop under load now and then fails a dialog program
                # (it cannot open the display): one more try, said aloud.
                print(f"zenity: {scenario.name}: failed once, retrying:")
                for p in problems:
                    print("  " + p.replace("\n", "\n  "))
                problems = run(scenario, args.launcher.resolve(),
                               Path(tmp) / "2", args.artefacts.resolve())
            tally.record(scenario.name, problems)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
