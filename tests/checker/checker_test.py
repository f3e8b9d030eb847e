#!/usr/bin/env python3
"""Tests of pellomar-check.

- For every end-to-end scenario and both targets, the boxes and starts that
  the checker predicts are those the launchers showed and made (the
  scenario's expectations, which both launchers are held to).
- Folders on which the checker and the Linux launcher once disagreed: the
  checker's prediction (--target linux) is compared with what the Linux
  launcher really does on the same folder.
- Files of every size finish quickly in bounded memory.
- One small fixture folder per kind of warning, each warning named with its
  file (and line, where there is one).
- The options, the report's form, and the sample folder examples/.
"""
import argparse
import os
import pwd
import resource
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "e2e"))
import linux_e2e  # noqa: E402
import scenarios  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
tally = scenarios.Tally("checker")
report = tally.record
STYLES = {"question": "0x24", "notice": "0x40"}
# The address space a checker run may take: far less than any of the large
# files below.
MEMORY_BOUND = 64 << 20
TIME_BOUND_SECONDS = 1.0


def run_checker(checker, folder, args=(), env=None):
    return subprocess.run([str(checker), *args, str(folder)], env=env,
                          capture_output=True, text=True, encoding="utf-8",
                          errors="replace", timeout=120)


def predicted(stdout):
    """The run's boxes and starts, in the scenarios' own words."""
    lines = []
    for line in stdout.splitlines():
        if line.startswith("  box "):
            style, _, rest = line[6:].partition(" ")
            lines.append(f"box {STYLES.get(style, style)} {rest}")
        elif line.startswith("  start "):
            lines.append(line[2:])
    return lines


def scenario_agreement(checker, work):
    for scenario in scenarios.load_all():
        for target in ("windows", "linux"):
            if not scenario.runs_on(target):
                continue  # what one platform alone does
            base = work / "scenario" / target / scenario.name
            dirs = scenarios.make_folders(scenario, base)
            dirs["windows"] = base / "windows"
            dirs["windows"].mkdir()
            places = {k: scenarios.windows_path(d) for k, d in dirs.items()}
            recorder = base / "recorder"
            recorder.write_text("#!/bin/sh\n")
            scenarios.lay_out(scenario, dirs, places, recorder)
            args = ["--target", target, "--lang", scenario.language or "ENU"]
            if scenario.window:
                args.append("--running")
            for answer in scenario.answers or ["no"]:
                args += ["--answer", answer]
            env = dict(os.environ, XDG_CONFIG_HOME=str(dirs["windows"]))
            result = run_checker(checker, dirs["folder"], args, env)
            # Boxes and starts, in order; starts only where the scenario
            # compares them (it may compare only where programs ran).
            events = scenarios.expected_lines(scenario, places)[1]
            kinds = ("box ", "start ") if scenarios.relevant(
                ["start"], events) else ("box ",)
            want = [scenarios.substitute(line, places)
                    for line in scenario.expected
                    if line.startswith(kinds)]
            problems = []
            if not (dirs["folder"] / "pellomar.ini").exists():
                # No launcher folder: there is nothing to check.
                if result.returncode != 2:
                    problems.append(f"exit {result.returncode}, expected 2")
                report(f"refuses scenario {scenario.name} ({target})", problems)
                continue
            got = [line for line in predicted(result.stdout)
                   if line.startswith(kinds)]
            if got != want:
                problems.append(scenarios.diff("predicted run", want, got))
            if result.returncode == 2:
                problems.append("the checker could not check: " + result.stderr)
            report(f"predicts scenario {scenario.name} ({target})", problems)


SETTINGS = ("[Auto]\r\nAppName=My App\r\nVersion=3\r\nSetupName=setup.sh\r\n"
            "SetupOnly=0\r\nVerbose=0\r\n")
MESSAGES = (ROOT / "tests" / "scenarios" / "messages.dat").read_text()
RECORDER = linux_e2e.RECORDER


def home_config():
    return Path(pwd.getpwuid(os.getuid()).pw_dir) / ".config"


