#!/usr/bin/env python3
"""Tests of pellomar-check.

- For every end-to-end scenario and both targets, the boxes and starts that
  the checker predicts are those the launchers showed and made (the
  scenario's expectations, which both launchers are held to).
- Folders on which the checker and the Linux launcher once disagreed: the
  checker's prediction (--target linux) is compared with what the Linux
  launcher really does on the same folder.
- Files of every size finish quickly in bounded memory.
- One table of small fixture folders and the code each must give, with the
  line as typed from the current folder (file, line, column); every text of
  the form its code's pattern says.
- Golden outputs of every format on the sample, a broken and a dual medium,
  compared exactly (--update writes them anew, after a deliberate change);
  the SARIF logs checked by the SARIF multitool (from npm, into the user's
  cache); every code of the catalogue produced by a folder above and listed
  in the manual page as the catalogue explains it.
- The options (GNU messages, --disable and its variable), the report's form,
  and the sample folder examples/.
"""
import argparse
import difflib
import json
import os
import pwd
import re
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
            dirs["system"] = base / "system"
            dirs["system"].mkdir()
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
ENU_MESSAGES = ("[ENU]\r\nAskRunSetup=Install %s?\r\nAskRunExe=Start %s?\r\n"
                "ExeErr=%s failed. Install?\r\nSetupErr=No setup.\r\n")
# English of every other region Windows has a code for (Windows' list, as
# the locale tests read it): a clean file covers all of them.
ENGLISH_CODES = sorted({line.split()[2] for line in
                        (ROOT / "tests/platform/posix/windows_language_codes.txt")
                        .read_text().splitlines()
                        if line.startswith("en-")} - {"ENU"})


def good_messages(in_enu=""):
    """A clean message file; `in_enu` ends its [ENU] section."""
    return ENU_MESSAGES + in_enu + "".join(
        ENU_MESSAGES.replace("[ENU]", f"[{code}]") for code in ENGLISH_CODES)


GOOD_MESSAGES = good_messages()
LINUX_SETTINGS = GOOD_SETTINGS + "[Auto.Linux]\r\nSetupName=setup\r\n"
ELF = b"\x7fELF" + bytes(60)
# Three folders deep: a setup whose name is longer than any other value may be.
DEEP = "/".join(["d" * 100] * 3)

