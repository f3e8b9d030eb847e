"""What the Python runners share with the shell scripts beside this file.

- The Wine command that choose_wine (desktop.sh) chose for this machine. A
  runner never calls a bare "wine": Debian's wine command fails outright on a
  kernel that runs no 32-bit programs. Nor does it hand Wine a 32-bit program
  where those do not run; it skips that run and says why.
- A Wine run that left nothing behind at all is Wine's hiccup, not the
  program's: a loaded machine now and then starts no process. Such a run is
  made once more, aloud, with what Wine said (run_wine), never twice. Every
  runner's Wine runs go through run_wine; shell scripts through
  `python3 scripts/lib/suite.py run-wine` (main, below).
- The results file that results.sh sums up into the suite's closing line:
  each tally appends one line to the file named by PELLOMAR_RESULTS.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

MACHINE_I386 = 0x14C  # IMAGE_FILE_HEADER.Machine of a 32-bit x86 program
PE_SIGNATURE = b"PE\0\0"
PE_HEADER_OFFSET = 0x3C  # where the DOS header keeps the PE header's offset
# What Wine's console writes around a program's text on a terminal.
TERMINAL_CONTROLS = re.compile(r"\x1b\[[0-9;?]*[a-zA-Z]|\r")


def pe_machine(program):
    """The machine type a Windows program is built for; None when unreadable."""
    try:
        with open(program, "rb") as f:
            head = f.read(4096)
    except OSError:
        return None
    if head[:2] != b"MZ" or len(head) < PE_HEADER_OFFSET + 4:
        return None
    at = int.from_bytes(head[PE_HEADER_OFFSET:PE_HEADER_OFFSET + 4], "little")
    if head[at:at + 4] != PE_SIGNATURE:
        return None
    return int.from_bytes(head[at + 4:at + 6], "little")


def wine_skip_reason(*programs):
    """Why Wine here runs not every one of these programs; None when it does."""
    if os.environ.get("PELLOMAR_WINE_32") == "1":
        return None
    for program in programs:
        if pe_machine(program) == MACHINE_I386:
            return (os.environ.get("PELLOMAR_WINE_SKIP_WHY")
                    or "32-bit programs do not run here")
    return None


def wine(program, *args):
    """The command line that runs a Windows program under this machine's Wine."""
    command = os.environ.get("PELLOMAR_WINE")
    if not command:
        raise SystemExit("PELLOMAR_WINE is not set: start Wine with start_wine "
                         "of scripts/lib/desktop.sh")
    why = wine_skip_reason(program)
    if why:
        raise SystemExit(f"{program} is a 32-bit program: {why}")
    return [command, str(program), *map(str, args)]


def wine_hiccup_note(label, what, said=""):
    """Says aloud that a Wine run is made once more, and why."""
    print(f"{label}: Wine left no trace of {what} (it did not start the "
          "process); trying once more"
          + (f" (Wine said: {said})" if said else ""), flush=True)


def last_words(stream):
    """The last line a run wrote to its standard error, as text."""
    if isinstance(stream, bytes):
        stream = stream.decode("utf-8", errors="replace")
    lines = [line.strip() for line in (stream or "").splitlines() if line.strip()]
    return lines[-1] if lines else ""


def run_wine(label, command, left_trace, again=None, what=None, **run_args):
    """Runs a command of wine() through subprocess.run; when left_trace()
    says the run left nothing behind (no log, no output file), says so, with
    the last line Wine wrote to its standard error, and runs once more:
    again() when given (the command for what is still to do), else the same
    command. `what` (text, or a function giving it) names what did not run;
    by default the program's file name. Returns the last run's
    CompletedProcess, its standard error kept unless the caller takes it."""
    keeps_said = not run_args.get("capture_output") and run_args.get(
        "stderr") in (None, subprocess.DEVNULL)
    # A file, not a pipe: the processes that Wine starts beside the program
    # (its desktop, services) inherit it and outlive the run.
    with tempfile.TemporaryFile() as said:
        if keeps_said:
            run_args["stderr"] = said

        def run(command):
            said.seek(0)
            said.truncate()
            result = subprocess.run(command, **run_args)
            if keeps_said:
                said.seek(0)
                result.stderr = said.read()
            return result

        result = run(command)
        if not left_trace():
            what = what() if callable(what) else what
            wine_hiccup_note(label, what or Path(command[1]).name,
                             last_words(result.stderr))
            result = run(again() if again else command)
    return result


def record_result(label, passed, failed, skipped=0, why=()):
    """Appends one tally to the results file, when the suite keeps one."""
    path = os.environ.get("PELLOMAR_RESULTS")
    if not path:
        return
    reasons = "; ".join(sorted(set(why))).replace("\t", " ").replace("\n", " ")
    with open(Path(path), "a") as out:
        out.write(f"{label}\t{passed}\t{failed}\t{skipped}\t{reasons}\n")


def main(argv):
    """run-wine: run_wine for shell scripts. The command's standard output
    goes to TRACE, its standard error to this program's; the run left a
    trace when TRACE holds a line starting with EXPECT (any line, without
    --expect), a terminal's control sequences left out. Exits with the last
    run's status."""
    parser = argparse.ArgumentParser(
        prog="suite.py run-wine", description=main.__doc__)
    parser.add_argument("label")
    parser.add_argument("trace", type=Path)
    parser.add_argument("--expect", default="")
    parser.add_argument("--what", help="what Wine runs (default: COMMAND's "
                        "second word)")
    parser.add_argument("command", nargs="+")
    if not argv or argv[0] != "run-wine":
        parser.error("the only command is run-wine")
    args = parser.parse_args(argv[1:])

    def left_trace():
        try:
            text = args.trace.read_text(encoding="utf-8", errors="replace")
        except OSError:
            return False
        text = TERMINAL_CONTROLS.sub("", text)
        return any(line.startswith(args.expect) for line in text.splitlines())

    def again():
        out.seek(0)
        out.truncate()
        return args.command

    with open(args.trace, "wb") as out:
        result = run_wine(args.label, args.command, left_trace, again=again,
                          what=args.what, stdout=out)
    sys.stderr.buffer.write(result.stderr)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