# name, folder name, files {name: text, or (mode, text) for a program},
# answers, environment changes (None: unset), files in the password entry's
# ~/.config. "{folder}" and "{installed}" stand for the Windows paths.
DRIFTS = [
    ("a drive without a folder (Z:setup.sh)", "folder",
     {"pellomar.ini": SETTINGS.replace("setup.sh", "Z:setup.sh"),
      "pellomar.dat": MESSAGES, "setup.sh": (0o755, RECORDER)},
     ["yes"], {}, {}),
    ("HOME unset: IniFile from the password entry's ~/.config", "folder",
     {"pellomar.ini": SETTINGS + "IniFile=pellomar-check-test-{pid}.ini\r\n",
      "pellomar.dat": MESSAGES, "setup.sh": (0o755, RECORDER)},
     ["yes"], {"HOME": None, "XDG_CONFIG_HOME": None},
     {"pellomar-check-test-{pid}.ini":
      "[Auto]\r\nVersion=3\r\nCommand={installed}\\app.sh /x\r\n"}),
    ("a blank in the launcher's folder", "My Disc",
     {"pellomar.ini": SETTINGS, "pellomar.dat": MESSAGES,
      "setup.sh": (0o755, RECORDER)},
     ["yes"], {}, {}),
    ("a setup without execute permission", "folder",
     {"pellomar.ini": SETTINGS.replace("setup.sh", "setup"),
      "pellomar.dat": MESSAGES, "setup": (0o644, RECORDER)},
     ["yes"], {}, {}),
    ("a .sh setup without execute permission", "folder",
     {"pellomar.ini": SETTINGS, "pellomar.dat": MESSAGES,
      "setup.sh": (0o644, RECORDER)},
     ["yes"], {}, {}),
    ("upper-case PELLOMAR.INI and PELLOMAR.DAT", "folder",
     {"PELLOMAR.INI": SETTINGS, "PELLOMAR.DAT": MESSAGES,
      "setup.sh": (0o755, RECORDER)},
     ["yes"], {}, {}),
    ("a Command wholly in quotes, its path with a blank", "folder",
     {"pellomar.ini": SETTINGS.replace("Version=3", "Version=1")
      + "IniFile={installed}\\app.ini\r\n",
      "pellomar.dat": MESSAGES, "setup.sh": (0o755, RECORDER)},
     ["yes", "no"], {}, {}),
    ("settings for Linux in [Auto.Linux]", "folder",
     {"pellomar.ini": SETTINGS.replace("setup.sh", "setup.exe")
      + "[Auto.Linux]\r\nSetupName=setup.sh\r\n",
      "pellomar.dat": MESSAGES, "setup.sh": (0o755, RECORDER)},
     ["yes"], {}, {}),
]
INSTALLED_FILES = {"app.ini": "[Auto]\r\nVersion=1\r\n"
                              "Command=\"{installed}\\my app\\app.sh\"\r\n",
                   "app.sh": (0o755, RECORDER),
                   "my app/app.sh": (0o755, RECORDER)}


def write_files(folder, files, places):
    written = []
    for name, content in files.items():
        mode = None
        if isinstance(content, tuple):
            mode, content = content
        target = folder / name.format(pid=os.getpid())
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(scenarios.substitute(content, places).encode())
        if mode is not None:
            os.chmod(target, mode)
        written.append(target)
    return written


def launcher_run(launcher, folder, env, answers, log):
    """Boxes and starts of a real run of the Linux launcher in `folder`."""
    exe = folder / "autorun"
    shutil.copyfile(launcher, exe)
    os.chmod(exe, 0o755)
    try:
        result = subprocess.run(
            [str(exe)], input="".join(a[0] + "\n" for a in answers), env=env,
            cwd=folder, capture_output=True, text=True, errors="replace",
            timeout=60)
    finally:
        exe.unlink()
    starts = [line for line in linux_e2e.wait_for_starts(log, 0)
              if line.startswith("start ")]
    return linux_e2e.parse_boxes(result.stdout), starts