# name, files of the folder (None: left out; (mode, content) for a
# program), the code and the start of the
# warning expected (None: a clean folder), and any options. Every code of
# the catalogue has a row here or a golden output below.
WARNINGS = [
    ("unknown settings key", {"pellomar.ini": GOOD_SETTINGS + "Vebrose=1\r\n"},
     "S01", 'pellomar.ini:7:1: warning: unknown key "Vebrose" (did you mean Verbose?)'),
    ("installed application's key in the settings file",
     {"pellomar.ini": GOOD_SETTINGS + "Command=x\r\n"},
     "S01", 'pellomar.ini:7:1: warning: unknown key "Command"'),
    ("a key before any section", {"pellomar.ini": "AppName=A\r\n" + GOOD_SETTINGS},
     "S02", 'pellomar.ini:1:1: warning: "AppName" stands before any section header'),
    ("language section in the settings file",
     {"pellomar.ini": GOOD_SETTINGS + "[DEU]\r\nAskRunSetup=x\r\n"},
     "S03", "pellomar.ini:7:1: warning: section [DEU] is never read"),
    ("a second [Auto]",
     {"pellomar.ini": GOOD_SETTINGS + "[auto]\r\nAppName=B\r\n"},
     "S04", "pellomar.ini:7:1: warning: section [auto] again"),
    ("a key twice in a section",
     {"pellomar.ini": GOOD_SETTINGS + "  appname = B\r\n"},
     "S05", "pellomar.ini:7:3: warning: appname again in this section"),
    ("Verbose missing", {"pellomar.ini": GOOD_SETTINGS.replace("Verbose=0\r\n", "")},
     "S06", "pellomar.ini:1:1: warning: Verbose is missing, so it counts as on"),
    ("SetupOnly empty",
     {"pellomar.ini": GOOD_SETTINGS.replace("SetupOnly=0", "SetupOnly=")},
     "S06", "pellomar.ini:1:1: warning: SetupOnly is missing, so it counts as on"),
    ("no [Auto] section", {"pellomar.ini": "; nothing yet\r\n"},
     "S07", "pellomar.ini: warning: has no [Auto] section"),
    ("Version that is not a whole number",
     {"pellomar.ini": GOOD_SETTINGS.replace("Version=1", "Version=3.1")},
     "S08", 'pellomar.ini:3:9: warning: Version "3.1" is not a plain whole number: '
     "the launcher reads it as 3"),
    ("Version with a letter first",
     {"pellomar.ini": GOOD_SETTINGS.replace("Version=1", "Version = v3")},
     "S08", 'pellomar.ini:3:11: warning: Version "v3" is not a plain whole number: '
     "the launcher reads it as 0"),
    ("an inline comment in a value",
     {"pellomar.ini": GOOD_SETTINGS.replace("AppName=A", "AppName=A ; the name")},
     "S09", 'pellomar.ini:2:9: warning: AppName "A ; the name" holds " ;"'),
    ("value longer than 254 characters",
     {"pellomar.ini": GOOD_SETTINGS.replace("AppName=A", "AppName=" + "a" * 300)},
     "S10", "pellomar.ini:2:9: warning: AppName is longer than 254 bytes and is cut"),
    ("200 umlauts of code page 1252: 400 bytes in UTF-8",
     {"pellomar.ini": GOOD_SETTINGS.replace(
         "AppName=A", "AppName=" + "\u00e4" * 200).encode("cp1252")},
     "S10", "pellomar.ini:2:9: warning: AppName is longer than 254 bytes once read"
     " into UTF-8 and is cut (at 2 bytes a character in UTF-8, 127"
     " characters of that script fit)"),
    ("an 8-bit file, read in the code page of the language",
     {"pellomar.ini": GOOD_SETTINGS.replace("AppName=A", "AppName=\u00c4")
      .encode("cp1252")},
     "D10", "pellomar.ini: note: is 8-bit text, not UTF-8: read in code page 1252"),
    ("254 characters counted after the quotes are removed",
     {"pellomar.ini": GOOD_SETTINGS.replace(
         "AppName=A", 'AppName="' + "a" * 254 + '"')},
     None, None),
    ("an 8-bit value quoted in UTF-8",
     {"pellomar.ini": GOOD_SETTINGS.replace(
         "AppName=A", "AppName=Grüße ; x").encode("cp1252")},
     "S09", 'pellomar.ini:2:9: warning: AppName "Grüße ; x" holds " ;"'),
    # Every launcher reads its files with the same reader, which honours
    # both marks: nothing to warn about.
    ("UTF-8 byte-order mark", {"pellomar.ini": "\ufeff" + GOOD_SETTINGS},
     None, None),
    ("UTF-16 big-endian",
     {"pellomar.dat": "\ufeff".encode("utf-16-be") + GOOD_MESSAGES.encode("utf-16-be")},
     None, None),
    ("SetupName from the current folder",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", ".\\setup.exe")},
     "S11", 'pellomar.ini:4:11: warning: SetupName ".\\setup.exe" is taken from the '
     "current folder"),
    ("SetupName on a drive without a folder",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "Z:setup.exe")},
     "S12", 'pellomar.ini:4:11: warning: SetupName "Z:setup.exe" names a drive but no '
     "folder"),
    ("SetupName missing beside the launcher",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "gone.exe")},
     "S13", 'pellomar.ini:4:11: warning: SetupName "gone.exe" names no file'),
    ("a setup that the Linux launcher cannot start", {},
     "S14", 'pellomar.ini:4:11: warning: SetupName "setup.exe" cannot be started',
     "--target=linux"),
    ("a settings file that cannot be read",
     {"pellomar.ini": None, "pellomar.ini/": ""},
     "S15", "pellomar.ini: warning: exists but cannot be read"),
    # Windows' own path rules, installer packages, and what it cannot start.
    ("SetupName through a missing folder",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "nosuch\\..\\setup.exe")},
     None, None),
    ("SetupName with a trailing dot",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "setup.exe.")}, None, None),
    ("SetupName naming an installer package",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "setup.msi"),
      "setup.msi": "placeholder"}, None, None),
    ("SetupName naming a file Windows cannot start",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "readme.txt"),
      "readme.txt": "placeholder"},
     "S14", 'pellomar.ini:4:11: warning: SetupName "readme.txt" cannot be started'),
    ("SetupName past MAX_PATH",
     {"pellomar.ini": GOOD_SETTINGS.replace("setup.exe", "s" * 250 + ".exe")},
     "S16", "pellomar.ini:4:11: warning: SetupName \"" + "s" * 250 + '.exe" gives a path longer than the system allows'),
    ("no message file", {"pellomar.dat": None},
     "M01", "pellomar.dat: warning: is missing"),
    ("a language covered for some regions only",
     {"pellomar.dat": ENU_MESSAGES + ENU_MESSAGES.replace("[ENU]", "[eng]")},
     "M11", "pellomar.dat: warning: covers the language en for some regions only "
     "([ENG] [ENU]): no section [ENB] en_029, [ENA] en_AU, [ENL] en_BZ, "
     "[ENC] en_CA,"),
    ("no section for the language", {},
     "M02", "pellomar.dat: warning: has no section [FRA]", "--lang=FRA"),
    ("message section lacking a key",
     {"pellomar.dat": GOOD_MESSAGES.replace("ExeErr=%s failed. Install?\r\n", "")},
     "M03", "pellomar.dat:1:1: warning: section [ENU] has no ExeErr"),
    ("unknown message key", {"pellomar.dat": good_messages("AskRunSetpu=x\r\n")},
     "M04", 'pellomar.dat:6:1: warning: unknown key "AskRunSetpu" in [ENU] (did you mean AskRunSetup?)'),
    ("UTF-16 lines counted as lines",
     {"pellomar.dat": b"\xff\xfe" + good_messages("AskRunSetpu=x\r\n").encode("utf-16-le")},
     "M04", 'pellomar.dat:6:1: warning: unknown key "AskRunSetpu"'),
    ("a second language section",
     {"pellomar.dat": good_messages("[enu]\r\nAskRunSetup=x\r\n")},
     "M05", "pellomar.dat:6:1: warning: section [enu] again"),
    ("settings section in the message file",
     {"pellomar.dat": "[Auto]\r\n" + GOOD_MESSAGES},
     "M06", "pellomar.dat:1:1: warning: section [Auto] is never read here"),
    ("100 Japanese characters: 300 bytes in UTF-8",
     {"pellomar.dat": b"\xff\xfe" + GOOD_MESSAGES.replace(
         "Install %s?", "\u65e5" * 100).encode("utf-16-le")},
     "M07", "pellomar.dat:2:13: warning: AskRunSetup is longer than 254 bytes and is cut"
     " (at 3 bytes a character in UTF-8, 84 characters of that script fit)"),
    ("conversion other than %s",
     {"pellomar.dat": GOOD_MESSAGES.replace("Install %s?", "Install %d?")},
     "M08", 'pellomar.dat:2:13: warning: AskRunSetup holds the conversion "%d"'),
    ("two %s", {"pellomar.dat": GOOD_MESSAGES.replace("Start %s?", "Start %s %s?")},
     "M09", "pellomar.dat:3:11: warning: AskRunExe holds more than one %s"),
    ("SetupErr holding %s",
     {"pellomar.dat": GOOD_MESSAGES.replace("No setup.", "No %s setup.")},
     "M10", "pellomar.dat:5:10: warning: SetupErr is shown exactly as written"),
    ("IniFile that cannot be read",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\sub\r\n", "sub/": ""},
     "A01", 'pellomar.ini:7:9: warning: IniFile "Z:'),
    ("Command with blanks and no quotes",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\app.ini\r\n",
      "app.ini": "[Auto]\r\nVersion=1\r\nCommand={folder}\\Sample App\\app.exe /x\r\n"},
     "A02", "{native}/app.ini:3:9: warning: Command"),
    ("Command wholly in quotes loses them",
     {"pellomar.ini": GOOD_SETTINGS + "IniFile={folder}\\app.ini\r\n",
      "app.ini": "[Auto]\r\nVersion=1\r\nCommand=\"{folder}\\Sample App\\app.exe\"\r\n"},
     "A02", "{native}/app.ini:3:9: warning: Command"),
    ("UTF-16 without byte-order mark",
     {"pellomar.dat": GOOD_MESSAGES.encode("utf-16-le")},
     "D03", "pellomar.dat: warning: looks like UTF-16 without a byte-order mark"),
    ("autorun.inf opening another program than the launcher",
     {"autorun.inf": "[autorun]\r\nopen=setup.exe\r\n", "PELLOMAR.EXE": "x"},
     "D04", 'autorun.inf:2:6: warning: open "setup.exe" names setup.exe, not the '
     "launcher PELLOMAR.EXE"),
    ("autorun.inf opening a missing program",
     {"AUTORUN.INF": "[AutoRun]\r\nopen=start /x\r\n"},
     "D04", 'AUTORUN.INF:2:6: warning: open "start /x" names no file beside autorun.inf'),
    ("autorun.inf without open=",
     {"autorun.inf": "[autorun]\r\nicon=pellomar.exe\r\n"},
     "D05", "autorun.inf: warning: has no open= in [autorun]"),
    ("autorun.inf with a missing icon",
     {"autorun.inf": "[autorun]\r\nopen=pellomar.exe\r\nicon=app.ico,0\r\n"},
     "D06", 'autorun.inf:3:6: warning: icon "app.ico,0" names no file'),
    ("autorun.inf naming the launcher and an icon in any letter case",
     {"autorun.inf": "[autorun]\r\nopen=Pellomar.exe /x\r\nicon=Icons\\App.ico\r\n",
      "icons/": "", "icons/app.ico": "x"},
     None, None),
    ("autorun.inf opening the launcher, a tab before its argument",
     {"autorun.inf": "[autorun]\r\nopen=pellomar.exe\t/x\r\n"}, None, None),
    # Linux media: programs need execute bits, scripts their interpreter.
    ("an ELF setup on a medium without execute bits",
     {"pellomar.ini": LINUX_SETTINGS, "setup": (0o755, ELF)},
     "D09", 'pellomar.ini: warning: SetupName "setup" cannot start from a medium '
     "without execute bits", "--target=linux"),
    ("a setup named past 254 bytes, on a medium without execute bits",
     {"pellomar.ini": LINUX_SETTINGS.replace("=setup\r", f"={DEEP}/setup\r"),
      DEEP[:100] + "/": "", DEEP[:201] + "/": "", DEEP + "/": "",
      DEEP + "/setup": (0o755, ELF)},
     "D09", f'pellomar.ini: warning: SetupName "{DEEP}/setup" cannot start from '
     "a medium without execute bits", "--target=linux"),
    ("a setup script with Windows line endings",
     {"pellomar.ini": LINUX_SETTINGS, "setup": (0o755, "#!/bin/sh\r\necho\r\n")},
     "S14", 'pellomar.ini:8:11: warning: SetupName "setup" cannot be started',
     "--target=linux"),
    ("a setup script naming a missing interpreter",
     {"pellomar.ini": LINUX_SETTINGS, "setup": "#!/nonexistent/bash\n"},
     "S14", 'pellomar.ini:8:11: warning: SetupName "setup" cannot be started',
     "--target=linux"),
    ("the launcher without autorun.sh",
     {"pellomar.ini": LINUX_SETTINGS, "setup": "#!/bin/sh\n",
      "autorun": (0o755, ELF)},
     "D08", "autorun.sh: warning: is missing: on media without execute bits",
     "--target=linux"),
    (".autorun, which desktops start first",
     {"pellomar.ini": LINUX_SETTINGS, "setup": "#!/bin/sh\n",
      ".autorun": "#!/bin/sh\n"},
     "D07", ".autorun: warning: desktops start it before autorun and autorun.sh",
     "--target=linux"),
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
        mode, content = content if isinstance(content, tuple) else (0o644,
                                                                     content)
        if isinstance(content, str):
            content = content.replace("{folder}", scenarios.windows_path(folder))
            content = content.encode("utf-8")
        (folder / file).write_bytes(content)
        (folder / file).chmod(mode)


