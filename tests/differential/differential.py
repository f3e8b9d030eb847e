#!/usr/bin/env python3
"""Differential test of the portable INI reader against Win32 (under Wine).

Generates a corpus of INI files, each of one named kind (case, blanks,
quotes, duplicates, line ends, long values, numbers, comments, ...), asks the
same GetPrivateProfileStringA and GetPrivateProfileIntA questions of Wine's
KERNEL32 (tests/wine/profile_query.cpp) and of the portable reader
(tests/differential/profile_query.cpp), and compares every answer.

Where Wine is known to differ from Windows itself, and the reader follows
Windows, the kind is listed in KNOWN_DIFFERENCES with the reason; its
disagreements are counted and named, never hidden. Any other disagreement
fails the test.
"""
import argparse
import os
import random
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "scripts" / "lib"))
import suite  # noqa: E402

# kind -> why the reader answers as Windows does and Wine does not
KNOWN_DIFFERENCES = {
    "semicolon-key": "Windows treats a line starting with ';' as a comment; "
                     "Wine keeps it as a key whose name starts with ';'",
    "text-after-bracket": "Windows ends a section name at the first ']'; "
                          "Wine at the last one on the line",
    "nul-byte": "the reader takes a NUL byte as the end of the text, so that "
                "nothing of a damaged file after it is read; Wine reads on "
                "past it and only cuts the value at the NUL, untrimmed",
}

EOLS = ["\n", "\r\n", "\r"]
BLANKS = [" ", "\t", "  ", " \t"]


def pad(rng):
    return rng.choice(["", "", rng.choice(BLANKS)])


def mixed_case(rng, name):
    return "".join(c.upper() if rng.random() < 0.5 else c.lower() for c in name)


def value_text(rng):
    words = ["alpha", "Beta", "x y", "C:\\Program Files\\app.exe", "%s",
             "a;b", "k=v", "", "100%", "'", '"']
    return "".join(rng.choice(words) for _ in range(rng.randint(0, 3)))


def number_text(rng):
    forms = [
        lambda: str(rng.randint(-99999, 99999)),
        lambda: "+" + str(rng.randint(0, 999)),
        lambda: "- " + str(rng.randint(0, 9)),
        lambda: "0x" + format(rng.randint(0, 0xFFFF), "x"),
        lambda: "0X1F",
        lambda: "0o" + format(rng.randint(0, 0o777), "o"),
        lambda: "0b" + format(rng.randint(0, 31), "b"),
        lambda: "0" + str(rng.randint(0, 99)),
        lambda: str(rng.randint(0, 999)) + rng.choice(["abc", " 12", ".5", "x1"]),
        lambda: str(rng.randint(2**31, 2**33)),
        lambda: "-" + str(rng.randint(2**31, 2**32 + 5)),
        lambda: '"' + str(rng.randint(-50, 50)) + '"',
        lambda: "'" + str(rng.randint(-50, 50)) + "'",
        lambda: rng.choice(["", "abc", "-", "+", "0x", "--3"]),
        lambda: " " * rng.randint(1, 3) + str(rng.randint(0, 9)),
        lambda: "0" * rng.randint(20, 40) + "7",
    ]
    return rng.choice(forms)()


def quoted(rng, text):
    return rng.choice([
        '"' + text + '"', "'" + text + "'", '"' + text, text + '"',
        "'" + text + '"', '"' + text + '"x', '"', '""', '" ' + text + ' "'])


class Builder:
    def __init__(self, rng):
        self.rng = rng
        self.lines = []
        self.queries = []  # (kind, section, key)

    def line(self, text):
        self.lines.append(text)

    def section(self, name):
        self.line(pad(self.rng) + "[" + name + "]" + pad(self.rng))

    def key(self, name, value):
        r = self.rng
        self.line(pad(r) + name + pad(r) + "=" + pad(r) + value + pad(r))

    def ask(self, section, key, kinds="si"):
        for kind in kinds:
            self.queries.append((kind, section, key))

    def text(self):
        r = self.rng
        out = ""
        for line in self.lines:
            out += line + r.choice(EOLS)
        return out


