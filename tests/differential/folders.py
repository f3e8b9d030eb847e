#!/usr/bin/env python3
"""Random folder differential: the checker's prediction against both launchers.

Generates random but plausible launcher folders, each of one kind (settings
and messages in every file encoding, odd values, long values, `%` forms,
languages with and without their section, setups and installed applications
present or not), and for each folder compares every box (style, caption,
text) and every start that pellomar-check predicts, every question answered
yes, with what really happens (and fails a box that shows UTF-8 read as
Windows-1252, which no generated file holds, even where both agree on it):
- `--launcher`: the Linux launcher on its console (checker --target=linux);
- `--wine-launcher`: the Windows launcher under Wine (checker
  --target=windows), all folders driven by one Wine process (the test
  driver's --list), since starting Wine is most of a run's time.

Known differences between Wine and real Windows, where the launcher follows
Windows, are listed in KNOWN_DIFFERENCES with the reason; they are counted and
named, never hidden. Any other disagreement fails. Each disagreement is
printed with the folder's files (bytes shown readably); `--seed`,
`--count` and `--only` reproduce or widen a run.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ProcessPoolExecutor, ThreadPoolExecutor
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE.parent / "checker"))
import checker_test  # noqa: E402
import linux_e2e  # noqa: E402
import scenarios  # noqa: E402
from scenarios import suite  # noqa: E402

# kind -> why the Windows launcher under Wine may show what real Windows
# does not (and the checker predicts Windows): counted, named, allowed. None
# so far: these folders hold nothing that Wine's boxes, starts or registry
# treat otherwise. (While the Windows launcher reads its files with the
# system's profile functions, agreement on "utf8-mark" and "utf16be" is
# Wine's only: real Windows' functions do not honour those marks.)
KNOWN_DIFFERENCES = {}

# Kinds whose text is ASCII, in any encoding, and kinds of text beyond it.
PLAIN_KINDS = ["plain", "odd-values", "percent", "long-ascii", "languages",
               "settings", "paths"]
TEXT_KINDS = ["utf8", "utf8-mark", "utf16le", "utf16be", "cp1252",
              "mixed-encodings", "long-text"]
KINDS = PLAIN_KINDS + TEXT_KINDS
ENCODINGS = ["utf8", "utf8-mark", "utf16le", "utf16be", "cp1252"]
MARKS = {"utf8-mark": b"\xef\xbb\xbf", "utf16le": b"\xff\xfe",
         "utf16be": b"\xfe\xff"}

MESSAGE_KEYS = ["AskRunSetup", "AskRunExe", "ExeErr", "SetupErr"]
ASCII_MESSAGES = ["Install %s now?", "Start %s now?",
                  "%s did not start. Install it again?",
                  "Setup could not be started."]
# Each language's own messages, and an AppName in its script.
MESSAGES = {
    "ENU": ASCII_MESSAGES,
    "DEU": ["Möchten Sie %s jetzt installieren?", "%s jetzt starten?",
            "%s startet nicht. Neu installieren?",
            "Das Setup-Programm konnte nicht gestartet werden (Fehler ß)."],
    "FRA": ["Voulez-vous installer %s maintenant ?", "Démarrer %s ?",
            "%s n’a pas démarré. Le réinstaller ?",
            "Le programme d’installation n’a pas pu démarrer."],
    "JPN": ["%sを今すぐインストールしますか？", "%sを起動しますか？",
            "%sを起動できませんでした。再インストールしますか？",
            "セットアップを開始できませんでした。"],
    "RUS": ["Установить %s сейчас?", "Запустить %s?",
            "%s не запустилось. Установить заново?",
            "Не удалось запустить установку."],
    "CHS": ["现在安装%s吗？", "现在启动%s吗？", "%s无法启动。要重新安装吗？",
            "无法启动安装程序。"],
    "ELL": ["Εγκατάσταση του %s τώρα;", "Εκκίνηση του %s;",
            "Το %s δεν ξεκίνησε. Επανεγκατάσταση;",
            "Η εγκατάσταση δεν ξεκίνησε."],
}
TEXT_APP_NAMES = ["Grüße", "Démo", "Ærø Ünïcødé", "日本語アプリ", "Приложение",
                  "应用程序", "Εφαρμογή", "Smörgås™ €"]
# A language the folder's message file never has a section for.
ABSENT_LANGUAGE = "ITA"
PERCENT_FORMS = ["Install %s now? 100%% sure", "%d files for %s", "Stray % %s",
                 "%s and %s", "%", "%%%s%%", "%5s now", "%-s now", "%S now",
                 "No conversion at all", "%s%", "100%", "%%s", "%ls now"]
ODD_FORMS = [" {} ", '"{}"', "'{}'", '"{}', '{}"', "{} ; note", "{};x",
             "\t{}\t", '" {} "', ""]
ANSWERS = 8  # more than any run asks
# SetupName for Windows and for Linux: with arguments, quoted, in other
# letter case, without its extension, or naming no file.
SETUP_NAMES = [("setup.exe", "setup.sh"), ("setup.exe /S", "setup.sh /S"),
               ('"setup.exe" /quiet x', '"setup.sh" /quiet x'),
               ("SETUP.EXE", "SETUP.SH"), ("setup", "setup.sh"),
               ("missing.exe", "missing.sh")]
# SetupName by Windows' path rules ("." and ".." collapsed, trailing dots
# and blanks dropped, a drive without a folder) and its Linux counterpart.
PATH_SETUP_NAMES = [("nosuch\\..\\setup.exe", "nosuch/../setup.sh"),
                    ("setup.exe.", "setup.sh"), ("setup.exe. .", "setup.sh"),
                    ("sub\\..\\setup.exe /S", "setup.sh /S"),
                    (".\\x\\..\\setup.exe", "./setup.sh"),
                    ("Z:setup.exe", "setup.sh")]
# Folders above the launcher's and the installed application's: none, or
# two of 37 Japanese characters each (short in UTF-16, long in UTF-8).
DEEP_FOLDERS = ["", "\u3042" * 37 + "/" + "\u3044" * 37]
# The installed application's Command, {program} being app.exe or app.sh.
COMMAND_FORMS = ["{{installed}}\\{program}", '"{{installed}}\\{program}"',
                 '"{{installed}}\\{program}" /start now',
                 "{{installed}}\\{program} -x", "{{installed}}\\missing"]


def text_of(lines):
    return "".join(line + "\r\n" for line in lines)


def encode(text, encoding):
    if encoding == "cp1252":
        return text.encode("cp1252", errors="replace")
    if encoding in ("utf16le", "utf16be"):
        return MARKS[encoding] + text.encode(
            "utf-16-le" if encoding == "utf16le" else "utf-16-be")
    return MARKS.get(encoding, b"") + text.encode("utf-8")


class Folder:
    """One generated folder: its files (text with {folder} and {installed}
    standing for the Windows paths), their encodings, the programs laid out
    and the language of the run."""

    def __init__(self, number, kind):
        self.number, self.kind = number, kind
        self.texts = {}  # (place, name) -> text
        self.encodings = {}  # (place, name) -> encoding
        self.programs = []  # (place, name): the stand-ins
        self.language = "ENU"
        self.deep = ""  # folders above "folder" and "installed"


def long_ascii(rng):
    return "".join(rng.choice("abcdefgh ") for _ in range(rng.randint(240, 270)))


def long_text(rng, western):
    """Values near the 254-byte limit of UTF-8; `western`: only what code
    page 1252 holds."""
    forms = [
        "é" * rng.randint(120, 210),
        "a" * rng.randint(250, 253) + "ö",
        "%s " + "€" * rng.randint(80, 86),
    ]
    if not western:
        forms += ["%s" + "日" * rng.randint(80, 90), "Ж" * rng.randint(120, 135),
                  "日本" * rng.randint(40, 46)]
    return rng.choice(forms)


def generate(number, kind, rng):
    f = Folder(number, kind)
    textual = kind in TEXT_KINDS
    # Encodings of the two files of the medium.
    if kind in ("utf8", "utf8-mark", "utf16le", "utf16be", "cp1252"):
        ini_encoding = dat_encoding = kind
    else:
        ini_encoding, dat_encoding = rng.choice(ENCODINGS), rng.choice(ENCODINGS)
    if kind == "mixed-encodings":
        while dat_encoding == ini_encoding:
            dat_encoding = rng.choice(ENCODINGS)

    # Languages of pellomar.dat, and the user's.
    codes = list(MESSAGES) if textual else ["ENU", "DEU", "FRA", "JPN"]
    western = "cp1252" in (ini_encoding, dat_encoding)
    if textual and western:
        codes = ["ENU", "DEU", "FRA"]  # what code page 1252 can hold
    languages = rng.sample(codes, rng.randint(1, 4 if kind == "languages" else 2))
    f.language = rng.choice(languages)
    if rng.random() < (0.4 if kind == "languages" else 0.1):
        f.language = ABSENT_LANGUAGE

    # pellomar.ini
    app = rng.choice(["My App", "Demo", "Sample App 2"])
    if textual:
        app = rng.choice(TEXT_APP_NAMES)
        if western:
            app = rng.choice(["Grüße", "Démo", "Smörgås™ €", "Ærø"])
    if kind == "long-ascii" and rng.random() < 0.5:
        app = long_ascii(rng)
    if kind == "long-text" and rng.random() < 0.5:
        app = long_text(rng, western).replace("%s", "")
    if kind == "odd-values":
        app = rng.choice(ODD_FORMS).format(app)
    setup_names = SETUP_NAMES[0]
    if kind == "settings":
        setup_names = rng.choice(SETUP_NAMES)
    if kind == "paths":
        setup_names = rng.choice(PATH_SETUP_NAMES)
        f.deep = rng.choice(DEEP_FOLDERS)
    settings = {"AppName": app, "Version": str(rng.randint(1, 4)),
                "SetupName": setup_names[0], "ClassName": "",
                "SetupOnly": "0", "Verbose": "0"}
    installed = rng.random() < 0.6
    if kind == "settings":
        settings["Version"] = rng.choice(["1", "3", "", "3.1", "v3", "-1", None,
                                          " 2 ", "0x10", "99999999999"])
        settings["SetupOnly"] = rng.choice(["0", "1", "", None])
        settings["Verbose"] = rng.choice(["0", "0", "1", "", None])
    elif rng.random() < 0.1:
        settings["Verbose"] = "1"
    if installed:
        settings["IniFile"] = rng.choice(["{installed}\\app.ini"] * 4 +
                                         ["{installed}\\missing.ini", ""])
    # Most settings folders offer the installed application, so that
    # its Command forms are started.
    offer_application = (kind == "settings" and installed and
                         rng.random() < 0.7)
    if offer_application:
        settings.update(Version="1", SetupOnly="0",
                        IniFile="{installed}\\app.ini")
    lines = ["[Auto]"] + [f"{k}={v}" for k, v in settings.items()
                          if v is not None]
    linux = ["[Auto.Linux]", "SetupName=" + setup_names[1]]
    if installed and settings["IniFile"]:
        linux.append("IniFile=" + settings["IniFile"].replace(
            "app.ini", "app-linux.ini"))
    f.texts[("folder", "pellomar.ini")] = text_of(lines + linux)
    f.encodings[("folder", "pellomar.ini")] = ini_encoding

    # pellomar.dat
    lines = []
    for code in languages:
        messages = list(MESSAGES[code] if textual else ASCII_MESSAGES)
        if kind == "percent":
            for i in range(len(messages)):
                if rng.random() < 0.6:
                    messages[i] = rng.choice(PERCENT_FORMS)
        if kind == "odd-values":
            for i in range(len(messages)):
                if rng.random() < 0.5:
                    messages[i] = rng.choice(ODD_FORMS).format(messages[i])
        if kind == "long-ascii":
            i = rng.randrange(len(messages))
            messages[i] = rng.choice(["%s ", ""]) + long_ascii(rng)
        if kind == "long-text":
            messages[rng.randrange(len(messages))] = long_text(rng, western)
        lines.append(f"[{code}]")
        for key, message in zip(MESSAGE_KEYS, messages):
            if kind == "languages" and rng.random() < 0.15:
                continue  # a key left out
            lines.append(f"{key}={message}")
        lines.append("")
    f.texts[("folder", "pellomar.dat")] = text_of(lines)
    f.encodings[("folder", "pellomar.dat")] = dat_encoding

    # The setups and the installed application.
    if rng.random() < 0.8:
        f.programs += [("folder", "setup.exe"), ("folder", "setup.sh")]
    if installed:
        version = "3" if offer_application else str(
            rng.choice([0, 1, 2, 3, 5]))
        command = (rng.choice(COMMAND_FORMS) if kind == "settings"
                   else COMMAND_FORMS[0])
        for name, program in (("app.ini", "app.exe"),
                              ("app-linux.ini", "app.sh")):
            f.texts[("installed", name)] = text_of(
                ["[Auto]", "Version=" + version,
                 "Command=" + command.format(program=program)])
            f.encodings[("installed", name)] = "cp1252"
        if rng.random() < 0.8:
            f.programs += [("installed", "app.exe"), ("installed", "app.sh")]
    return f


def lay_out(f, base, recorder_exe):
    """Writes the folder under `base`: returns (dirs, places)."""
    dirs = {"folder": base / f.deep / "folder",
            "installed": base / f.deep / "installed"}
    for d in dirs.values():
        d.mkdir(parents=True)
    places = {k: scenarios.windows_path(d) for k, d in dirs.items()}
    for (place, name), text in f.texts.items():
        data = encode(scenarios.substitute(text, places),
                      f.encodings[(place, name)])
        (dirs[place] / name).write_bytes(data)
    for place, name in f.programs:
        target = dirs[place] / name
        if name.endswith(".sh"):
            target.write_text(linux_e2e.RECORDER)
            os.chmod(target, 0o755)
        elif recorder_exe is not None:
            shutil.copyfile(recorder_exe, target)
        else:
            target.write_bytes(b"MZ")  # a Windows program, never run here
    (base / "config").mkdir()
    (base / "config" / "win.ini").write_text(
        f"[intl]\r\nsLanguage={f.language}\r\n")
    return dirs, places


def shown_character(c):
    """A character as it is, or escaped when it would not show."""
    if c == "\t":
        return "\\t"
    if c.isprintable():
        return c
    return f"\\x{ord(c):02x}" if ord(c) < 0x100 else f"\\u{ord(c):04x}"


def readable(data):
    """A file's form and its lines as a person can read them: UTF-16 and
    UTF-8 decoded, 8-bit text with each byte above ASCII as \\xNN (its code
    page is the question); what would not show is escaped."""
    for mark, codec, form in ((b"\xff\xfe", "utf-16-le", "UTF-16 LE with mark"),
                              (b"\xfe\xff", "utf-16-be", "UTF-16 BE with mark"),
                              (MARKS["utf8-mark"], "utf-8", "UTF-8 with mark"),
                              (b"", "utf-8", "UTF-8 without mark")):
        if data.startswith(mark):
            try:
                text = data[len(mark):].decode(codec)
                if not mark and text.isascii():
                    form = "ASCII"
                break
            except UnicodeDecodeError:
                continue
    else:
        form = "8-bit"
        text = "".join(chr(b) if b < 0x80 else f"\\x{b:02x}" for b in data)
    lines = text.replace("\r\n", "\n").split("\n")
    return form, ["".join(shown_character(c) if c != "\\" else c for c in line)
                  for line in lines]


def files_shown(base):
    out = []
    for path in sorted(p for p in base.rglob("*")
                       if p.is_file() and p.suffix in (".ini", ".dat")):
        form, lines = readable(path.read_bytes())
        out.append(f"{path.relative_to(base)} ({form}):")
        out += ["  | " + line for line in lines]
    return out


def linux_run(f, base, dirs, checker, launcher):
    """What the checker predicts for the Linux launcher, any trouble with
    that, and what the launcher did: (lines, trouble, lines)."""
    env = {"PATH": "/usr/bin:/bin", "LANG": "C", "HOME": str(base),
           "XDG_CONFIG_HOME": str(base / "config"),
           "PELLOMAR_START_LOG": str(base / "starts-linux.log")}
    checked = checker_test.run_checker(
        checker, dirs["folder"], ["--target=linux", "--lang", f.language], env)
    boxes, starts = checker_test.launcher_run(
        launcher, dirs["folder"], env, ["yes"] * ANSWERS,
        base / "starts-linux.log")
    seen = boxes + [linux_e2e.normalise_start(s) for s in starts]
    return prediction(checked, linux=True) + (seen,)


def prediction(checked, linux):
    """The boxes and then the starts of a checker run: (lines, trouble).
    A Windows start is the command line the program gets; a Linux one names
    the file that runs (found in any letter case), as the program sees
    itself started."""
    lines = [line for line in checker_test.predicted(checked.stdout)
             if line.startswith("box ")]
    report = checked.stdout.splitlines() + [""]
    for line, below in zip(report, report[1:]):
        if not line.startswith("  start "):
            continue
        if not linux:
            lines.append(windows_start(line[2:]))
            continue
        words = linux_e2e.split_windows(line[len("  start "):])
        program = below.strip()[len("program "):].split(": ", 1)[0]
        lines.append(linux_e2e.normalise_start(
            "start " + " ".join([program] + words[1:])))
    trouble = [] if checked.returncode in (0, 1) else [
        f"the checker could not check: {checked.stderr.strip()}"]
    return lines, trouble


def windows_start(line):
    """A start as the program sees its command line, its path unquoted."""
    return "start " + " ".join(linux_e2e.split_windows(line[len("start "):]))


def windows_prediction(f, dirs, checker, code_page):
    """What the checker predicts for the Windows launcher, in the code page
    of Wine's system when the checker takes one: (lines, trouble)."""
    args = ["--target=windows", "--lang", f.language]
    if code_page:
        args.append(f"--codepage={code_page}")
    return prediction(checker_test.run_checker(checker, dirs["folder"], args),
                      linux=False)