def pattern_regex(pattern):
    """A catalogue pattern as a regular expression: <...> is any text."""
    return ".*".join(re.escape(part) for part in re.split(r"<[^>]*>", pattern))


def catalogue(checker):
    """The codes' explanations (--list-codes) and text patterns (the SARIF
    log's rules)."""
    listed = subprocess.run([str(checker), "--list-codes"], capture_output=True,
                            text=True).stdout
    explanations = dict(re.match(r"(\S+) \S+ \([^)]*\): (.*)", line).groups()
                        for line in listed.splitlines())
    sarif = json.loads(run_checker(checker, ROOT / "examples",
                                   ["--format=sarif"]).stdout)
    patterns = {rule["id"]: rule["properties"]["pattern"]
                for rule in sarif["runs"][0]["tool"]["driver"]["rules"]}
    return explanations, patterns


def manual_codes():
    """Code -> explanation, as the manual page's list of warnings has them."""
    codes = {}
    lines = (ROOT / "man" / "pellomar-check.1").read_text().splitlines()
    for i, line in enumerate(lines):
        match = re.fullmatch(r"\.B ([SMAD]\d\d)", line)
        if match:
            text = lines[i + 1]
            for escape, plain in (("\\-", "-"), ("\\e", "\\"),
                                  ("\\(dq", '"'), ("\\&", "")):
                text = text.replace(escape, plain)
            codes[match.group(1)] = text
    return codes


