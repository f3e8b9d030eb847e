#!/usr/bin/env python3
"""Tests of the suite's plumbing in scripts/lib.

- choose_wine (desktop.sh) takes the 64-bit-only path exactly when Wine's
  32-bit loader cannot be started, or when PELLOMAR_WINE_64_ONLY asks for it,
  and says why; a choice made once is kept.
- suite.py never hands Wine a 32-bit program on that path, and tells the
  machine type of real and damaged program files; a Wine run that left no
  trace is made once more, aloud, with what Wine said, from Python and from
  shell scripts alike.
- closing_line (results.sh) sums the tallies and names what was skipped and
  why, also from tallies that suite.py recorded.
"""
import os
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
import scenarios  # noqa: E402
from scenarios import ROOT, suite  # noqa: E402

LIB = ROOT / "scripts" / "lib"
CHOICE = ("PELLOMAR_WINE", "PELLOMAR_WINE_32", "PELLOMAR_WINE_SKIP_WHY",
          "PELLOMAR_WINE_NOTE", "PELLOMAR_WINE_64_ONLY", "WINELOADER",
          "WINEARCH", "PELLOMAR_RESULTS")
tally = scenarios.Tally("scripts-lib")


def clean_env(**extra):
    env = {k: v for k, v in os.environ.items() if k not in CHOICE}
    env.update(extra)
    return env


def bash(script, env, *args):
    return subprocess.run(["bash", "-c", script, "bash", *map(str, args)],
                          env=env, capture_output=True, text=True, timeout=60)


def pe_file(path, machine):
    """A program file with just the headers that tell its machine type."""
    data = bytearray(256)
    data[:2] = b"MZ"
    struct.pack_into("<I", data, suite.PE_HEADER_OFFSET, 0x80)
    data[0x80:0x84] = suite.PE_SIGNATURE
    struct.pack_into("<H", data, 0x84, machine)
    path.write_bytes(bytes(data))
    return path


def loaders(work):
    """32-bit loader stand-ins, by how they behave when started."""
    runs = work / "runs"
    runs.write_text("#!/bin/sh\necho wine-8.0\n")
    # An executable with no program headers for no machine: the kernel
    # refuses it as it refuses a 32-bit program where those do not run.
    foreign = work / "foreign"
    foreign.write_bytes(b"\x7fELF\1\1\1" + bytes(9)
                        + struct.pack("<HHI", 2, 0, 1) + bytes(64))
    broken = work / "broken"
    broken.write_text("#!/bin/sh\necho 'wine: libwine.so.1: no such file' >&2\n"
                      "exit 127\n")
    for p in (runs, foreign, broken):
        p.chmod(0o755)
    return {"runs": runs, "foreign": foreign, "broken": broken,
            "missing": work / "missing"}


def test_choose_wine(work):
    found = loaders(work)
    wine64 = "/usr/lib/wine/wine64"
    # name, loader, environment, PELLOMAR_WINE, _32, WINELOADER, why (part)
    cases = [
        ("32-bit programs run", "runs", {}, "wine", "1", "", ""),
        ("exec format error", "foreign", {}, wine64, "0", wine64,
         "this kernel runs no 32-bit programs"),
        ("loader fails otherwise", "broken", {}, wine64, "0", wine64,
         "does not start (wine: libwine.so.1: no such file)"),
        ("loader missing", "missing", {}, wine64, "0", wine64, "not installed"),
        ("override", "runs", {"PELLOMAR_WINE_64_ONLY": "1"}, wine64, "0",
         wine64, "PELLOMAR_WINE_64_ONLY=1"),
        ("override off", "runs", {"PELLOMAR_WINE_64_ONLY": "0"}, "wine", "1",
         "", ""),
        ("chosen already", "foreign",
         {"PELLOMAR_WINE": "wine", "PELLOMAR_WINE_32": "1"}, "wine", "1", "", ""),
    ]
    script = (f'. "{LIB}/desktop.sh"; WINE_LOADER_32=$1; choose_wine; '
              'printf "%s|" "$PELLOMAR_WINE" "$PELLOMAR_WINE_32" '
              '"${WINELOADER-}" "${PELLOMAR_WINE_SKIP_WHY-}" '
              '"${PELLOMAR_WINE_NOTE-}"')
    for name, loader, extra, wine, runs32, wineloader, why in cases:
        out = bash(script, clean_env(**extra), found[loader])
        got = out.stdout.split("|")
        problems = [] if out.returncode == 0 else [out.stderr.strip()]
        if got[:3] != [wine, runs32, wineloader]:
            problems.append(f"chose {got[:3]}, expected {[wine, runs32, wineloader]}")
        elif why and (why not in got[3] or why not in got[4]):
            problems.append(f"reason {got[3]!r}, note {got[4]!r}: no {why!r}")
        tally.record(f"choose_wine: {name}", problems)


