#!/usr/bin/env python3
"""Tests of pellomar-check.

- For every end-to-end scenario, the boxes and starts that the checker
  predicts are those the launchers showed and made (the scenario's
  expectations, which both launchers are held to).
- One small fixture folder per kind of warning, each warning named with its
  file (and line, where there is one).
- The sample folder examples/ is clean; bad invocations fail clearly.
"""
import argparse
import os
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import scenarios  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
tally = scenarios.Tally("checker")
report = tally.record


def run_checker(checker, folder, args=(), env=None):
    return subprocess.run([str(checker), *args, str(folder)], env=env,
                          capture_output=True, text=True, encoding="utf-8",
                          errors="replace", timeout=60)


def scenario_agreement(checker, work):
    for scenario in scenarios.load_all():
        if scenario.only:
            continue  # what one platform alone does
        base = work / "scenario" / scenario.name
        dirs = scenarios.make_folders(scenario, base)
        dirs["windows"] = base / "windows"
        dirs["windows"].mkdir()
        places = {k: scenarios.windows_path(d) for k, d in dirs.items()}
        recorder = base / "recorder"
        recorder.write_text("#!/bin/sh\n")
        scenarios.lay_out(scenario, dirs, places, recorder)
        args = ["--lang", scenario.language or "ENU"]
        if scenario.window:
            args.append("--running")
        for answer in scenario.answers:
            args += ["--answer", answer]
        if not scenario.answers:
            args += ["--answer", "no"]
        env = dict(os.environ, XDG_CONFIG_HOME=str(dirs["windows"]))
        result = run_checker(checker, dirs["folder"], args, env)
        # Boxes and starts, in order; starts only where the scenario compares
        # them (it may compare only where programs ran).
        events = scenarios.expected_lines(scenario, places)[1]
        kinds = ("box ", "start ") if scenarios.relevant(
            ["start"], events) else ("box ",)
        got = [line[2:] for line in result.stdout.splitlines()
               if line.startswith(tuple("  " + k for k in kinds))]
        want = [line for line in substitute_all(scenario, places)
                if line.startswith(kinds)]
        problems = []
        if got != want:
            problems.append(scenarios.diff("predicted run", want, got))
        if result.returncode == 2:
            problems.append("the checker could not check: " + result.stderr)
        report(f"predicts scenario {scenario.name}", problems)


def substitute_all(scenario, places):
    return [scenarios.substitute(line, places) for line in scenario.expected]


GOOD_SETTINGS = ("[Auto]\r\nAppName=A\r\nVersion=1\r\nSetupName=setup.exe\r\n"
                 "SetupOnly=0\r\nVerbose=0\r\n")
GOOD_MESSAGES = ("[ENU]\r\nAskRunSetup=Install %s?\r\nAskRunExe=Start %s?\r\n"
                 "ExeErr=%s failed. Install?\r\nSetupErr=No setup.\r\n")