def drifts(checker, launcher, work):
    for number, (name, folder_name, files, answers, changes,
                 home_files) in enumerate(DRIFTS):
        if "Z:setup.sh" in files.get("pellomar.ini", "") and \
                Path("/setup.sh").exists():
            tally.skip(name, "/setup.sh exists on this machine")
            continue
        base = work / "drift" / str(number)
        folder, installed = base / folder_name, base / "installed"
        folder.mkdir(parents=True)
        installed.mkdir()
        places = {"folder": scenarios.windows_path(folder),
                  "installed": scenarios.windows_path(installed)}
        write_files(folder, files, places)
        write_files(installed, INSTALLED_FILES, places)
        log = base / "starts.log"
        env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(base),
               "XDG_CONFIG_HOME": str(base / "config"),
               "PELLOMAR_START_LOG": str(log)}
        for key, value in changes.items():
            env.pop(key) if value is None else env.__setitem__(key, value)
        planted = []
        try:
            if home_files:
                home_config().mkdir(parents=True, exist_ok=True)
                planted = write_files(home_config(), home_files, places)
            args = ["--target=linux"]
            for answer in answers:
                args.append("--answer=" + answer)
            checked = run_checker(checker, folder, args, env)
            boxes, starts = launcher_run(launcher, folder, env, answers, log)
        finally:
            for path in planted:
                path.unlink()
        want = boxes + [linux_e2e.normalise_start(s) for s in starts]
        got = predicted(checked.stdout)
        got = [line for line in got if line.startswith("box ")] + [
            linux_e2e.normalise_start(line) for line in got
            if line.startswith("start ")]
        problems = []
        if not boxes:
            problems.append("the launcher showed no box")
        if got != want:
            problems.append(scenarios.diff("prediction against the launcher",
                                           want, got))
        if checked.returncode == 2:
            problems.append("the checker could not check: " + checked.stderr)
        report(f"agrees with the Linux launcher: {name}", problems)


def measured_run(command):
    """Exit status and seconds of processor time of a run whose address
    space may not grow beyond MEMORY_BOUND (an allocation beyond it fails)."""
    def bound():
        resource.setrlimit(resource.RLIMIT_AS, (MEMORY_BOUND, MEMORY_BOUND))
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, preexec_fn=bound)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return process.returncode, usage.ru_utime + usage.ru_stime


def scale(checker, work):
    def many_sections(folder):
        (folder / "pellomar.ini").write_text(SETTINGS)
        with open(folder / "pellomar.dat", "w") as out:
            for i in range(20000):
                out.write(f"[Language{i}]\r\nKey{i}=some text\r\n")

    def blank_lines(folder):
        (folder / "pellomar.ini").write_bytes(b"\r\n" * (25 << 20))

    def sparse(folder):
        with open(folder / "pellomar.ini", "wb") as out:
            out.truncate(20 << 30)

    for name, make in (("20,000 sections and keys", many_sections),
                       ("50 MB of blank lines", blank_lines),
                       ("a sparse settings file of 20 GiB", sparse)):
        folder = work / "scale" / name.split()[0]
        folder.mkdir(parents=True)
        make(folder)
        for args in ([], ["--target=linux", "--lang=all"]):
            status, seconds = measured_run([str(checker), *args, str(folder)])
            problems = []
            if status not in (0, 1):
                problems.append(f"exit status {status} within "
                                f"{MEMORY_BOUND >> 20} MiB of address space")
            if seconds > TIME_BOUND_SECONDS:
                problems.append(f"took {seconds:.2f} s of processor time")
            report(f"quick and small: {name} {' '.join(args)}".strip(),
                   problems)
        shutil.rmtree(folder)


GOOD_SETTINGS = ("[Auto]\r\nAppName=A\r\nVersion=1\r\nSetupName=setup.exe\r\n"
                 "SetupOnly=0\r\nVerbose=0\r\n")
GOOD_MESSAGES = ("[ENU]\r\nAskRunSetup=Install %s?\r\nAskRunExe=Start %s?\r\n"
                 "ExeErr=%s failed. Install?\r\nSetupErr=No setup.\r\n")