def catalogue_agreement(explanations, produced):
    manual = manual_codes()
    problems = [f"{code}: manual {manual.get(code)!r}, catalogue {text!r}"
                for code, text in explanations.items()
                if manual.get(code) != text]
    problems += [f"{code}: in the manual only" for code in manual
                 if code not in explanations]
    report("the manual lists every code as the catalogue does", problems)
    missing = sorted(set(explanations) - produced)
    report("every code of the catalogue comes from a test folder",
           [f"never produced: {', '.join(missing)}"] if missing else [])


def check_line(line, patterns):
    """Problems of one FILE:LINE:COLUMN line: its code and its text's form."""
    match = re.fullmatch(r"(.*?): (warning|note): (?:(?:windows|linux): )?"
                         r"(.*) \[(\w+)\]", line)
    if not match:
        return [f"not FILE[:LINE[:COLUMN]]: warning: text [code]: {line}"]
    text, code = match.group(3), match.group(4)
    if code not in patterns:
        return [f"code {code} is not in the catalogue: {line}"]
    if not re.fullmatch(pattern_regex(patterns[code]), text, re.S):
        return [f"text not of the form of {code}, {patterns[code]!r}: {line}"]
    return []


def warning_fixtures(checker, work, patterns, produced):
    base = work / "warnings"
    for number, (name, files, code, expected, *args) in enumerate(WARNINGS):
        folder = base / f"{number:02d}"
        folder.mkdir(parents=True)
        lay_fixture(folder, files)
        # The folder as typed from the current one: each warning names it.
        result = subprocess.run([str(checker), "--format=gcc", *args, folder.name],
                                cwd=base, capture_output=True, text=True,
                                encoding="utf-8", errors="replace", timeout=120)
        lines = result.stdout.splitlines()
        problems = [p for line in lines for p in check_line(line, patterns)]
        produced.update(re.findall(r"\[(\w+)\]$", "\n".join(lines), re.M))
        if expected is None:
            if result.returncode != 0 or lines:
                problems.append(f"exit {result.returncode}, expected a clean "
                                "folder:\n  " + "\n  ".join(lines))
        else:
            start = (expected.replace("{native}", str(folder))
                     if expected.startswith("{native}")
                     else f"{folder.name}/{expected}")
            # Notes never count: exit status 1 comes with warnings only.
            want = 1 if any(": warning: " in line for line in lines) else 0
            if result.returncode != want:
                problems.append(f"exit status {result.returncode}, expected {want}")
            if not any(line.startswith(start) and line.endswith(f"[{code}]")
                       for line in lines):
                problems.append(f"expected a warning [{code}] starting: {start}"
                                "\n got:\n  " + "\n  ".join(lines))
        report(f"warns: {name}", problems)


