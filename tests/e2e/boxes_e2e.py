#!/usr/bin/env python3
"""Every way a Linux box reaches the person, run against the launcher.

Needs DISPLAY (Xvfb without a window manager), xdotool, ImageMagick's import,
zenity, and the `locales` package's sources for localedef: locales are
compiled into a private folder named by LOCPATH, so that which locales are
installed is known whatever the machine holds (only C.UTF-8, plus de_DE.UTF-8
where a case says so).

- the built-in box (no dialog program on PATH): a question and a notice,
  answered by key and by click, German, Japanese, Arabic and Hebrew text
  (right to left through fribidi), the longest texts;
  each photographed into the artefacts folder;
- zenity under locales that are missing or not UTF-8, and with malformed
  UTF-8 in an 8-bit message file: a window appears and its answer counts;
- the order zenity, kdialog, built-in box, with stand-ins that record their
  arguments or fail;
- displays that are no usable X server: one that accepts connections and
  never answers, one that answers with text, one that refuses the connection;
- the console: control characters shown visibly, `j` as yes in German.
"""
import argparse
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import linux_e2e
import scenarios
import zenity_e2e

CAPTION = "My App"
ASK_ENGLISH = "Do you want to install %s now?"
SETUP_FAILED = "The setup program could not be started."
GERMAN = "M\u00f6chten Sie %s jetzt installieren? \u201eGr\u00fc\u00dfe\u201c \u20ac"
# Two lines each once wrapped: both end at the right.
ARABIC = ("\u0647\u0644 \u062a\u0631\u064a\u062f \u062a\u062b\u0628\u064a\u062a %s \u0627\u0644\u0622\u0646\u061f "
          "\u0633\u064a\u0633\u062a\u063a\u0631\u0642 \u0627\u0644\u062a\u062b\u0628\u064a\u062a \u0628\u0636\u0639 "
          "\u062f\u0642\u0627\u0626\u0642 \u0641\u0642\u0637\u060c \u0648\u064a\u0645\u0643\u0646\u0643 "
          "\u0645\u062a\u0627\u0628\u0639\u0629 \u0627\u0644\u0639\u0645\u0644 \u0623\u062b\u0646\u0627\u0621 \u0630\u0644\u0643.")
HEBREW = ("\u05d4\u05d0\u05dd \u05dc\u05d4\u05ea\u05e7\u05d9\u05df \u05d0\u05ea %s \u05db\u05e2\u05ea? "
          "\u05d4\u05d4\u05ea\u05e7\u05e0\u05d4 \u05ea\u05d9\u05de\u05e9\u05da \u05d3\u05e7\u05d5\u05ea "
          "\u05e1\u05e4\u05d5\u05e8\u05d5\u05ea \u05d1\u05dc\u05d1\u05d3, \u05d5\u05d0\u05e4\u05e9\u05e8 "
          "\u05dc\u05d4\u05de\u05e9\u05d9\u05da \u05dc\u05e2\u05d1\u05d5\u05d3 \u05d1\u05d9\u05e0\u05ea\u05d9\u05d9\u05dd.")
JAPANESE = "%s \u3092\u4eca\u3059\u3050\u30a4\u30f3\u30b9\u30c8\u30fc\u30eb\u3057\u307e\u3059\u304b?"
# The longest texts that reach a box: 254 bytes.
CJK_254 = ("このプログラムを今すぐ"
           "インストールしますか" * 5)[:84] + "??"
WORD_254 = ("Donaudampfschifffahrtsgesellschaftskapitaensmuetze" * 6)[:254]
STANDIN = """#!/bin/sh
# Stand-in dialog program: records its arguments, one a line, and exits.
for a in "$@"; do printf '%s\\n' "$a"; done > "$STANDIN_LOG.${0##*/}"
exit ${STANDIN_STATUS:-0}
"""