# name, files of the folder (None: left out), expected warning (its start)
WARNINGS = [
    ("unknown settings key", {"pellomar.ini": GOOD_SETTINGS + "Vebrose=1\r\n"},
     'pellomar.ini:7: warning: unknown key "Vebrose" (did you mean Verbose?)'),
    ("installed application's key in the settings file",
     {"pellomar.ini": GOOD_SETTINGS + "Command=x\r\n"},
     'pellomar.ini:7: warning: unknown key "Command"'),
    ("unknown message key", {"pellomar.dat": GOOD_MESSAGES + "AskRunSetpu=x\r\n"},
     'pellomar.dat:6: warning: unknown key "AskRunSetpu" in [ENU] (did you mean AskRunSetup?)'),
    ("Verbose missing", {"pellomar.ini": GOOD_SETTINGS.replace("Verbose=0\r\n", "")},
     "pellomar.ini:1: warning: Verbose is missing, so it counts as on"),
    ("SetupOnly empty",
     {"pellomar.ini": GOOD_SETTINGS.replace("SetupOnly=0", "SetupOnly=")},
     "pellomar.ini:1: warning: SetupOnly is missing, so it counts as on"),
    ("message section lacking a key",
     {"pellomar.dat": GOOD_MESSAGES.replace("ExeErr=%s failed. Install?\r\n", "")},
     "pellomar.dat:1: warning: section [ENU] has no ExeErr"),
    ("language section in the settings file",
     {"pellomar.ini": GOOD_SETTINGS + "[DEU]\r\nAskRunSetup=x\r\n"},
     "pellomar.ini:7: warning: section [DEU] is never read"),
    ("a second [Auto]",
     {"pellomar.ini": GOOD_SETTINGS + "[auto]\r\nAppName=B\r\n"},
     "pellomar.ini:7: warning: section [auto] again"),
    ("a second language section",
     {"pellomar.dat": GOOD_MESSAGES + "[enu]\r\nAskRunSetup=x\r\n"},
     "pellomar.dat:6: warning: section [enu] again"),
    ("a key before any section", {"pellomar.ini": "AppName=A\r\n" + GOOD_SETTINGS},
     'pellomar.ini:1: warning: "AppName" stands before any section header'),
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
     "pellomar.ini:2: warning: AppName is longer than 254 bytes and is cut"),
    ("100 Japanese characters: 300 bytes in UTF-8",
     {"pellomar.dat": b"\xff\xfe" + GOOD_MESSAGES.replace(
         "Install %s?", "\u65e5" * 100).encode("utf-16-le")},
     "pellomar.dat:2: warning: AskRunSetup is longer than 254 bytes and is cut"
     " (at 3 bytes a character in UTF-8, 84 characters of that script fit)"),
    ("200 umlauts of code page 1252: 400 bytes in UTF-8",
     {"pellomar.ini": GOOD_SETTINGS.replace(
         "AppName=A", "AppName=" + "\u00e4" * 200).encode("cp1252")},
     "pellomar.ini:2: warning: AppName is longer than 254 bytes once read"
     " into UTF-8 and is cut (at 2 bytes a character in UTF-8, 127"
     " characters of that script fit)"),
    ("254 characters counted after the quotes are removed",
     {"pellomar.ini": GOOD_SETTINGS.replace(
         "AppName=A", 'AppName="' + "a" * 254 + '"')},
     None),
    # Every launcher reads its files with the same reader, which honours
    # both marks: nothing to warn about.
    ("UTF-8 byte-order mark", {"pellomar.ini": "\ufeff" + GOOD_SETTINGS},
     None),
    ("UTF-16 big-endian",
     {"pellomar.dat": "\ufeff".encode("utf-16-be") + GOOD_MESSAGES.encode("utf-16-be")},
     None),
    ("UTF-16 without byte-order mark",
     {"pellomar.dat": GOOD_MESSAGES.encode("utf-16-le")},
     "pellomar.dat: warning: looks like UTF-16 without a byte-order mark"),
    ("UTF-16 lines counted as lines",
     {"pellomar.dat": b"\xff\xfe" + (GOOD_MESSAGES + "AskRunSetpu=x\r\n").encode("utf-16-le")},
     'pellomar.dat:6: warning: unknown key "AskRunSetpu"'),
    ("SetupName missing beside the launcher",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "gone.exe")},
     'pellomar.ini: warning: SetupName "gone.exe" names no file'),
    ("Command with blanks and no quotes",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\app.ini\r\n",
      "app.ini": "[Auto]\r\nVersion=1\r\nCommand={folder}\\Sample App\\app.exe /x\r\n"},
     "has blanks in its program path and no quotes"),
    ("Command wholly in quotes loses them",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\app.ini\r\n",
      "app.ini": "[Auto]\r\nVersion=1\r\nCommand=\"{folder}\\Sample App\\app.exe\"\r\n"},
     "has blanks in its program path and no quotes"),
    ("IniFile that cannot be read",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\sub\r\n", "sub/": ""},
     'pellomar.ini: warning: IniFile "Z:'),
    ("Version that is not a whole number",
     {"pellomar.ini": GOOD_SETTINGS.replace("Version=1", "Version=3.1")},
     'pellomar.ini:3: warning: Version "3.1" is not a plain whole number: '
     "the launcher reads it as 3"),
    ("Version with a letter first",
     {"pellomar.ini": GOOD_SETTINGS.replace("Version=1", "Version=v3")},
     "the launcher reads it as 0"),
    ("an inline comment in a value",
     {"pellomar.ini": GOOD_SETTINGS.replace("AppName=A", "AppName=A ; the name")},
     'pellomar.ini:2: warning: AppName "A ; the name" holds " ;"'),
    ("SetupName from the current folder",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", ".\\setup.exe")},
     'pellomar.ini:4: warning: SetupName ".\\setup.exe" is taken from the '
     "current folder"),
    ("SetupName on a drive without a folder",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "Z:setup.exe")},
     'pellomar.ini:4: warning: SetupName "Z:setup.exe" names a drive but no '
     "folder"),
    ("no message file", {"pellomar.dat": None},
     "pellomar.dat: warning: is missing"),
]