def test_programs(work):
    i386 = pe_file(work / "i386.exe", suite.MACHINE_I386)
    amd64 = pe_file(work / "amd64.exe", 0x8664)
    damaged = work / "damaged.exe"
    damaged.write_bytes(b"MZ" + b"\xff" * 80)
    only64 = {"PELLOMAR_WINE": "wine64", "PELLOMAR_WINE_32": "0",
              "PELLOMAR_WINE_SKIP_WHY": "no 32-bit here"}
    both = {"PELLOMAR_WINE": "wine", "PELLOMAR_WINE_32": "1"}
    # name, environment, programs, the reason to skip them (None: run)
    cases = [
        ("64-bit only: a 64-bit program", only64, [amd64], None),
        ("64-bit only: a 32-bit helper among them", only64, [amd64, i386],
         "no 32-bit here"),
        ("64-bit only: damaged or missing files are Wine's to report", only64,
         [damaged, work / "missing.exe"], None),
        ("both: a 32-bit program", both, [i386, amd64], None),
    ]
    for name, env, programs, want in cases:
        os.environ.update(env)
        problems = []
        got = suite.wine_skip_reason(*programs)
        if got != want:
            problems.append(f"reason {got!r}, expected {want!r}")
        try:
            command = suite.wine(programs[-1], "--x")
            if want and suite.pe_machine(programs[-1]) == suite.MACHINE_I386:
                problems.append(f"would run a 32-bit program: {command}")
            elif command != [env["PELLOMAR_WINE"], str(programs[-1]), "--x"]:
                problems.append(f"command {command}")
        except SystemExit as refusal:
            if not want:
                problems.append(f"refused: {refusal}")
        for key in env:
            del os.environ[key]
        tally.record(f"suite: {name}", problems)
    built = [(ROOT / "build" / arch / "pellomar.exe", machine)
             for arch, machine in (("win32", suite.MACHINE_I386),
                                   ("win64", 0x8664))]
    for exe, machine in built:
        if exe.exists():
            got = suite.pe_machine(exe)
            tally.record(f"suite: machine of {exe.relative_to(ROOT)}",
                         [] if got == machine else [f"{got!r}, not {machine:#x}"])


def test_closing_line(work):
    results = work / "results.tsv"
    # name, tallies (label, passed, failed, skipped, why), closing line
    cases = [
        ("no tallies", [], "0 passed, 0 failed, 0 skipped: nothing skipped"),
        ("nothing skipped", [("a", 3, 0, 0, ""), ("b", 2, 1, 0, "")],
         "5 passed, 1 failed, 0 skipped: nothing skipped"),
        ("one reason, told once",
         [("wine32", 0, 0, 12, "no 32-bit"), ("wine64", 12, 0, 0, ""),
          ("checker-win32", 0, 0, 1, "no 32-bit")],
         "12 passed, 0 failed, 13 skipped: wine32 (12), checker-win32 (1), "
         "because no 32-bit"),
        ("two reasons", [("x", 1, 0, 1, "r1"), ("y", 0, 0, 2, "r2")],
         "1 passed, 0 failed, 3 skipped: x (1), y (2), because r1; r2"),
        ("no reason given", [("x", 0, 0, 1, "")],
         "0 passed, 0 failed, 1 skipped: x (1)"),
    ]
    for name, tallies, want in cases:
        results.write_text("")
        os.environ["PELLOMAR_RESULTS"] = str(results)
        for label, passed, failed, skipped, why in tallies:
            suite.record_result(label, passed, failed, skipped,
                                [why] if why else [])
        del os.environ["PELLOMAR_RESULTS"]
        out = bash(f'. "{LIB}/results.sh"; PELLOMAR_RESULTS=$1; closing_line',
                   clean_env(), results)
        got = out.stdout.strip()
        tally.record(f"closing_line: {name}",
                     [] if got == want else [f"{got!r}\n expected {want!r}"])


