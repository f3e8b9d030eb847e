#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into corpus/<target>/.

The seeds are laid out as the targets read their input through libFuzzer's
FuzzedDataProvider: strings from the front, each ended by a backslash and one
other character (a backslash in the text is doubled), whole numbers from the
back. The whole-run seeds come from the end-to-end scenarios.
"""
import hashlib
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
import scenarios  # noqa: E402


def text(s):
    data = s.encode("latin-1") if isinstance(s, str) else s
    return data.replace(b"\\", b"\\\\") + b"\\|"


def numbers(*values):
    """Bytes read from the back, in the order given."""
    return bytes(reversed(values))


def write(target, seed):
    folder = HERE / "corpus" / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / hashlib.sha1(seed).hexdigest()[:16]).write_bytes(seed)


def ini_seeds():
    files = [
        ("Auto", "Version", "[Auto]\nVersion=3\nVerbose=0\n"),
        ("Auto", "AppName", " [ Auto ] \r\n AppName = \"My App\" \r\n"),
        ("ENU", "AskRunSetup", "[ENU]\r\nAskRunSetup=Install %s?\r\n;c=1\r\n"),
        ("S", "K", "[S]\nK=1\n[S]\nK=2\nK\n=\n[T]junk\n"),
        ("S", "K", "\xef\xbb\xbf[S]\rK='x'\r"),
        ("DEU", "K", b"\xff\xfe[\0D\0E\0U\0]\0\n\0K\0=\0\xfc\0\n\0"),
        ("S", "K", b"[S]\nK=a\0b\n"),
        ("S", "K", "[S]\nK=" + "v" * 600 + "\n"),
    ]
    for section, key, content in files:
        data = content.encode("latin-1") if isinstance(content, str) else content
        for size, piece in ((255, 4096), (3, 1), (0, 7)):
            write("ini", text(section) + text(key) + data +
                  numbers(size & 0xFF, size >> 8, piece & 0xFF, piece >> 8))


def format_seeds():
    for fmt in ["Install %s now?", "%s%s%s%n", "%99999d", "trailing %",
                "100%% %s", "setup version %d", "x" * 300 + "%s"]:
        write("format", text("My App") + fmt.encode() + numbers(7, 0, 0, 0))


def resolve_seeds():
    launchers = ["C:\\APP\\DISK1\\LAUNCH.EXE", "C:\\LAUNCH.EXE",
                 "\\\\SRV\\SHARE\\DIR\\LAUNCH.EXE", "C:\\" + "d" * 250 + "\\L.EXE"]
    names = ["setup.exe", "sub\\setup.exe", "..\\setup.exe", "..\\..\\..\\..\\y",
             "..x", "\\setup.exe", "D:\\setup.exe", ".\\s", "", "n" * 250]
    for launcher in launchers:
        for name in names:
            write("resolve", text(launcher) + name.encode())


def paths_seeds():
    lines = ['"C:\\Program Files\\app.exe" /x', 'app a\\\\"b c" "d""e"',
             "Z:\\media\\cd\\setup.sh /S", '"unterminated a\\']
    paths = ["Z:\\media\\cd\\autorun", "z:x", "C:\\x", "\\\\srv\\s\\x",
             "/opt/app", "sub/../x", ""]
    for line, path in zip(lines * 2, paths):
        write("paths", text(line) + text("setup.exe") + text("/S") +
              text("a \\\"b\\") + text("media/cd/autorun") + path.encode() +
              numbers(2))


def run_seeds():
    places = {"folder": "C:\\APP\\DISK1", "installed": "C:\\PROG",
              "windows": "C:\\WINDOWS"}
    for scenario in scenarios.load_all():
        contents = {}
        for _, name, lines in scenario.files:
            body = "".join(scenarios.substitute(l, places) + "\r\n" for l in lines)
            contents[name.lower()] = body
        answers = [0 if a == "yes" else 1 for a in scenario.answers]
        has_settings = "pellomar.ini" in contents
        seed = (text(contents.get("pellomar.ini", "")) +
                text(contents.get("pellomar.dat", "")) +
                text(contents.get("app.ini", contents.get("pellomar-e2e-app.ini", ""))) +
                text("[intl]\r\nsLanguage=%s\r\n" % (scenario.language or "ENU")) +
                text(scenario.window) +
                numbers(0, len(answers), *answers, 0, 0, 0, int(has_settings)))
        write("run", seed)
    # SetupName with arguments and blanks, naming files that exist beside the
    # launcher (the settings and message files), so that the search for the
    # program part is taken.
    for setup_name in ["pellomar.dat /S", "pellomar /S", "Pellomar.ini  x y",
                       '"pellomar.dat" /S', "missing file /S"]:
        settings = ("[Auto]\r\nAppName=A\r\nVersion=3\r\nVerbose=1\r\n"
                    "SetupName=%s\r\n" % setup_name)
        write("run", text(settings) + text("[ENU]\r\nAskRunSetup=Go?\r\n") +
              text("") + text("") + text("") +
              numbers(0, 2, 0, 0, 0, 0, 0, 1))


if __name__ == "__main__":
    ini_seeds()
    format_seeds()
    resolve_seeds()
    run_seeds()
    paths_seeds()