def lay_fixture(folder, files):
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


def warning_fixtures(checker, work):
    for number, (name, files, expected) in enumerate(WARNINGS):
        folder = work / "warnings" / f"{number:02d}"
        folder.mkdir(parents=True)
        lay_fixture(folder, files)
        args = ["--quiet"] + (["--lang", "FRA"] if "[FRA]" in (expected or "") else [])
        result = run_checker(checker, folder, args)
        lines = result.stdout.splitlines()
        problems = []
        if expected is None:
            if result.returncode != 0 or lines:
                problems.append(f"exit {result.returncode}, expected a clean "
                                "folder:\n  " + "\n  ".join(lines))
        elif result.returncode != 1:
            problems.append(f"exit status {result.returncode}, expected 1")
        elif not any(expected in line for line in lines):
            problems.append(f"expected a warning with: {expected}\n got:\n  "
                            + "\n  ".join(lines))
        report(f"warns: {name}", problems)


def linux_settings(checker, work):
    """[Auto.Linux] is read first with --target linux, and never on Windows."""
    folder = work / "linux-settings"
    folder.mkdir()
    lay_fixture(folder, {"pellomar.ini": GOOD_SETTINGS.replace("Verbose=0\r\n", "")
                         + "[Auto.Linux]\r\nVerbose=0\r\nSetupName=setup.sh\r\n"
                         "AppName=Linux A\r\n",
                         "setup.sh": "#!/bin/sh\n"})
    os.chmod(folder / "setup.sh", 0o755)
    linux = run_checker(checker, folder, ["--target=linux"])
    windows = run_checker(checker, folder, ["--target=windows", "-q"])
    problems = []
    if linux.returncode != 0 or "[Linux A] Install Linux A?" not in linux.stdout \
            or f"start {scenarios.windows_path(folder)}\\setup.sh" not in linux.stdout:
        problems.append("linux:\n" + linux.stdout)
    if "Verbose is missing" not in windows.stdout or "Auto.Linux" in windows.stdout:
        problems.append("windows:\n" + windows.stdout)
    report("[Auto.Linux] serves Linux only", problems)