def build(kind, rng):
    b = Builder(rng)
    r = rng
    if kind == "case":
        b.section(mixed_case(r, "Auto"))
        for k in ["AppName", "Version", "SetupName"]:
            b.key(mixed_case(r, k), value_text(r))
        for k in ["appname", "VERSION", "setupName", "Missing"]:
            b.ask(mixed_case(r, "auto"), k)
    elif kind == "blanks":
        b.line(r.choice(BLANKS) + "[Auto]" + r.choice(BLANKS))
        b.line(r.choice(BLANKS) + "Key" + r.choice(BLANKS) + "=" +
               r.choice(BLANKS) + "v a l" + r.choice(BLANKS))
        b.line("Inner Name" + r.choice(BLANKS) + "=1")
        b.line("Tabbed\tName=2")
        b.ask("Auto", "Key")
        b.ask(" Auto ", " Key ")
        b.ask("Auto", "Inner Name")
        b.ask("Auto", "Tabbed Name")
    elif kind == "quotes":
        b.section("S")
        for i in range(4):
            b.key("Q%d" % i, quoted(r, value_text(r)))
            b.ask("S", "Q%d" % i)
    elif kind == "duplicate-keys":
        b.section("S")
        b.key("Dup", value_text(r))
        b.key(mixed_case(r, "dup"), value_text(r))
        b.line("Dup")
        b.ask("S", "Dup")
    elif kind == "duplicate-sections":
        b.section("S")
        b.key("A", "1")
        b.section("T")
        b.key("B", "2")
        b.section(mixed_case(r, "s"))
        b.key("A", "3")
        b.key("C", "4")
        for k in ["A", "B", "C"]:
            b.ask("S", k)
            b.ask("T", k)
    elif kind == "line-ends":
        b.section("S")
        for i in range(5):
            b.key("K%d" % i, value_text(r))
            b.ask("S", "K%d" % i)
        b.line("")
        b.line("")
    elif kind == "long-values":
        b.section("S")
        long = "".join(r.choice("abcdefgh ") for _ in range(r.randint(200, 400)))
        b.key("L", long.strip())
        b.key("Q", '"' + long.strip() + '"')
        b.ask("S", "L")
        b.ask("S", "Q")
    elif kind == "numbers":
        b.section("S")
        for i in range(5):
            b.key("N%d" % i, number_text(r))
            b.ask("S", "N%d" % i)
        b.line("Empty=")
        b.line("NoValue")
        b.ask("S", "Empty")
        b.ask("S", "NoValue")
    elif kind == "comments":
        b.line("; heading comment")
        b.section("S")
        b.line(";K=commented")
        b.line(pad(r) + "; K=indented comment")
        b.key("K", "a ; b")
        b.key("E", "x=y")
        b.ask("S", "K")
        b.ask("S", "E")
    elif kind == "no-equals":
        b.section("S")
        b.line("Bare")
        b.line("=orphan")
        b.key("Empty", "")
        b.key("After", "1")
        for k in ["Bare", "Empty", "After"]:
            b.ask("S", k)
    elif kind == "before-sections":
        b.key("Early", "1")
        b.section("S")
        b.key("Early", "2")
        b.ask("S", "Early")
    elif kind == "semicolon-key":
        b.section("S")
        b.line(";Hidden=1")
        b.ask("S", ";Hidden")
    elif kind == "text-after-bracket":
        b.line("[S]x]")
        b.key("K", "1")
        b.ask("S", "K")
        b.ask("S]x", "K")
    elif kind == "spaced-section":
        b.line("[" + r.choice(BLANKS) + "S" + r.choice(BLANKS) + "]")
        b.key("K", "1")
        b.ask("S", "K")
    elif kind in ENCODED + ["nul-byte"]:
        b.section("S")
        b.key("K", value_text(r))
        b.key("N", number_text(r))
        b.ask("S", "K")
        b.ask("S", "N")
        if kind == "nul-byte":
            b.ask("S", "Late")
    return b