# name, files of the folder (None: left out), expected warning (its start)
WARNINGS = [
    ("unknown settings key", {"pellomar.ini": GOOD_SETTINGS + "Vebrose=1\r\n"},
     'pellomar.ini:7: warning: unknown key "Vebrose" (did you mean Verbose?)'),
    ("unknown message key", {"pellomar.dat": GOOD_MESSAGES + "AskRunSetpu=x\r\n"},
     'pellomar.dat:6: warning: unknown key "AskRunSetpu" in [ENU] (did you mean AskRunSetup?)'),
    ("Verbose missing", {"pellomar.ini": GOOD_SETTINGS.replace("Verbose=0\r\n", "")},
     "pellomar.ini:1: warning: Verbose is missing, so it counts as on"),
    ("SetupOnly missing", {"pellomar.ini": GOOD_SETTINGS.replace("SetupOnly=0\r\n", "")},
     "pellomar.ini:1: warning: SetupOnly is missing, so it counts as on"),
    ("message section lacking a key",
     {"pellomar.dat": GOOD_MESSAGES.replace("ExeErr=%s failed. Install?\r\n", "")},
     "pellomar.dat:1: warning: section [ENU] has no ExeErr"),
    ("language section in the settings file",
     {"pellomar.ini": GOOD_SETTINGS + "[DEU]\r\nAskRunSetup=x\r\n"},
     "pellomar.ini:7: warning: section [DEU] is never read"),
    ("no section for the language", {}, "pellomar.dat: warning: has no section [FRA]"),
    ("conversion other than %s",
     {"pellomar.dat": GOOD_MESSAGES.replace("Install %s?", "Install %d?")},
     'pellomar.dat:2: warning: AskRunSetup holds the conversion "%d"'),
    ("two %s", {"pellomar.dat": GOOD_MESSAGES.replace("Start %s?", "Start %s %s?")},
     "pellomar.dat:3: warning: AskRunExe holds more than one %s"),
    ("SetupErr holding %s",
     {"pellomar.dat": GOOD_MESSAGES.replace("No setup.", "No %s setup.")},
     "pellomar.dat:5: warning: SetupErr is shown exactly as written"),
    ("value longer than 254 characters",
     {"pellomar.ini": GOOD_SETTINGS.replace("AppName=A", "AppName=" + "a" * 300)},
     "pellomar.ini:2: warning: AppName is longer than 254 characters"),
    ("UTF-8 byte-order mark", {"pellomar.ini": "\ufeff" + GOOD_SETTINGS},
     "pellomar.ini:1: warning: starts with a UTF-8 byte-order mark"),
    ("UTF-16 without byte-order mark",
     {"pellomar.dat": GOOD_MESSAGES.encode("utf-16-le")},
     "pellomar.dat: warning: looks like UTF-16 without a byte-order mark"),
    ("SetupName missing beside the launcher",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "gone.exe")},
     'pellomar.ini: warning: SetupName "gone.exe" names no file'),
    ("Command with blanks and no quotes",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\app.ini\r\n",
      "app.ini": "[Auto]\r\nVersion=1\r\nCommand={folder}\\Sample App\\app.exe /x\r\n"},
     "has blanks in its program path and no quotes"),
    ("IniFile that cannot be read",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\sub\r\n", "sub/": ""},
     'pellomar.ini: warning: IniFile "Z:'),
    ("no settings file", {"pellomar.ini": None},
     "pellomar.ini: warning: is missing"),
]


def warning_fixtures(checker, work):
    for number, (name, files, expected) in enumerate(WARNINGS):
        folder = work / "warnings" / f"{number:02d}"
        folder.mkdir(parents=True)
        contents = {"pellomar.ini": GOOD_SETTINGS, "pellomar.dat": GOOD_MESSAGES,
                    "setup.exe": "placeholder"}
        contents.update(files)
        for file, content in contents.items():
            if content is None:
                continue
            if file.endswith("/"):
                (folder / file).mkdir()
                continue
            if isinstance(content, str):
                content = content.replace("{folder}", scenarios.windows_path(folder))
                content = content.encode("utf-8")
            (folder / file).write_bytes(content)
        args = ["--quiet"] + (["--lang", "FRA"] if "FRA" in expected else [])
        result = run_checker(checker, folder, args)
        lines = result.stdout.splitlines()
        problems = []
        if result.returncode != 1:
            problems.append(f"exit status {result.returncode}, expected 1")
        if not any(expected in line for line in lines):
            problems.append(f"expected a warning with: {expected}\n got:\n  "
                            + "\n  ".join(lines))
        report(f"warns: {name}", problems)


def clean_sample_and_errors(checker, work):
    result = run_checker(checker, ROOT / "examples", ["--quiet"])
    report("examples/ is clean",
           [] if result.returncode == 0 and not result.stdout.strip()
           else [f"exit {result.returncode}: {result.stdout}"])
    for args, what in ((["--answer", "maybe"], "takes yes or no"),
                       (["--installed-version", "x1"], "not a whole number"),
                       (["--frobnicate"], "unexpected argument"),
                       ([], "no FOLDER")):
        result = subprocess.run([str(checker), *args], capture_output=True,
                                text=True)
        ok = result.returncode == 2 and what in result.stderr
        report(f"refuses {' '.join(args) or 'no arguments'}",
               [] if ok else [f"exit {result.returncode}: {result.stderr}"])
    result = run_checker(checker, work / "no-such-folder")
    report("a missing folder cannot be checked",
           [] if result.returncode == 2 else [f"exit {result.returncode}"])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--checker", required=True, type=Path)
    args = parser.parse_args()
    checker = args.checker.resolve()
    with tempfile.TemporaryDirectory(prefix="pellomar-checker-") as tmp:
        work = Path(tmp)
        scenario_agreement(checker, work)
        warning_fixtures(checker, work)
        clean_sample_and_errors(checker, work)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