def options_and_report(checker, work):
    folder = work / "options"
    folder.mkdir()
    lay_fixture(folder, {"pellomar.dat": GOOD_MESSAGES + GOOD_MESSAGES.replace(
        "[ENU]", "[DEU]").replace("Install", "Installieren")})
    dash = work / "-folder"
    shutil.copytree(folder, dash)

    def out(*args, at=folder):
        return run_checker(checker, at, args)

    same = [(["--lang=DEU"], ["--lang", "DEU"]), (["-l", "DEU"], ["--lang", "DEU"]),
            (["-q"], ["--quiet"]), (["--target", "linux"], ["--target=linux"]),
            (["--answer=no"], ["-a", "no"])]
    for first, second in same:
        a, b = out(*first), out(*second)
        report(f"{' '.join(first)} is {' '.join(second)}",
               [] if a.stdout == b.stdout and a.returncode == b.returncode
               else [a.stdout, b.stdout])
    both = out()
    lines = both.stdout.splitlines()
    problems = []
    if not lines or lines[0] != "target: windows (the Windows launcher, pellomar.exe)":
        problems.append("first line: " + (lines[0] if lines else "(none)"))
    if not out("--target=linux").stdout.startswith("target: linux"):
        problems.append("linux target not said first")
    if "  box question [A] Install A?" not in lines:
        problems.append("box style not in words:\n" + both.stdout)
    if "languages in pellomar.dat: ENU DEU" not in lines:
        problems.append("no list of languages:\n" + both.stdout)
    report("report: target first, styles in words, the languages", problems)

    every = out("--lang=all").stdout
    runs = [line for line in every.splitlines() if line.startswith("language: ")]
    report("--lang all runs every language",
           [] if runs == ["language: ENU", "language: DEU"]
           else [every])
    many = work / "many"
    many.mkdir()
    lay_fixture(many, {"pellomar.dat": "".join(
        f"[L{i}]\r\nAskRunSetup=Go {i}?\r\n" for i in range(105))})
    every = out("--lang=all", at=many).stdout
    runs = [line for line in every.splitlines() if line.startswith("language: ")]
    report("--lang all runs the first 100 and says so",
           [] if len(runs) == 100 and "5 more (only the first 100 are)" in every
           else [f"{len(runs)} runs:\n" + every[-400:]])

    # 8-bit text: the code page of the predicted user's language, or the one
    # named; a note says which; the Linux launcher always reads 1252.
    eight = work / "eight-bit"
    eight.mkdir()
    lay_fixture(eight, {"pellomar.dat": (GOOD_MESSAGES + GOOD_MESSAGES.replace(
        "[ENU]", "[JPN]").replace("Install", "\u5c0e\u5165")).encode("cp932")})
    cases = [
        (["--lang=JPN"], "  box question [A] \u5c0e\u5165 A?",
         "code page 932 (Japanese)"),
        (["--lang=JPN", "--target=linux"], "  box question [A] "
         + "\u5c0e\u5165".encode("cp932").decode("cp1252") + " A?",
         "code page 1252 (Western)"),
        (["--lang=ENU", "--codepage=932"], "  box question [A] Install A?",
         "code page 932 (Japanese)"),
    ]
    for args, box, page in cases:
        result = out(*args, at=eight)
        lines = result.stdout.splitlines()
        problems = [] if box in lines else ["no " + box + ":\n" + result.stdout]
        if f"pellomar.dat: note: is 8-bit text, not UTF-8: read in {page}" \
                not in result.stdout:
            problems.append("no note naming " + page + ":\n" + result.stdout)
        report(f"8-bit text read in its code page: {' '.join(args)}", problems)
    result = out("--codepage=7", at=eight)
    report("refuses a code page it cannot convert",
           [] if result.returncode == 2 else [f"exit {result.returncode}"])

    result = subprocess.run([str(checker), "--quiet", "--", str(dash)],
                            capture_output=True, text=True)
    report("-- ends the options", [] if result.returncode == 0
           else [f"exit {result.returncode}: {result.stderr}"])
    for args, status, what in (
            (["--help"], 0, "usage: pellomar-check"),
            (["-h"], 0, "usage: pellomar-check"),
            (["--version"], 0, "pellomar-check 1.01")):
        result = subprocess.run([str(checker), *args], capture_output=True,
                                text=True)
        ok = result.returncode == status and result.stdout.startswith(what)
        report(f"{' '.join(args)} prints {what}",
               [] if ok else [f"exit {result.returncode}: {result.stdout}"])
    for args, what in ((["--answer", "maybe"], "takes yes or no"),
                       (["--installed-version", "x1"], "not a whole number"),
                       (["--target", "dos"], "takes windows or linux"),
                       (["--frobnicate"], "unrecognized option"),
                       (["a", "b"], "one FOLDER only"),
                       ([], "no FOLDER")):
        result = subprocess.run([str(checker), *args], capture_output=True,
                                text=True)
        ok = result.returncode == 2 and what in result.stderr
        report(f"refuses {' '.join(args) or 'no arguments'}",
               [] if ok else [f"exit {result.returncode}: {result.stderr}"])
    result = run_checker(checker, work / "no-such-folder")
    report("a missing folder cannot be checked",
           [] if result.returncode == 2 else [f"exit {result.returncode}"])
    empty = work / "no-settings"
    empty.mkdir()
    lay_fixture(empty, {"pellomar.ini": None})
    result = run_checker(checker, empty)
    report("a folder without pellomar.ini is no launcher folder",
           [] if result.returncode == 2 and "has no pellomar.ini" in result.stderr
           else [f"exit {result.returncode}: {result.stderr}"])


def samples(checker):
    for target in ("windows", "linux"):
        result = run_checker(checker, ROOT / "examples",
                             ["--quiet", "--target", target])
        report(f"examples/ is clean ({target})",
               [] if result.returncode == 0 and not result.stdout.strip()
               else [f"exit {result.returncode}: {result.stdout}"])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--checker", required=True, type=Path)
    parser.add_argument("--launcher", required=True, type=Path,
                        help="the Linux launcher, to compare predictions with")
    args = parser.parse_args()
    checker = args.checker.resolve()
    with tempfile.TemporaryDirectory(prefix="pellomar-checker-") as tmp:
        work = Path(tmp)
        scenario_agreement(checker, work)
        drifts(checker, args.launcher.resolve(), work)
        scale(checker, work)
        warning_fixtures(checker, work)
        linux_settings(checker, work)
        options_and_report(checker, work)
        samples(checker)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