def wine_list_line(base, exe, language):
    fields = [base / "wine.log", exe, language, base / "starts-wine.log"]
    return "\t".join(scenarios.windows_path(p) if isinstance(p, Path) else p
                     for p in fields) + "\t" + " ".join(["yes"] * ANSWERS)


def run_wine(label, driver, bases, folders, work, first_attempt=0):
    """Drives every folder's Windows launcher in one Wine process; the
    folders whose run Wine itself could not start are tried once more, in a
    second one. Returns the seconds taken."""
    started = time.monotonic()

    def command(attempt, todo):
        attempt += first_attempt
        listing = work / f"wine-runs-{attempt}.txt"
        listing.write_text("".join(
            wine_list_line(base, base / f.deep / "folder" / "pellomar.exe",
                           f.language) + "\n" for base, f in todo),
            encoding="utf-8")
        return suite.wine(driver, "--list", scenarios.windows_path(listing))

    # Wine, loaded, now and then fails to start a process: the launcher
    # ("cannot start" in the log) or the driver (no log from there on). Such
    # runs started nothing and are made once more.
    def hiccups():
        return [(b, f) for b, f in zip(bases, folders)
                if not (b / "starts-wine.log").exists()
                and (not wine_lines(b) or any(line.startswith("cannot start")
                                              for line in wine_lines(b)))]

    def what():
        refused = [line for b, _ in hiccups() for line in wine_lines(b)
                   if line.startswith("cannot start")]
        return (f"{len(hiccups())} of {len(bases)} launcher runs"
                + (f" (the first: {refused[0]})" if refused else ""))

    suite.run_wine(label, command(0, list(zip(bases, folders))),
                   lambda: not hiccups(), again=lambda: command(1, hiccups()),
                   what=what,
                   cwd=driver.parent, timeout=120 + 60 * len(bases),
                   stdout=subprocess.DEVNULL)
    return time.monotonic() - started


