#!/usr/bin/env python3
"""Measures the launcher against its floors and prints one table.

Every time is a ratio against a floor measured in the same run, because
absolute times on shared machines are noisy; sizes and allocation counts are
exact. Exits 1 when a budget is broken. Called by scripts/bench, which builds
everything and, for the Wine figure, provides a display and a prefix.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "scripts" / "lib"))
import suite  # noqa: E402

FIRST_BOX_BUDGET = 1.2  # launcher against the one-box floor
# The 32-bit launcher's size: room for the INI reader and the path rules
# beside the Windows calls, and still a small download of its own.
WIN32_SIZE_BUDGET = 24 * 1024
rows = []  # (figure, value, floor, ratio, budget, ok: True, False, None skipped)
skips = []  # (figure, why) of each skipped row


def row(figure, value, floor="", ratio=None, budget="", ok=True):
    rows.append((figure, value, floor,
                 "" if ratio is None else f"{ratio:.2f}", budget, ok))


def sizes():
    for arch in ("win32", "win64"):
        exe = ROOT / "build" / arch / "pellomar.exe"
        floor = ROOT / "build" / arch / "bench" / "one_box.exe"
        size, floor_size = exe.stat().st_size, floor.stat().st_size
        limit = WIN32_SIZE_BUDGET if arch == "win32" else None
        row(f"size of {arch}/pellomar.exe", f"{size} B", f"{floor_size} B",
            size / floor_size, f"<= {limit} B" if limit else "",
            limit is None or size <= limit)


def heap():
    check = subprocess.run([str(ROOT / "scripts" / "check-core"),
                            str(ROOT / "build/native/libpellomar_core.a")],
                           capture_output=True, text=True)
    row("core symbols: allocation, throw, std::", "none" if check.returncode == 0
        else "found", budget="none", ok=check.returncode == 0)
    count = subprocess.run([str(ROOT / "build/native/bench/heap_count")],
                           capture_output=True, text=True)
    allocations = int(count.stdout.strip() or -1)
    row("heap allocations in whole runs", str(allocations), budget="0",
        ok=allocations == 0)


def medians(command, env=None):
    out = subprocess.run(command + ["--benchmark_format=json",
                                    "--benchmark_repetitions=9",
                                    "--benchmark_report_aggregates_only=true",
                                    "--benchmark_min_time=0.2",
                                    "--benchmark_enable_random_interleaving=true"],
                         capture_output=True, text=True, check=True,
                         env=env, timeout=600).stdout
    found = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            found[b["run_name"]] = b["real_time"], b["time_unit"]
    return found


def show(time, unit):
    return f"{time:.3g} {unit}"


def ini(work):
    folder = work / "ini"
    folder.mkdir()
    results = medians([str(ROOT / "build/native/bench/ini_bench"), str(folder)])
    cases = [("typical_1KiB", "a key in a typical 1 KiB file", None),
             ("missing_key_1KiB", "a missing key, 1 KiB file", None),
             ("end_of_1MiB", "the key at the end of 1 MiB", 1.5),
             ("end_of_64MiB", "the key at the end of 64 MiB", 1.5),
             ("end_of_1MiB_dense", "the same, a header every 8 short keys", None)]
    for name, figure, budget in cases:
        (value, unit), (floor, _) = results[f"Lookup/{name}"], results[f"Floor/{name}"]
        ratio = value / floor
        row(f"INI lookup: {figure}", show(value, unit), show(floor, unit), ratio,
            f"<= {budget}x" if budget else "", budget is None or ratio <= budget)
    peak = subprocess.run([str(ROOT / "build/native/bench/ini_bench"),
                           "--peak-memory", str(folder)],
                          capture_output=True, text=True, check=True).stdout
    kib = dict(line.split() for line in peak.splitlines())
    growth = int(kib["large64.ini"]) - int(kib["typical.ini"])
    row("peak memory after 1 KiB / 1 MiB / 64 MiB lookups",
        f"{kib['typical.ini']} / {kib['large1.ini']} / {kib['large64.ini']} KiB",
        budget="constant", ok=growth <= 256)


def typical_folder(work):
    """The sample folder with the Linux launcher, nothing installed yet."""
    folder = work / "folder"
    shutil.copytree(ROOT / "examples", folder)
    shutil.copyfile(ROOT / "build/native/pellomar", folder / "autorun")
    os.chmod(folder / "autorun", 0o755)
    return folder


def native_run(work):
    folder = typical_folder(work)
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["XDG_CONFIG_HOME"] = str(work / "config")
    results = medians([str(ROOT / "build/native/bench/run_bench"),
                       str(folder / "autorun"),
                       str(ROOT / "build/native/bench/read_one"), str(folder)],
                      env)
    (value, unit), (floor, _) = results["Launcher"], results["Floor"]
    ratio = value / floor
    row("whole native run, console, answering No", show(value, unit),
        show(floor, unit), ratio, "<= 1.5x", ratio <= 1.5)


def first_box(work, runs):
    """Time to the first box, per Windows build: the launcher on the sample
    folder against the one-box floor of the same build, each run by the
    driver of that build. A build whose programs this machine's Wine cannot
    run (32-bit ones on a kernel without 32-bit support) is a skipped row."""
    for arch, bits, against in (("win32", "32-bit", ""),
                                ("win64", "64-bit", " against a 64-bit floor")):
        build = ROOT / "build" / arch
        driver = build / "tests/wine/driver.exe"
        figure = f"time to first box under Wine ({bits}{against}"
        why_not = suite.wine_skip_reason(build / "pellomar.exe", driver,
                                         build / "bench/one_box.exe")
        if why_not:
            row(figure + ")", "skipped", budget=f"<= {FIRST_BOX_BUDGET}x",
                ok=None)
            skips.append((figure + ")", why_not))
            continue
        folder = work / arch
        shutil.copytree(ROOT / "examples", folder)
        shutil.copyfile(build / "pellomar.exe", folder / "pellomar.exe")
        floor_exe = work / f"one_box_{arch}.exe"
        shutil.copyfile(build / "bench/one_box.exe", floor_exe)
        launcher, floor = box_times(driver, [folder / "pellomar.exe", floor_exe],
                                    work, runs)
        if launcher is None or floor is None:
            row(figure + ")", "no box", budget=f"<= {FIRST_BOX_BUDGET}x",
                ok=False)
            continue
        ratio = launcher / max(floor, 1)
        row(f"{figure}, median of {runs})", f"{launcher:.0f} ms",
            f"{floor:.0f} ms", ratio, f"<= {FIRST_BOX_BUDGET}x",
            ratio <= FIRST_BOX_BUDGET)


def box_times(driver, programs, work, runs):
    """The median milliseconds from start to the first box of each program.

    The programs take turns, in alternating order, after one round that only
    warms Wine's caches, so that a busy machine slows each of them alike."""
    found = [[] for _ in programs]
    log = work / "first-box.log"
    for turn in range(runs + 1):
        order = list(enumerate(programs))
        for at, program in order if turn % 2 else reversed(order):
            log.unlink(missing_ok=True)
            suite.run_wine("budgets", suite.wine(driver, "--first-box",
                                                 winpath(log), winpath(program)),
                           log.exists, cwd=driver.parent, capture_output=True,
                           timeout=120)
            lines = log.read_text().splitlines() if log.exists() else []
            if turn > 0:
                found[at] += [int(line.split()[1]) for line in lines
                              if line.startswith("first-box ")]
    return [statistics.median(times) if times else None for times in found]


