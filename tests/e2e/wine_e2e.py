#!/usr/bin/env python3
"""Runs every scenario against the Windows launcher inside Wine.

Expects DISPLAY and WINEPREFIX to name a running X server and a ready prefix,
and PELLOMAR_WINE the Wine command (scripts/lib/desktop.sh makes all three).
The test driver, the start recorder and the window owner come from a build
tree's tests/wine folder, normally the launcher's own. Where this machine's
Wine runs no 32-bit programs, a 32-bit launcher or driver is not run: every
scenario is counted as skipped, with the reason.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

import scenarios
from scenarios import suite

# The programs of the tests/wine folder that the runs start.
HELPERS = ("driver.exe", "recorder.exe", "window.exe")


# The Western code page under which the scenarios are written: names and
# messages outside it must still work (the launcher's wide functions).
CODE_PAGE = 1252
# The Unix locale from which Wine takes another system code page.
LOCALES = {932: "ja_JP.UTF-8", 936: "zh_CN.UTF-8", 1251: "ru_RU.UTF-8"}

# What a run says when the driver wrote no log at all: Wine did not start it.
WINE_LEFT_NO_LOG = "Wine left no log at all (it did not start the driver)"


def system_folder(launcher):
    """The folder that a launcher of this build finds as the system folder,
    in the prefix: SysWOW64 for a 32-bit one in a 64-bit prefix."""
    data = Path(launcher).read_bytes()
    header = int.from_bytes(data[0x3C:0x40], "little")
    machine = int.from_bytes(data[header + 4:header + 6], "little")
    windows = Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows"
    name = ("syswow64" if machine == 0x14C and (windows / "syswow64").is_dir()
            else "system32")
    return windows / name


def run(label, scenario, launcher, programs, work):
    base = work / scenario.name
    dirs = scenarios.make_folders(scenario, base)
    dirs["windows"] = Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows"
    dirs["system"] = system_folder(launcher)
    places = {key: scenarios.windows_path(d) for key, d in dirs.items()}
    places["windows"] = "C:\\windows"
    places["system"] = "C:\\windows\\" + dirs["system"].name
    # Windows' own programs that stand-ins replace for the run: put back
    # afterwards, and loaded from the stand-in's file, not Wine's own.
    replaced = {dirs["system"] / name: (dirs["system"] / name).read_bytes()
                for place, name in scenario.programs
                if place == "system" and (dirs["system"] / name).exists()}
    overrides = [name for place, name in scenario.programs if place == "system"]
    exe = dirs["folder"] / "pellomar.exe"
    shutil.copyfile(launcher, exe)
    written = scenarios.lay_out(scenario, dirs, places,
                                programs / "recorder.exe")
    watched = [dirs["folder"], dirs["installed"]] + [
        p for p in written
        if dirs["windows"] in p.parents or p.parent == dirs["above"]]
    before = scenarios.snapshot(watched)

    log = base / "boxes.log"
    starts_log = base / "starts.log"
    command = suite.wine(programs / "driver.exe")
    # Every run names its language, so that no run depends on an earlier one
    # having put WIN.INI's back.
    command += ["--language", scenario.language or "ENU"]
    if scenario.window:
        command += ["--window", scenario.window]
    if scenario.current:
        command += ["--cwd", places[scenario.current]]
    command += [scenarios.windows_path(log), scenarios.windows_path(exe)]
    command += scenario.answers
    env = dict(os.environ,
               PELLOMAR_START_LOG=scenarios.windows_path(starts_log))
    env.update(scenario.variables)
    if overrides:
        env["WINEDLLOVERRIDES"] = ";".join(
            [os.environ.get("WINEDLLOVERRIDES", "")]
            + [f"{name}=n" for name in overrides])
    if scenario.sleep:
        env["PELLOMAR_START_SLEEP"] = str(scenario.sleep)
    if scenario.codepage:
        env["LC_ALL"] = LOCALES[scenario.codepage]

    def read_log():
        return (log.read_text(encoding="utf-8", errors="replace").splitlines()
                if log.exists() else [])

    # Wine itself, loaded, now and then fails to start a process: the driver
    # (no log at all) or the launcher (which the driver reports). Such a run
    # changed nothing and says nothing of the launcher: it is made once more.
    def left_trace():
        lines = read_log()
        return starts_log.exists() or (lines and not any(
            line.startswith("cannot start") for line in lines))

    # The driver's own line, with Windows' error code, says which start
    # Wine refused.
    def refused():
        return next((f"the launcher ({line})" for line in read_log()
                     if line.startswith("cannot start")), None)

    suite.run_wine(f"{label}: {scenario.name}", command, left_trace,
                   what=refused, env=env, cwd=programs, timeout=120,
                   stdout=subprocess.DEVNULL)

    lines = read_log()
    boxes = [line for line in lines if line.startswith("box ")]
    exits = [line for line in lines if line.startswith("exit ")]
    exit_code = int(exits[-1].split()[1]) if exits else None
    events = (starts_log.read_text(encoding="utf-8",
                                   errors="replace").splitlines()
              if starts_log.exists() else [])
    after = scenarios.snapshot(watched)
    for p in written:
        if p in replaced:
            p.write_bytes(replaced[p])
        elif dirs["windows"] in p.parents:
            p.unlink()
    if not lines:
        return [WINE_LEFT_NO_LOG]
    if "timeout" in lines:
        return ["the launcher did not end within a minute"]
    trouble = [line for line in lines if line.startswith("cannot start")]
    if trouble:
        return ["the driver " + trouble[0]]
    problems = scenarios.compare(scenario, places, boxes, events, exit_code,
                                 before, after)
    code_page = scenario.codepage or CODE_PAGE
    if f"codepage {code_page}" not in lines:
        problems.append(f"Wine's code page is not {code_page}: "
                        + ", ".join(l for l in lines if l.startswith("codepage")))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    parser.add_argument("--programs", required=True, type=Path,
                        help="folder with " + ", ".join(HELPERS))
    parser.add_argument("--label", default="wine")
    parser.add_argument("--scenarios", type=Path,
                        default=scenarios.SCENARIO_DIR,
                        help="folder of the scenarios (default: all shared)")
    parser.add_argument("only", nargs="*", help="scenario names (default: all)")
    args = parser.parse_args()

    tally = scenarios.Tally(args.label)
    why_not = suite.wine_skip_reason(
        args.launcher, *(args.programs / p for p in HELPERS))
    with tempfile.TemporaryDirectory(prefix="pellomar-wine-") as tmp:
        # A scenario written for the other platform alone is not this
        # runner's to count.
        for scenario in [s for s in scenarios.load_all(args.only, args.scenarios)
                         if s.runs_on("windows")]:
            if why_not:
                tally.skip(scenario.name, why_not)
                continue
            problems = run(args.label, scenario, args.launcher.resolve(),
                           args.programs.resolve(), Path(tmp))
            tally.record(scenario.name, problems)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