def started_any(lines):
    return any(line.startswith("start ") for line in lines)


def wine_lines(base):
    log = base / "wine.log"
    return (log.read_text(encoding="utf-8", errors="replace").splitlines()
            if log.exists() else [])


def wine_seen(base):
    lines = wine_lines(base)
    boxes = [line for line in lines if line.startswith("box ")]
    starts = [windows_start(line) for line in
              linux_e2e.read_events(base / "starts-wine.log")
              if line.startswith("start ")]
    trouble = []
    if "timeout" in lines:
        trouble.append("the launcher did not end within a minute")
    if not any(line.startswith("exit ") for line in lines):
        trouble.append("the driver recorded no end of the run: "
                       + "; ".join(lines[-2:]))
    return boxes + starts, trouble


def garbled(lines):
    """The boxes that show UTF-8 read as Windows-1252 ("Ã¶" for "ö"): no
    generated file holds such text, so the box is wrong even where the
    checker predicts it."""
    def mojibake(line):
        back = line.encode("cp1252", errors="replace").decode(
            "utf-8", errors="replace")
        return any(c >= "\x80" and c != "\ufffd" for c in back)
    return [line for line in lines if line.startswith("box ") and
            mojibake(line)]


def checker_knows_code_pages(checker):
    out = subprocess.run([str(checker), "--help"], capture_output=True,
                         text=True).stdout
    return "--codepage" in out


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--checker", required=True, type=Path,
                        help="pellomar-check of the native tree")
    parser.add_argument("--launcher", type=Path,
                        help="the Linux launcher: compare with it")
    parser.add_argument("--wine-launcher", type=Path,
                        help="pellomar.exe: compare with it under Wine")
    parser.add_argument("--programs", type=Path,
                        help="tests/wine of the Windows tree (driver.exe, "
                             "recorder.exe)")
    parser.add_argument("--count", type=int, default=300)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--only", type=int, nargs="*",
                        help="folder numbers to run (with the same --seed)")
    parser.add_argument("--shown", type=int, default=30,
                        help="disagreements printed with their files")
    parser.add_argument("--keep", type=Path,
                        help="lay the folders out here and keep them")
    parser.add_argument("--label", default="folders")
    args = parser.parse_args()
    if not args.launcher and not args.wine_launcher:
        parser.error("--launcher, --wine-launcher or both")
    if args.wine_launcher and not args.programs:
        parser.error("--wine-launcher needs --programs")
    checker = args.checker.resolve()

    tally = scenarios.Tally(args.label)
    sides = (["linux"] if args.launcher else []) + (
        ["wine"] if args.wine_launcher else [])
    if args.wine_launcher:
        why_not = suite.wine_skip_reason(
            args.wine_launcher, args.programs / "driver.exe")
        if why_not:
            sides.remove("wine")
            tally.skip("checker against the Windows launcher", why_not)
            if not sides:
                return tally.finish()

    numbers = args.only or range(args.count)
    folders = [generate(n, KINDS[n % len(KINDS)],
                        random.Random(f"{args.seed}-{n}")) for n in numbers]
    with tempfile.TemporaryDirectory(prefix="pellomar-folders-") as tmp:
        work = args.keep.resolve() if args.keep else Path(tmp)
        work.mkdir(parents=True, exist_ok=True)
        recorder = (args.programs.resolve() / "recorder.exe"
                    if "wine" in sides else None)
        bases = [work / f"{f.number:04d}-{f.kind}" for f in folders]
        laid = []
        for f, base in zip(folders, bases):
            if base.exists():
                shutil.rmtree(base)
            laid.append(lay_out(f, base, recorder)[0])
            if "wine" in sides:
                shutil.copyfile(args.wine_launcher, laid[-1]["folder"]
                                / "pellomar.exe")

        results = {side: [None] * len(folders) for side in sides}
        timing = {}
        with ThreadPoolExecutor(max_workers=6) as pool:
            wine = None
            if "wine" in sides:
                wine = pool.submit(run_wine, args.label,
                                   args.programs.resolve() / "driver.exe",
                                   bases, folders, work)
            if "linux" in sides:
                # In processes of their own: a thread that copies the
                # launcher while another starts a program makes that start
                # fail ("text file busy").
                started = time.monotonic()
                with ProcessPoolExecutor(max_workers=4) as processes:
                    results["linux"] = list(processes.map(
                        linux_run, folders, bases, laid,
                        [checker] * len(folders),
                        [args.launcher.resolve()] * len(folders)))
                timing["linux"] = time.monotonic() - started
            if wine is not None:
                timing["wine"] = wine.result()
                pages = [line.split()[1] for b in bases for line in wine_lines(b)
                         if line.startswith("codepage ")]
                code_page = (pages[0] if pages and
                             checker_knows_code_pages(checker) else "")

                def wine_side(i):
                    predicted, trouble = windows_prediction(
                        folders[i], laid[i], checker, code_page)
                    seen, more = wine_seen(bases[i])
                    return predicted, trouble + more, seen
                results["wine"] = list(pool.map(wine_side, range(len(folders))))
                # Wine, loaded, now and then does not start the program that
                # the launcher starts: the launcher then rightly tells that it
                # did not start. A fault of the launcher's own does so again,
                # so those folders alone are run once more, aloud.
                again = [i for i, (predicted, _, seen)
                         in enumerate(results["wine"])
                         if started_any(predicted) and not started_any(seen)]
                if again:
                    suite.wine_hiccup_note(
                        args.label, f"the programs of {len(again)} of "
                        f"{len(folders)} launcher runs")
                    for i in again:
                        for log in ("wine.log", "starts-wine.log"):
                            (bases[i] / log).unlink(missing_ok=True)
                    timing["wine"] += run_wine(
                        args.label, args.programs.resolve() / "driver.exe",
                        [bases[i] for i in again], [folders[i] for i in again],
                        work, first_attempt=2)
                    for i, result in zip(again, pool.map(wine_side, again)):
                        results["wine"][i] = result

        shown = 0
        counts = {}  # (side, kind) -> [folders, agree]
        known, failed = [], []
        for i, f in enumerate(folders):
            problems, kinds_of_trouble = [], set()
            for side in sides:
                predicted, trouble, seen = results[side][i]
                count = counts.setdefault((side, f.kind), [0, 0, 0])
                count[0] += 1
                agree = predicted == seen and not trouble
                count[1] += agree
                wrong = sorted(set(garbled(predicted) + garbled(seen)))
                count[2] += bool(wrong)
                if agree and not wrong:
                    continue
                problems += trouble
                if predicted != seen:
                    problems.append(scenarios.diff(
                        f"the checker's prediction (expected) and what the "
                        f"{side} launcher did (got)", predicted, seen))
                if wrong:
                    problems.append("shows UTF-8 read as Windows-1252:\n  "
                                    + "\n  ".join(wrong))
                if trouble:
                    kinds_of_trouble.add("failed")
                elif side == "wine" and f.kind in KNOWN_DIFFERENCES:
                    kinds_of_trouble.add("known")
                else:
                    kinds_of_trouble.add("failed")
            how = next((h for h in ("failed", "known")
                        if h in kinds_of_trouble), "agree")
            if how == "agree":
                tally.passed += 1
                continue
            name = f"folder {f.number} ({f.kind}, language {f.language})"
            {"known": known, "failed": failed}[how].append(name)
            tag = {"known": "KNOWN DIFFERENCE", "failed": "DISAGREES"}[how]
            print(f"{args.label}: {name}: {tag}")
            for p in problems:
                print("  " + p.replace("\n", "\n  "))
            if shown < args.shown or how == "failed":
                shown += 1
                print("  " + "\n  ".join(files_shown(bases[i])))
        tally.failed += len(failed)

    print(f"{args.label}: {len(folders)} folders, seed {args.seed}")
    for side in sides:
        total = sum(c[0] for (s, _), c in counts.items() if s == side)
        agree = sum(c[1] for (s, _), c in counts.items() if s == side)
        wrong = sum(c[2] for (s, _), c in counts.items() if s == side)
        took = f", {timing[side]:.1f} s" if side in timing else ""
        print(f"  checker against {side}: {agree} of {total} agree"
              f" ({100 * agree / max(total, 1):.0f} %{took}); {wrong} show"
              " UTF-8 read as Windows-1252")
        for kind in KINDS:
            c = counts.get((side, kind))
            if c:
                print(f"    {kind:16} {c[1]:4} of {c[0]:4} agree, {c[2]:4} "
                      "garbled")
    if known:
        print(f"  {len(known)} known differences of Wine and Windows:")
        for kind, why in KNOWN_DIFFERENCES.items():
            print(f"    {kind}: {why}")
    for name in known:
        tally.skip(name, "a known difference of Wine and Windows")
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