GOLDEN = ROOT / "tests" / "checker" / "golden"
# name, the folder as typed from the repository's root, options; each run in
# every format and compared exactly (the folder's full path stands as
# {FOLDER}, on drive Z: as {Z_FOLDER}). --update writes them anew.
GOLDEN_RUNS = [
    ("sample", "examples", ["--target=all"]),
    ("broken", "tests/checker/media/broken", []),
    ("dual", "tests/checker/media/dual", ["--target=all"]),
]
FORMATS = ("text", "gcc", "json", "sarif")
SARIF_VALIDATOR = "@microsoft/sarif-multitool@5.7.0"


def sarif_validator():
    """The SARIF multitool, installed from npm into a cache outside the
    checkout once; (None, why) when it cannot be had."""
    cache = Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache")
    prefix = cache / "pellomar" / "sarif-multitool"
    tool = prefix / "node_modules" / ".bin" / "sarif-multitool"
    if tool.exists():
        return tool, None
    if shutil.which("npm") is None:
        return None, "npm is not installed"
    install = subprocess.run(["npm", "install", "--no-audit", "--no-fund",
                              "--prefix", str(prefix), SARIF_VALIDATOR],
                             capture_output=True, text=True, timeout=900)
    if install.returncode != 0 or not tool.exists():
        return None, f"npm could not install {SARIF_VALIDATOR}"
    return tool, None