def lay_out(base, launcher, messages, setup="setup.sh", raw_messages=None):
    """A launcher folder offering setup; `messages` maps keys to texts, the
    same in the sections of every language the cases use (saved as UTF-16,
    as the sample is), or `raw_messages` is the message file's bytes."""
    folder = base / "folder"
    folder.mkdir(parents=True)
    (base / "config").mkdir()
    shutil.copyfile(launcher, folder / "autorun")
    os.chmod(folder / "autorun", 0o755)
    (folder / "pellomar.ini").write_text(
        f"[Auto]\nAppName={CAPTION}\nVersion=3\nSetupName={setup}\n"
        "ClassName=NoSuchWindowClass\nSetupOnly=0\nVerbose=0\n")
    if raw_messages is None:
        section = "".join(f"{k}={v}\r\n" for k, v in messages.items())
        text = "".join(f"[{code}]\r\n{section}"
                       for code in ("ENU", "DEU", "JPN", "ARA", "HEB"))
        raw_messages = "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
    (folder / "pellomar.dat").write_bytes(raw_messages)
    (folder / "setup.sh").write_text(linux_e2e.RECORDER)
    os.chmod(folder / "setup.sh", 0o755)
    return folder


class Run:
    """One launcher run in a fresh folder, with its own environment."""

    def __init__(self, work, name, launcher, env, messages=None, **layout):
        self.name = name
        self.base = work / name
        self.folder = lay_out(self.base, launcher, messages or {}, **layout)
        self.log = self.base / "starts.log"
        self.env = dict(env, HOME=str(self.base),
                        XDG_CONFIG_HOME=str(self.base / "config"),
                        PELLOMAR_START_LOG=str(self.log),
                        STANDIN_LOG=str(self.base / "args"))

    def start(self, stdin=subprocess.DEVNULL):
        self.began = time.monotonic()
        self.process = subprocess.Popen(
            [str(self.folder / "autorun")], env=self.env, cwd=self.base,
            stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return self

    def finish(self, started, problems, timeout=20, answers=None):
        """Checks exit code 0 and whether setup was started; `answers` go to
        standard input (started as a pipe)."""
        try:
            out, _ = self.process.communicate(answers, timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, _ = self.process.communicate()
            problems.append(f"still running after {timeout} s")
        if self.process.returncode != 0:
            problems.append(f"exit code {self.process.returncode}")
        starts = linux_e2e.wait_for_starts(self.log, 1 if started else 0)
        if bool(starts) != started:
            problems.append(f"setup {'not ' if started else ''}started: {starts}")
        self.output = out.decode("utf-8", "replace")
        if problems and self.output.strip():
            problems.append("output: " + self.output.strip()[-800:])
        return problems

    def recorded(self, program):
        path = self.base / f"args.{program}"
        return path.read_text().splitlines() if path.exists() else None


def photograph(artefacts, name):
    time.sleep(0.3)  # let it draw
    subprocess.run(["import", "-window", "root", str(artefacts / f"box-{name}.png")],
                   check=False)


def geometry(window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window],
                         capture_output=True, text=True).stdout
    values = dict(line.split("=", 1) for line in out.split())
    return {k: int(v) for k, v in values.items() if k in ("X", "Y", "WIDTH", "HEIGHT")}


def on_screen(window):
    screen = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                            text=True).stdout.split()
    g = geometry(window)
    inside = (g["X"] >= 0 and g["Y"] >= 0 and g["X"] + g["WIDTH"] <= int(screen[0])
              and g["Y"] + g["HEIGHT"] <= int(screen[1]))
    return [] if inside else [f"box {g} is not inside the screen {screen}"]


def wait_for_focus(window, deadline):
    """Waits until the box has the keyboard: keys pressed before it takes it
    would go elsewhere (a person presses them once the box shows)."""
    while time.monotonic() < deadline:
        focused = subprocess.run(["xdotool", "getwindowfocus"],
                                 capture_output=True, text=True).stdout.strip()
        if focused == window:
            return []
        time.sleep(0.05)
    return [f"box {window} never took the keyboard"]


def click(label, deadline):
    """Clicks the built-in box's button of that label, as a person would."""
    button = zenity_e2e.wait_for_window(label, deadline)
    if button is None:
        return [f"no button {label!r}"]
    subprocess.run(["xdotool", "mousemove", "--window", button, "8", "8",
                    "click", "1"], capture_output=True)
    return []