def winpath(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--quick", action="store_true",
                        help="only the exact figures: sizes and allocations")
    parser.add_argument("--wine-runs", type=int, default=15)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="pellomar-bench-") as tmp:
        work = Path(tmp)
        sizes()
        heap()
        if not args.quick:
            ini(work)
            native_run(work)
            first_box(work, args.wine_runs)

    widths = [max(len(str(r[i])) for r in rows + [header()]) for i in range(5)]
    marks = {True: "ok", False: "BROKEN", None: "skipped"}
    for r in [header()] + rows:
        cells = [str(r[i]).ljust(widths[i]) for i in range(5)]
        mark = r[5] if isinstance(r[5], str) else marks[r[5]]
        print(" | ".join(cells) + " | " + mark)
    passed, broken, skipped = (sum(r[5] is state for r in rows)
                               for state in (True, False, None))
    for figure, why in skips:
        print(f"skipped: {figure}: {why}")
    print(f"{passed} passed, {broken} failed"
          + (f", {skipped} skipped" if skipped else ""))
    suite.record_result("bench", passed, broken, skipped,
                        [why for _, why in skips])
    return 1 if broken else 0


def header():
    return ("figure", "value", "floor", "ratio", "budget", "status")


if __name__ == "__main__":
    sys.exit(main())