def validate_sarif(logs, work):
    tool, why = sarif_validator()
    if tool is None:
        tally.skip("the SARIF logs are valid SARIF 2.1.0", why)
        return
    out = work / "validation.sarif"
    result = subprocess.run([str(tool), "validate", "--output", str(out),
                             *map(str, logs)], capture_output=True, text=True,
                            timeout=600)
    problems = []
    if not out.exists():
        problems.append(f"the validator wrote nothing: {result.stdout[-2000:]}")
    else:
        run = json.loads(out.read_text(encoding="utf-8-sig"))["runs"][0]
        problems += [f"{r['ruleId']}: {r['message'].get('text', r['message'])}"
                     for r in run.get("results", []) if r.get("level") == "error"]
        for invocation in run.get("invocations", []):
            if not invocation.get("executionSuccessful", False):
                problems.append("the validator failed: " + result.stdout[-2000:])
    report(f"the SARIF logs are valid SARIF 2.1.0 ({len(logs)} logs)", problems)


def goldens(checker, work, patterns, produced, update, validate=True):
    env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(work),
           "XDG_CONFIG_HOME": str(work / "golden-config")}
    logs = []
    for name, typed, args in GOLDEN_RUNS:
        folder = ROOT / typed
        z_folder = scenarios.windows_path(folder)
        for form in FORMATS:
            result = subprocess.run(
                [str(checker), f"--format={form}", *args, typed], cwd=ROOT,
                env=env, capture_output=True, text=True, encoding="utf-8",
                timeout=120)
            got = result.stdout
            for raw, placeholder in ((json.dumps(z_folder)[1:-1], "{Z_FOLDER}"),
                                     (z_folder, "{Z_FOLDER}"),
                                     (str(folder), "{FOLDER}")):
                got = got.replace(raw, placeholder)
            got += f"exit status {result.returncode}\n"
            golden = GOLDEN / f"{name}.{form}"
            if update:
                golden.parent.mkdir(exist_ok=True)
                golden.write_text(got, encoding="utf-8")
            want = golden.read_text(encoding="utf-8") if golden.exists() else ""
            problems = [] if got == want else ["\n".join(difflib.unified_diff(
                want.splitlines(), got.splitlines(),
                str(golden.relative_to(ROOT)), "this checker", lineterm=""))]
            if form == "gcc":
                problems += [p for line in result.stdout.splitlines()
                             for p in check_line(line, patterns)]
                produced.update(re.findall(r"\[(\w+)\]$", result.stdout, re.M))
            if form == "sarif":
                logs.append(work / f"{name}.sarif")
                logs[-1].write_text(result.stdout, encoding="utf-8")
            if form == "json":
                try:
                    json.loads(result.stdout)
                except ValueError as e:
                    problems.append(f"not JSON: {e}")
            report(f"golden output: {name} {form} {' '.join(args)}".strip(),
                   problems)
    if validate:
        validate_sarif(logs, work)
    else:
        tally.skip("the SARIF logs are valid SARIF 2.1.0",
                   "--no-sarif-validation: the host's run validates them")


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
    lay_fixture(folder, {"pellomar.dat": ENU_MESSAGES + ENU_MESSAGES.replace(
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
    report("-- ends the options", [] if result.returncode != 2
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
    hint = "Try 'pellomar-check --help' for more information."
    for args, what in ((["--answer", "maybe"], "takes yes or no"),
                       (["--installed-version", "x1"], "not a whole number"),
                       (["--target", "dos"], "takes windows, linux or all"),
                       (["--format=xml"], "takes text, gcc, json or sarif"),
                       (["--disable=S01,X99"], "unknown warning code 'X99' "
                        "(pellomar-check --list-codes lists them)"),
                       (["--frobnicate"], "unrecognized option '--frobnicate'"),
                       (["-z"], "invalid option -- 'z'"),
                       (["--lang"], "option '--lang' requires an argument"),
                       (["a", "b"], "one FOLDER only"),
                       ([], "no FOLDER")):
        result = subprocess.run([str(checker), *args], capture_output=True,
                                text=True)
        # One line that says what is wrong, then the hint: as GNU tools do.
        ok = (result.returncode == 2 and result.stderr.splitlines() ==
              [f"pellomar-check: {what}", hint] if "'" in what else
              result.returncode == 2 and what in result.stderr)
        report(f"refuses {' '.join(args) or 'no arguments'}",
               [] if ok else [f"exit {result.returncode}: {result.stderr}"])
    version = subprocess.run([str(checker), "--version"], capture_output=True,
                             text=True).stdout.splitlines()
    licence = (ROOT / "LICENSE").read_text().splitlines()
    report("--version names the copyright and the licence of LICENSE",
           [] if len(version) > 2 and version[1] in licence
           and licence[0].startswith(version[2].split()[1].removesuffix(":"))
           else ["\n".join(version)])
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


def disabling(checker, work):
    """--disable and PELLOMAR_CHECK_DISABLE leave codes out; the exit status
    counts only the warnings left."""
    broken = ROOT / "tests" / "checker" / "media" / "broken"
    every = run_checker(checker, broken, ["--format=gcc"]).stdout
    codes = sorted(set(re.findall(r"\[(\w+)\]$", every, re.M)))
    some = run_checker(checker, broken, ["--disable", "s06,S09"])
    env = dict(os.environ, PELLOMAR_CHECK_DISABLE="S06 S09")
    by_env = run_checker(checker, broken, [], env)
    problems = []
    if "[S06]" in some.stdout or "[S09]" in some.stdout or \
            "(3 more disabled)" not in some.stdout or some.returncode != 1:
        problems.append(some.stdout)
    if by_env.stdout != some.stdout:
        problems.append("the variable differs from the option:\n" + by_env.stdout)
    report("--disable and PELLOMAR_CHECK_DISABLE leave codes out", problems)
    none = run_checker(checker, broken, ["-q", "--disable=" + ",".join(codes)])
    report("exit status 0 once every warning found is disabled",
           [] if none.returncode == 0 and not none.stdout else
           [f"exit {none.returncode}: {none.stdout}"])
    bad = run_checker(checker, broken, [], dict(os.environ,
                                                PELLOMAR_CHECK_DISABLE="Z1"))
    report("an unknown code in PELLOMAR_CHECK_DISABLE is refused",
           [] if bad.returncode == 2 and "PELLOMAR_CHECK_DISABLE" in bad.stderr
           else [f"exit {bad.returncode}: {bad.stderr}"])


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
    parser.add_argument("--update", action="store_true",
                        help="write the golden outputs anew from this checker")
    parser.add_argument("--no-sarif-validation", action="store_true",
                        help="leave the SARIF logs to the host's run (where "
                        "the validator, a .NET program from npm, cannot run)")
    args = parser.parse_args()
    checker = args.checker.resolve()
    explanations, patterns = catalogue(checker)
    produced = set()
    with tempfile.TemporaryDirectory(prefix="pellomar-checker-") as tmp:
        work = Path(tmp)
        scenario_agreement(checker, work)
        drifts(checker, args.launcher.resolve(), work)
        scale(checker, work)
        warning_fixtures(checker, work, patterns, produced)
        goldens(checker, work, patterns, produced, args.update,
                not args.no_sarif_validation)
        catalogue_agreement(explanations, produced)
        linux_settings(checker, work)
        options_and_report(checker, work)
        disabling(checker, work)
        samples(checker)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