def built_in(work, launcher, artefacts, env):
    """The built-in box: (name, problems) for each case."""
    deadline = lambda: time.monotonic() + 20
    cases = [
        # name, messages, locale, setup program, steps, setup started
        ("question-key", {"AskRunSetup": ASK_ENGLISH}, "C", "setup.sh",
         [("photo",), ("key", "Return")], True),
        ("question-tab-key", {"AskRunSetup": ASK_ENGLISH}, "C", "setup.sh",
         [("key", "Tab"), ("key", "Return")], False),
        ("question-click-no", {"AskRunSetup": ASK_ENGLISH}, "C", "setup.sh",
         [("click", "No")], False),
        ("question-escape", {"AskRunSetup": ASK_ENGLISH}, "C", "setup.sh",
         [("key", "Escape")], False),
        ("notice-click", {"AskRunSetup": ASK_ENGLISH, "SetupErr": SETUP_FAILED},
         "C", "missing.sh", [("click", "Yes"), ("photo",), ("click", "OK")], False),
        ("notice-key", {"AskRunSetup": ASK_ENGLISH, "SetupErr": SETUP_FAILED},
         "C", "missing.sh", [("key", "Return"), ("key", "Return")], False),
        ("german", {"AskRunSetup": GERMAN}, "de_DE.UTF-8", "setup.sh",
         [("photo",), ("click", "Ja")], True),
        ("japanese", {"AskRunSetup": JAPANESE}, "ja_JP.UTF-8", "setup.sh",
         [("photo",), ("key", "Return")], True),
        # read right to left (photographs to look at): Arabic joined
        ("arabic", {"AskRunSetup": ARABIC}, "ar_SA.UTF-8", "setup.sh",
         [("photo",), ("click", "\u0646\u0639\u0645")], True),
        ("hebrew", {"AskRunSetup": HEBREW}, "he_IL.UTF-8", "setup.sh",
         [("photo",), ("key", "Escape")], False),
        ("longest-cjk", {"AskRunSetup": CJK_254}, "ja_JP.UTF-8", "setup.sh",
         [("photo",), ("screen",), ("key", "Escape")], False),
        ("longest-word", {"AskRunSetup": WORD_254}, "C", "setup.sh",
         [("photo",), ("screen",), ("key", "Escape")], False),
    ]
    for name, messages, locale, setup, steps, started in cases:
        run = Run(work, "builtin-" + name, launcher,
                  dict(env, PATH="/nonexistent", LANG=locale),
                  messages, setup=setup).start()
        problems, until = [], deadline()
        photo = 0
        for step in steps:
            window = zenity_e2e.wait_for_window(CAPTION, until)
            if window is None:
                problems.append(f"no box for {step}")
                break
            if step[0] == "photo":
                photo += 1
                photograph(artefacts, f"builtin-{name}-{photo}")
            elif step[0] == "screen":
                problems += on_screen(window)
            elif step[0] == "key":
                problems += wait_for_focus(window, until)
                subprocess.run(["xdotool", "key", step[1]], capture_output=True)
            else:
                problems += click(step[1], until)
            if step[0] in ("key", "click") and step[1] not in ("Tab",):
                gone = time.monotonic() + 5
                while zenity_e2e.windows_titled(CAPTION) == [window] and \
                        time.monotonic() < gone:
                    time.sleep(0.05)
        yield run.name, run.finish(started, problems)


def zenity_locales(work, launcher, artefacts, env, locpath):
    """zenity where it used to refuse the text: a window appears and answers."""
    de = {"AskRunSetup": GERMAN}
    malformed = lambda b: b"[ENU]\nAskRunSetup=Install %s? [" + b + b"]\n"
    cases = [
        ("missing-german-locale", "de_DE.UTF-8", de, None),
        ("missing-japanese-locale", "ja_JP.UTF-8", {"AskRunSetup": JAPANESE}, None),
        ("c-locale-german-text", "C", de, None),
        ("overlong", "C.UTF-8", None, malformed(b"\xc0\xaf")),
        ("surrogate", "C.UTF-8", None, malformed(b"\xed\xa0\x80")),
        ("above-unicode", "C.UTF-8", None, malformed(b"\xf4\x90\x80\x80")),
        ("windows-1252", "C.UTF-8", None, malformed(b"\x84quoted\x93 \x80")),
    ]
    for index, (name, locale, messages, raw) in enumerate(cases):
        run = Run(work, "zenity-" + name, launcher,
                  dict(env, LANG=locale, LOCPATH=str(locpath)),
                  messages, raw_messages=raw).start()
        problems, until = [], time.monotonic() + 30
        window = zenity_e2e.wait_for_window(CAPTION, until)
        yes = index % 2 == 0
        if window is None:
            problems.append("no window appeared")
        else:
            photograph(artefacts, "zenity-" + name)
            if not zenity_e2e.answer(window, CAPTION, "Return" if yes else "Escape",
                                     until):
                problems.append("the window did not take its answer")
        run.finish(yes and window is not None, problems)
        if "[y/N]" in run.output:
            problems.append("the console was used: " + run.output.strip())
        yield run.name, problems