MIXABLE = ["case", "blanks", "quotes", "duplicate-keys", "duplicate-sections",
           "line-ends", "long-values", "numbers", "comments", "no-equals",
           "before-sections", "spaced-section"]
# Kinds whose whole file is encoded specially; not mixed with others.
ENCODED = ["utf8-bom", "utf16"]


def encode(kind, text, rng):
    data = text.encode("latin-1")
    if kind == "utf8-bom":
        return b"\xef\xbb\xbf" + data
    if kind == "utf16":
        return b"\xff\xfe" + text.encode("utf-16-le")
    if kind == "nul-byte":
        # A NUL in the middle of the last line: what follows is never read.
        cut = len(data) - rng.randint(1, 4)
        return data[:cut] + b"\0" + data[cut:] + b"Late=1\r\n"
    return data


def generate(folder, count, seed):
    rng = random.Random(seed)
    kinds = MIXABLE + ENCODED + list(KNOWN_DIFFERENCES)
    files, queries = [], []
    for number in range(count):
        if number < len(kinds) * 30:
            kind = kinds[number % len(kinds)]
            builder = build(kind, rng)
        else:
            kind = "mixed"
            parts = [build(k, rng) for k in rng.sample(MIXABLE, 3)]
            builder = Builder(rng)
            for p in parts:
                builder.lines += p.lines
                builder.queries += p.queries
        name = f"{kind}-{number:04d}.ini"
        path = Path(folder) / name
        path.write_bytes(encode(kind, builder.text(), rng))
        files.append((name, kind))
        for q, section, key in builder.queries:
            queries.append((name, kind, q, str(path), section, key))
    return files, queries


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine-query", required=True, type=Path,
                        help="tests/wine's profile_query.exe of a build tree "
                             "whose programs this machine's Wine runs")
    parser.add_argument("--native-query", required=True, type=Path)
    parser.add_argument("--files", type=int, default=600)
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--label", default="differential",
                        help="the tally's name in the suite's closing line")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="pellomar-diff-") as tmp:
        files, queries = generate(tmp, args.files, args.seed)
        query_file = Path(tmp) / "queries.txt"
        query_file.write_text("".join(
            f"{q}\t{path}\t{section}\t{key}\n"
            for _, _, q, path, section, key in queries))
        answers = {}
        for side, command in (
                ("wine", suite.wine(args.wine_query.resolve())),
                ("reader", [str(args.native_query.resolve())])):
            out = Path(tmp) / f"{side}.txt"
            run = dict(cwd=tmp, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=300)
            if side == "wine":
                suite.run_wine(args.label, command + [str(query_file), str(out)],
                               out.exists, **run).check_returncode()
            else:
                subprocess.run(command + [str(query_file), str(out)],
                               check=True, **run)
            answers[side] = out.read_text().splitlines()

    if len(answers["wine"]) != len(queries) or len(answers["reader"]) != len(queries):
        print("differential: answer counts differ from the query count")
        suite.record_result(args.label, 0, 1)
        return 1
    agree, known, wrong = 0, {}, []
    for query, w, n in zip(queries, answers["wine"], answers["reader"]):
        name, kind = query[0], query[1]
        if w == n:
            agree += 1
        elif kind in KNOWN_DIFFERENCES:
            known.setdefault(kind, []).append(name)
        else:
            wrong.append((query, w, n))
    print(f"differential: {len(files)} files, {len(queries)} queries: "
          f"{agree} agree with Win32, {sum(map(len, known.values()))} known "
          f"differences, {len(wrong)} disagree")
    for kind, names in sorted(known.items()):
        print(f"  known difference '{kind}' ({KNOWN_DIFFERENCES[kind]}): "
              f"{len(names)} answers, in {', '.join(sorted(set(names))[:3])}"
              + (" ..." if len(set(names)) > 3 else ""))
    for (name, kind, q, _, section, key), w, n in wrong[:20]:
        print(f"  DISAGREE {name} [{section}] {key!r} ({q}): "
              f"Win32 {w!r}, reader {n!r}")
    suite.record_result(args.label, int(not wrong), int(bool(wrong)))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