def test_run_wine(work):
    # A stand-in for Wine that leaves its trace from the given run on (0:
    # never), and says on standard error which run it was; it counts its
    # runs in a file.
    stand_in = work / "wine.sh"
    stand_in.write_text('n=$(($(cat "$1" 2>/dev/null || echo 0) + 1))\n'
                        'echo "$n" >"$1"\n'
                        'echo "run $n" >&2\n'
                        '[ "$3" -ne 0 ] && [ "$n" -ge "$3" ] && : >"$2" &&\n'
                        '  printf "\\033[?25ltarget: windows\\r\\n"\n'
                        'exit 0\n')
    python = ("import sys; from pathlib import Path; import suite; "
              "suite.run_wine('lib', sys.argv[1:], Path(sys.argv[4]).exists)")
    # name, the run that leaves a trace, runs expected, said aloud; each
    # through Python and through the shell scripts' entry point, which takes
    # the output (behind a terminal's controls) for the trace.
    cases = [("first run leaves its trace", 1, 1, False),
             ("a hiccup, then the run", 2, 2, True),
             ("no trace twice: never a third run", 0, 2, True)]
    for name, traced_from, runs, aloud in cases:
        for way in ("python", "shell"):
            count = work / f"{way}{traced_from}.count"
            trace = work / f"{way}{traced_from}.trace"
            command = ["sh", str(stand_in), str(count), str(trace),
                       str(traced_from)]
            if way == "python":
                command = [sys.executable, "-c", python, *command]
            else:
                command = [sys.executable, str(LIB / "suite.py"), "run-wine",
                           "lib", str(work / f"{traced_from}.out"),
                           "--expect", "target: ", "--", *command]
            out = subprocess.run(command, env=dict(clean_env(),
                                                   PYTHONPATH=str(LIB)),
                                 capture_output=True, text=True, timeout=60)
            got_runs = int(count.read_text()) if count.exists() else 0
            problems = [] if out.returncode == 0 else [out.stderr.strip()]
            if got_runs != runs:
                problems.append(f"{got_runs} runs, expected {runs}")
            if ("trying once more" in out.stdout) != aloud:
                problems.append(f"said {out.stdout!r}")
            if aloud and "(Wine said: run 1)" not in out.stdout:
                problems.append(f"did not pass on what Wine said: {out.stdout!r}")
            tally.record(f"run_wine ({way}): {name}", problems)


def test_start_display(work):
    # Two fixtures that start at once get a display each, both running. Each
    # keeps its display until both have told theirs: on a loaded machine one
    # may start so late that the other has already let its display go.
    release = work / "release"
    script = (f'. "{LIB}/desktop.sh"; start_display "$1" || exit; '
              'echo "$DISPLAY $XVFB_PID"; '
              'for i in $(seq 600); do [ -e "$2" ] && break; sleep 0.1; done; '
              'kill -0 "$XVFB_PID" && echo alive; kill "$XVFB_PID"')
    runs = []
    for name in ("one", "two"):
        (work / name).mkdir()
        runs.append(subprocess.Popen(
            ["bash", "-c", script, "bash", str(work / name), str(release)],
            env=clean_env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
            text=True))
    displays = [run.stdout.readline().split()[:1] for run in runs]
    release.touch()
    outs = [run.communicate(timeout=90) for run in runs]
    problems = [err.strip() or "no display" for (out, err), shown
                in zip(outs, displays) if not shown or "alive" not in out]
    if not problems and displays[0] == displays[1]:
        problems.append(f"both took {displays[0][0]}")
    tally.record("start_display: two at once", problems)


def main():
    saved = {k: os.environ.pop(k) for k in CHOICE if k in os.environ}
    with tempfile.TemporaryDirectory(prefix="pellomar-lib-") as tmp:
        for test in (test_choose_wine, test_programs, test_closing_line,
                     test_run_wine, test_start_display):
            folder = Path(tmp) / test.__name__
            folder.mkdir()
            test(folder)
    os.environ.update(saved)
    return tally.finish()


if __name__ == "__main__":
    sys.exit(main())