def dialog_order(work, launcher, env):
    """kdialog when zenity fails, the built-in box when both do."""
    bin_dir = work / "standins"
    bin_dir.mkdir()
    for program in ("zenity", "kdialog"):
        (bin_dir / program).write_text(STANDIN)
        os.chmod(bin_dir / program, 0o755)
    failing = work / "failing"
    failing.mkdir()
    (failing / "zenity").write_text("#!/bin/sh\nexit 255\n")
    os.chmod(failing / "zenity", 0o755)
    markup = "<b>Install</b> %s & more? C:\\new"
    # kdialog alone, answering Yes: its arguments as it should get them
    run = Run(work, "kdialog-arguments", launcher,
              dict(env, PATH=str(bin_dir)),
              {"AskRunSetup": markup}).start()
    shutil.move(str(bin_dir / "zenity"), str(work / "zenity.away"))
    problems = run.finish(True, [])
    want = ["--title", CAPTION, "--yesno",
            "<qt>&lt;b&gt;Install&lt;/b&gt; My App &amp; more? C:&#92;new</qt>"]
    if run.recorded("kdialog") != want:
        problems.append(f"kdialog got {run.recorded('kdialog')}, not {want}")
    yield run.name, problems
    # zenity fails (it refuses the text): kdialog answers No
    run = Run(work, "zenity-fails-kdialog-answers", launcher,
              dict(env, PATH=f"{failing}:{bin_dir}", STANDIN_STATUS="1"),
              {"AskRunSetup": ASK_ENGLISH}).start()
    problems = run.finish(False, [])
    if run.recorded("kdialog") is None:
        problems.append("kdialog was not asked")
    yield run.name, problems
    # both fail: the built-in box
    run = Run(work, "both-fail-built-in-box", launcher,
              dict(env, PATH=f"{failing}:{bin_dir}", STANDIN_STATUS="254"),
              {"AskRunSetup": ASK_ENGLISH}).start()
    problems = []
    window = zenity_e2e.wait_for_window(CAPTION, time.monotonic() + 20)
    if window is None:
        problems.append("no built-in box")
    else:
        problems += wait_for_focus(window, time.monotonic() + 10)
        subprocess.run(["xdotool", "key", "Return"], capture_output=True)
    problems = run.finish(window is not None, problems)
    yield run.name, problems + ([run.output] if problems else [])


