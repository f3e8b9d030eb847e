"""Reads the end-to-end scenario descriptions and checks a run against them.

The format is described in tests/scenarios/README.md. A platform runner lays a
scenario out with `lay_out`, runs the launcher its own way, and hands what it
saw to `compare`.
"""
import hashlib
import os
import shutil
import sys
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts" / "lib"))
import suite  # noqa: E402

SCENARIO_DIR = ROOT / "tests" / "scenarios"


@dataclass
class Scenario:
    name: str
    title: str = ""
    files: list = field(default_factory=list)  # (place, name, content)
    programs: list = field(default_factory=list)  # (place, name)
    language: str = ""
    window: str = ""
    answers: list = field(default_factory=list)
    expected: list = field(default_factory=list)


def parse(path):
    scenario = Scenario(name=path.stem)
    block = None  # the list that indented lines go to
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if line.startswith("  "):
            if block is None:
                raise ValueError(f"{path}:{number}: indented line outside a block")
            block.append(line[2:])
            continue
        block = None
        if not line.strip():
            continue
        if line.startswith("#"):
            if not scenario.title:
                scenario.title = line[1:].strip()
            continue
        word, _, rest = line.partition(" ")
        if word in ("folder", "installed", "windows"):
            name, _, fixture = (p.strip() for p in rest.partition("="))
            if fixture:
                content = (SCENARIO_DIR / fixture).read_text().splitlines()
                scenario.files.append((word, name, content))
            else:
                content = []
                scenario.files.append((word, name, content))
                block = content
        elif word == "program":
            place, _, name = rest.partition(" ")
            scenario.programs.append((place, name.strip()))
        elif word == "language":
            scenario.language = rest.strip()
        elif word == "window":
            scenario.window = rest.strip()
        elif word == "answers":
            scenario.answers = rest.split()
        elif word == "expect":
            block = scenario.expected
        else:
            raise ValueError(f"{path}:{number}: unknown line {line!r}")
    return scenario


def load_all(names=None):
    paths = sorted(SCENARIO_DIR.glob("*.scenario"))
    scenarios = [parse(p) for p in paths]
    if names:
        scenarios = [s for s in scenarios if s.name in names]
    return scenarios


def windows_path(path):
    """How the launchers see a Linux path: drive Z: is the root."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def substitute(text, places):
    for key, value in places.items():
        text = text.replace("{" + key + "}", value)
    return text


def lay_out(scenario, dirs, places, recorder, recorder_mode=0o755):
    """Writes the scenario's files into dirs["folder"|"installed"|"windows"].

    `places` maps folder/installed/windows to the paths the launcher sees.
    Returns the paths of every file laid out, for the unchanged check.
    """
    written = []
    for place, name, content in scenario.files:
        target = Path(dirs[place]) / name
        target.parent.mkdir(parents=True, exist_ok=True)
        text = "".join(substitute(line, places) + "\r\n" for line in content)
        target.write_bytes(text.encode("latin-1"))
        written.append(target)
    for place, name in scenario.programs:
        target = Path(dirs[place]) / name
        shutil.copyfile(recorder, target)
        os.chmod(target, recorder_mode)
        written.append(target)
    return written


def snapshot(paths):
    """Digest of each file and of each folder's listing."""
    state = {}
    for p in paths:
        p = Path(p)
        if p.is_dir():
            state[str(p)] = sorted(os.listdir(p))
            for child in p.rglob("*"):
                if child.is_file():
                    state[str(child)] = hashlib.sha256(child.read_bytes()).hexdigest()
        elif p.exists():
            state[str(p)] = hashlib.sha256(p.read_bytes()).hexdigest()
    return state


def expected_lines(scenario, places):
    lines = [substitute(line, places) for line in scenario.expected]
    boxes = [line for line in lines if line.startswith("box ")]
    starts = [line for line in lines if line.startswith("start ")]
    return boxes, starts


def compare(scenario, places, boxes, starts, exit_code, before, after,
            normalise_start=None):
    """Returns a list of differences; empty when the run was as described."""
    want_boxes, want_starts = expected_lines(scenario, places)
    if normalise_start is not None:
        want_starts = [normalise_start(s) for s in want_starts]
        starts = [normalise_start(s) for s in starts]
    problems = []
    if boxes != want_boxes:
        problems.append(diff("boxes", want_boxes, boxes))
    if starts != want_starts:
        problems.append(diff("starts", want_starts, starts))
    if exit_code != 0:
        problems.append(f"exit code {exit_code}, expected 0")
    if before != after:
        changed = sorted(k for k in set(before) | set(after)
                         if before.get(k) != after.get(k))
        problems.append("files changed: " + ", ".join(changed))
    return problems


def diff(what, want, got):
    out = [f"{what} differ:"]
    out += ["  expected: " + line for line in want] or ["  expected: (none)"]
    out += ["  got:      " + line for line in got] or ["  got:      (none)"]
    return "\n".join(out)


class Tally:
    """Prints each case's result and counts them for the closing line."""

    def __init__(self, label):
        self.label = label
        self.passed = self.failed = self.skipped = 0
        self.why_skipped = set()

    def record(self, name, problems):
        print(f"{self.label}: {name}: {'ok' if not problems else 'FAILED'}")
        for p in problems:
            print("  " + p.replace("\n", "\n  "))
        self.passed += not problems
        self.failed += bool(problems)

    def skip(self, name, why):
        print(f"{self.label}: {name}: skipped ({why})")
        self.skipped += 1
        self.why_skipped.add(why)

    def finish(self):
        """Prints 'N passed, M failed[, K skipped]', records the tally for
        the suite's closing line and returns the exit status."""
        line = f"{self.passed} passed, {self.failed} failed"
        print(line + (f", {self.skipped} skipped" if self.skipped else ""))
        suite.record_result(self.label, self.passed, self.failed, self.skipped,
                            self.why_skipped)
        return 1 if self.failed else 0
