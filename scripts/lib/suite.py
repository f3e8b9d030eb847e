"""What the Python runners share with the shell scripts beside this file.

- The Wine command that choose_wine (desktop.sh) chose for this machine. A
  runner never calls a bare "wine": Debian's wine command fails outright on a
  kernel that runs no 32-bit programs. Nor does it hand Wine a 32-bit program
  where those do not run; it skips that run and says why.
- A Wine run that left nothing behind at all is Wine's hiccup, not the
  program's: a loaded machine now and then starts no process. Such a run is
  made once more, aloud (run_wine), never twice.
- The results file that results.sh sums up into the suite's closing line:
  each tally appends one line to the file named by PELLOMAR_RESULTS.
"""
import os
import subprocess
from pathlib import Path

MACHINE_I386 = 0x14C  # IMAGE_FILE_HEADER.Machine of a 32-bit x86 program
PE_SIGNATURE = b"PE\0\0"
PE_HEADER_OFFSET = 0x3C  # where the DOS header keeps the PE header's offset


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


def wine_hiccup_note(label, what):
    """Says aloud that a Wine run is made once more, and why."""
    print(f"{label}: Wine left no trace of {what} (it did not start the "
          "process); trying once more", flush=True)


def run_wine(label, command, left_trace, **run_args):
    """Runs a command of wine() through subprocess.run; when left_trace()
    says the run left nothing behind (no log, no output file), says so and
    runs it once more. Returns the last run's CompletedProcess."""
    result = subprocess.run(command, **run_args)
    if not left_trace():
        wine_hiccup_note(label, Path(command[1]).name)
        result = subprocess.run(command, **run_args)
    return result


def record_result(label, passed, failed, skipped=0, why=()):
    """Appends one tally to the results file, when the suite keeps one."""
    path = os.environ.get("PELLOMAR_RESULTS")
    if not path:
        return
    reasons = "; ".join(sorted(set(why))).replace("\t", " ").replace("\n", " ")
    with open(Path(path), "a") as out:
        out.write(f"{label}\t{passed}\t{failed}\t{skipped}\t{reasons}\n")