# An X server's refusal of a connection without a cookie, as Xorg words it,
# in the byte order of the client (this machine's).
REFUSAL_REASON = b"Authorization required, but no authorization protocol specified"
REFUSAL = (b"\x00" + bytes([len(REFUSAL_REASON)])
           + struct.pack("=HHH", 11, 0, (len(REFUSAL_REASON) + 3) // 4)
           + REFUSAL_REASON + b"\x00" * (-len(REFUSAL_REASON) % 4))


def not_a_display(work, launcher, env):
    """Servers that are no usable X display: one that accepts and never
    answers, one that answers with text, one that refuses the connection.
    Each ends in the console box, the last two well under a second, and a
    refusal is told once."""
    for name, reply, limit, told in [
            ("silent-display", None, 5, 0),
            ("text-server", b"HTTP/1.1 400 Bad Request\r\n\r\n", 1, 0),
            ("refusing-server", REFUSAL, 1, 1)]:
        server = socket.socket()
        for number in range(150, 250):
            try:
                server.bind(("127.0.0.1", 6000 + number))
                break
            except OSError:
                continue
        server.listen(64)
        stop = threading.Event()

        def serve():
            while not stop.is_set():
                try:
                    client, _ = server.accept()
                except OSError:
                    return
                if reply is not None:
                    client.recv(64)
                    client.sendall(reply)
                    client.close()

        threading.Thread(target=serve, daemon=True).start()
        run = Run(work, name, launcher,
                  dict(env, DISPLAY=f"127.0.0.1:{number}", WAYLAND_DISPLAY=""),
                  {"AskRunSetup": ASK_ENGLISH})
        run.start(stdin=subprocess.PIPE)
        problems = run.finish(True, [], timeout=5, answers=b"y\n")
        took = time.monotonic() - run.began
        stop.set()
        server.close()
        if took > limit:
            problems.append(f"took {took:.1f} s")
        if "[My App] Do you want to install My App now? [y/N]" not in run.output:
            problems.append("no console box: " + run.output)
        # Told once by the launcher, never again by libX11 or a retry.
        told_times = run.output.count("Authorization required")
        if told_times != told or run.output.count("refused") != told:
            problems.append(f"told of a refusal {told_times} times: {run.output}")
        yield f"{run.name} ({took:.2f} s)", problems


def console(work, launcher, env, locpath_de, locpath):
    base = dict(env)
    base.pop("DISPLAY", None)
    hostile = {"AskRunSetup": "Install %s?\x1b]0;owned\x07\x1b[2J"}
    run = Run(work, "console-controls", launcher, dict(base, LANG="C"), hostile)
    run.start(stdin=subprocess.PIPE)
    problems = run.finish(False, [], answers=b"")
    want = "[My App] Install My App?^[]0;owned^G^[[2J [y/N] "
    if want not in run.output or "\x1b" in run.output:
        problems.append(f"shown as {run.output!r}")
    yield run.name, problems
    for answer, locale, where, yes in [("j", "de_DE.UTF-8", locpath_de, True),
                                       ("Ja", "de_DE.UTF-8", locpath_de, True),
                                       ("jein", "de_DE.UTF-8", locpath_de, False),
                                       ("y", "de_DE.UTF-8", locpath_de, True),
                                       ("j", "de_DE.UTF-8", locpath, False),
                                       ("j", "C", locpath_de, False)]:
        run = Run(work, f"console-{answer}-{locale}-{where.name}", launcher,
                  dict(base, LANG=locale, LOCPATH=str(where)),
                  {"AskRunSetup": ASK_ENGLISH})
        run.start(stdin=subprocess.PIPE)
        yield run.name, run.finish(yes, [], answers=answer.encode() + b"\n")


def compile_locales(work):
    """Two LOCPATH folders: C.UTF-8 alone, and C.UTF-8 with de_DE.UTF-8."""
    plain, german = work / "locales-c", work / "locales-de"
    for folder in (plain, german):
        folder.mkdir()
        (folder / "C.utf8").symlink_to("/usr/lib/locale/C.utf8")
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8",
                    str(german / "de_DE.UTF-8")], check=True)
    return plain, german


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--launcher", required=True, type=Path)
    parser.add_argument("--artefacts", required=True, type=Path)
    args = parser.parse_args()
    if not os.environ.get("DISPLAY"):
        print("boxes: needs DISPLAY")
        return 1
    args.artefacts.mkdir(parents=True, exist_ok=True)
    launcher, artefacts = args.launcher.resolve(), args.artefacts.resolve()
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"),
           "DISPLAY": os.environ["DISPLAY"]}
    tally = scenarios.Tally("boxes")
    with tempfile.TemporaryDirectory(prefix="pellomar-boxes-") as tmp:
        work = Path(tmp)
        plain, german = compile_locales(work)
        groups = [built_in(work, launcher, artefacts, env),
                  zenity_locales(work, launcher, artefacts, env, plain),
                  dialog_order(work, launcher, env),
                  not_a_display(work, launcher, env),
                  console(work, launcher, env, german, plain)]
        for group in groups:
            for name, problems in group:
                tally.record(name, problems)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
