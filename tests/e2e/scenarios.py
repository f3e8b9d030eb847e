"""Reads the end-to-end scenario descriptions and checks a run against them.

The format is described in tests/scenarios/README.md. A platform runner lays a
scenario out with `lay_out`, runs the launcher its own way, and hands what it
saw to `compare`.
"""
import hashlib
import os
import re
import shutil
import sys
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts" / "lib"))
import suite  # noqa: E402

SCENARIO_DIR = ROOT / "tests" / "scenarios"


REPOSITORY = SCENARIO_DIR.parent.parent
PLACES = ("folder", "installed", "windows", "above")


@dataclass
class File:
    place: str
    name: str
    lines: list = field(default_factory=list)  # content, or None with copy
    encoding: str = "latin-1"
    copy: str = ""  # a repository file copied byte for byte


@dataclass
class Scenario:
    name: str
    title: str = ""
    files: list = field(default_factory=list)  # File
    programs: list = field(default_factory=list)  # (place, name)
    paths: dict = field(default_factory=dict)  # place: folder name
    language: str = ""
    codepage: int = 0  # Windows' system code page for the run; 0: Western
    window: str = ""
    sleep: int = 0
    only: str = ""
    current: str = ""  # the launcher's current folder, a place; "" its own
    variables: dict = field(default_factory=dict)  # environment of the run
    answers: list = field(default_factory=list)
    expected: list = field(default_factory=list)

    def runs_on(self, platform):
        return not self.only or self.only == platform


FILE_LINE = re.compile(r"(?P<name>.+?)(?:\s+from\s+(?P<copy>\S+)"
                       r"|\s*=\s*(?P<fixture>\S+))?"
                       r"(?:\s+in\s+(?P<encoding>\S+))?$")


def parse(path):
    scenario = Scenario(name=path.stem)
    block = None  # the list that indented lines go to
    text = path.read_text(encoding="utf-8")
    for number, line in enumerate(text.splitlines(), 1):
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
        if word in ("folder", "installed", "windows", "above"):
            match = FILE_LINE.match(rest.strip())
            file = File(word, match["name"],
                        encoding=match["encoding"] or "latin-1",
                        copy=match["copy"] or "")
            if match["fixture"]:
                file.lines = (path.parent / match["fixture"]).read_text(
                    encoding="utf-8").splitlines()
            elif not file.copy:
                block = file.lines
            scenario.files.append(file)
        elif word == "program":
            place, _, name = rest.partition(" ")
            if place not in ("folder", "installed", "above", "system"):
                raise ValueError(
                    f"{path}:{number}: program folder|installed|above|system NAME")
            scenario.programs.append((place, name.strip()))
        elif word == "path":
            place, _, name = rest.partition(" ")
            if place not in ("folder", "installed") or not name.strip():
                raise ValueError(f"{path}:{number}: path folder|installed NAME")
            scenario.paths[place] = name.strip()
        elif word == "sleep":
            scenario.sleep = int(rest)
        elif word == "current":
            if rest.strip() not in ("folder", "installed", "above"):
                raise ValueError(f"{path}:{number}: current folder|installed|above")
            scenario.current = rest.strip()
        elif word == "variable":
            name, _, value = rest.partition("=")
            scenario.variables[name.strip()] = value
        elif word == "only":
            scenario.only = rest.strip()
        elif word == "language":
            scenario.language = rest.strip()
        elif word == "codepage":
            scenario.codepage = int(rest)
        elif word == "window":
            scenario.window = rest.strip()
        elif word == "answers":
            scenario.answers = rest.split()
        elif word == "expect":
            block = scenario.expected
        else:
            raise ValueError(f"{path}:{number}: unknown line {line!r}")
    return scenario


def load_all(names=None, folder=SCENARIO_DIR):
    paths = sorted(Path(folder).glob("*.scenario"))
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


def make_folders(scenario, base):
    """The launcher's folder and the installed application's under `base`,
    named as the scenario says, and the folder that holds the launcher's
    ("above"). Returns {place: Path} without "windows" and "system", each
    folder made."""
    dirs = {place: base.joinpath(*scenario.paths.get(place, place).replace(
        "\\", "/").split("/")) for place in ("folder", "installed")}
    dirs["above"] = dirs["folder"].parent
    for d in dirs.values():
        d.mkdir(parents=True, exist_ok=True)
    return dirs


def encode(text, encoding):
    """UTF-16 is written little-endian with its byte-order mark."""
    if encoding.lower().replace("_", "-") in ("utf-16", "utf16"):
        return b"\xff\xfe" + text.encode("utf-16-le")
    return text.encode(encoding)


def lay_out(scenario, dirs, places, recorder, recorder_mode=0o755):
    """Writes the scenario's files into dirs[place] (folder, installed,
    windows, above).

    `places` maps the places to the paths the launcher sees.
    Returns the paths of every file laid out, for the unchanged check.
    """
    written = []
    for file in scenario.files:
        target = Path(dirs[file.place]) / file.name
        target.parent.mkdir(parents=True, exist_ok=True)
        if file.copy:
            shutil.copyfile(REPOSITORY / file.copy, target)
        else:
            text = "".join(substitute(line, places) + "\r\n"
                           for line in file.lines)
            target.write_bytes(encode(text, file.encoding))
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
    """The boxes expected, in order, and the events: what the started
    programs record and when the launcher ended."""
    lines = [substitute(line, places) for line in scenario.expected]
    boxes = [line for line in lines if line.startswith("box ")]
    events = [line for line in lines if not line.startswith("box ")]
    return boxes, events


def kind(line):
    return line.split(" ", 1)[0]


def relevant(events, expected):
    """The events of the kinds that the expectation names; "start" when it
    names none (nothing may start then)."""
    kinds = {kind(line) for line in expected} or {"start"}
    return [line for line in events if kind(line) in kinds]


def compare_events(want, got, normalise=None):
    """A difference between the events expected and those recorded (all of
    a run's lines), or None."""
    got = relevant(got, want)
    if normalise is not None:
        want = [normalise(line) for line in want]
        got = [normalise(line) for line in got]
    return None if got == want else diff("events", want, got)


def compare(scenario, places, boxes, events, exit_code, before, after,
            normalise=None):
    """Returns a list of differences; empty when the run was as described.
    `events` are all the lines that the started programs and the runner
    recorded."""
    want_boxes, want_events = expected_lines(scenario, places)
    problems = []
    if boxes != want_boxes:
        problems.append(diff("boxes", want_boxes, boxes))
    problem = compare_events(want_events, events, normalise)
    if problem:
        problems.append(problem)
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
