#!/usr/bin/env python3
"""Keeps the documents true to the code: README.md, docs/*.md and man/*.

- Every number the documents take from the code (a limit, a buffer, a bound,
  a budget, the oldest glibc) equals the constant it comes from. Each row
  below finds the constant's definition in the sources and the statements
  that carry it in the documents; a statement that differs is named by file
  and line, and a row whose definition or statements are no longer found
  fails too, so a rewording is noticed rather than left unchecked.
- Every docs/*.md is linked from README.md, and every relative link in
  README.md and docs/*.md, and every path of the tree that they name in
  code (`tests/e2e/...`), leads to a file of the tree.

Does not check prose: only the numbers the rows name.
"""
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Where definitions are looked for.
SOURCES = ("config", "launcher", "portable", "platform", "checker", "bench",
           "scripts", "tests/e2e", "tests/differential", "cmake")
SOURCE_SUFFIXES = {".h", ".cpp", ".py", ".sh", ".cmake", ""}


def documents(root):
    return [root / "README.md", *sorted((root / "docs").glob("*.md")),
            *sorted((root / "man").glob("*.[0-9]"))]


def same(value):
    return value


def less(n):
    return lambda value: str(int(value) - n)


def times(n):
    return lambda value: str(int(value) * n)


def fitting(width):
    """Characters of `width` bytes each in the longest value (a buffer's
    read size, less its terminator)."""
    return lambda value: str((int(value) - 1) // width)


# Definitions that several rows read.
READ_SIZE = ("config", r"kReadSize = (\d+);")
PATH_SIZE = ("config", r"kPathSize = (\d+);")
WINDOWS_PATH = r"kWindowsPathUnits = (\d+);"

# (what, its definition in the sources: a pattern, or a folder or file to
# look in and a pattern; value -> the number as the documents state it;
# statements in the documents whose group 1 is that number). Statements
# match across line breaks (\s+); man pages are read with their escapes
# undone (\- is -).
ROWS = [
    ("the longest value, in bytes", READ_SIZE, less(1),
     [r"held\s+in\s+(\d+)\s+bytes", r"longer\s+than\s+(\d+)\s+bytes\s+of\s+UTF-8"]),
    ("the longest question, in bytes", READ_SIZE, same,
     [r"cut\s+the\s+same\s+way\s+at\s+(\d+)\s+bytes"]),
    ("Japanese characters in the longest value", READ_SIZE,
     fitting(3),
     [r"(\d+)\s+Japanese\s+characters\s+fit", r"UTF-8\s+the\s+same\s+value\s+holds\s+(\d+)",
      r"such\s+as\s+(\d+)\s+of\s+Japanese"]),
    ("Cyrillic characters in the longest value", READ_SIZE,
     fitting(2),
     [r"(\d+)\s+Cyrillic\s+ones", r"could\s+hold\s+(\d+)\s+characters"]),
    ("the text buffer, in bytes", ("config", r"kBufferSize = (\d+);"), same,
     [r"(\d+)\s+bytes\s+for\s+a\s+text"]),
    ("the path buffer, in bytes", PATH_SIZE, same,
     [r"(\d+)\s+for\s+a\s+path"]),
    ("the longest value that names a file", PATH_SIZE,
     less(1),
     [r"hold\s+up\s+to\s+(\d+)\s+bytes", r"\((\d+)\s+for\s+IniFile"]),
    ("the longest path Windows takes, in UTF-16 units",
     WINDOWS_PATH, same,
     [r"MAX_PATH,\s+(\d+)\s+UTF-16\s+units"]),
    ("the longest path Windows takes, without its terminator",
     WINDOWS_PATH, less(1),
     [r"on\s+Windows\s+(\d+)\s+UTF-16\s+units"]),
    ("the longest Windows path, in bytes of UTF-8",
     WINDOWS_PATH, times(3),
     [r"at\s+most\s+(\d+)\s+bytes\s+of\s+UTF-8"]),
    ("the longest path Linux takes, in bytes", r"kLinuxPathBytes = (\d+);",
     less(1), [r"on\s+Linux\s+(\d+)\s+bytes"]),
    ("the checker's shown warnings", r"kMostFindings = (\d+);", same,
     [r"first\s+(\d+)\s+warnings"]),
    ("the checker's languages with --lang=all", r"kMostLanguages = (\d+);",
     same, [r"\(the\s+first\s+(\d+)\)"]),
    ("the 32-bit launcher's size budget, in KiB",
     r"WIN32_SIZE_BUDGET = (\d+) \* 1024", same,
     [r"win32/pellomar\.exe`\s*\|\s*at\s+most\s+(\d+)\s+KiB"]),
    ("the time-to-first-box budget", r"FIRST_BOX_BUDGET = ([\d.]+)",
     same, [r"first\s+box\s+under\s+Wine[^|\n]*\|\s*at\s+most\s+([\d.]+)\s+times"]),
    ("the oldest glibc", r"^oldest=([\d.]+)$", same,
     [r"glibc\s+(\d+\.\d+)"]),
    ("the fuzz targets' seconds", r"PELLOMAR_FUZZ_SECONDS:-(\d+)", same,
     [r"PELLOMAR_FUZZ_SECONDS\s+\((\d+)\)"]),
    ("the differential test's files", r'"--files", type=int, default=(\d+)',
     same, [r"over\s+(\d+)\s+generated\s+files"]),
    ("the random folders of the native tree", r'"--count", type=int, default=(\d+)',
     same, [r"native\s+tree,\s+(\d+)\s+folders"]),
]

failures = []


def fail(text):
    failures.append(text)
    print("WRONG  " + text)


def readable(path):
    text = path.read_text(encoding="utf-8")
    if path.parent.name == "man":
        for escape, plain in (("\\-", "-"), ("\\e", "\\"), ("\\(dq", '"'),
                              ("\\&", "")):
            text = text.replace(escape, plain)
    return text


def definitions(root):
    """{definition pattern: [(file, line, value)]} over the sources."""
    texts = {}
    for folder in SOURCES:
        for path in (root / folder).rglob("*"):
            if path.is_file() and path.suffix in SOURCE_SUFFIXES:
                try:
                    texts[str(path.relative_to(root))] = path.read_text(encoding="utf-8")
                except UnicodeDecodeError:
                    pass
    found = {}
    for _, definition, _, _ in ROWS:
        if definition in found:
            continue
        under, pattern = definition if isinstance(definition, tuple) \
            else ("", definition)
        found[definition] = []
        for name, text in texts.items():
            if not name.startswith(under):
                continue
            for match in re.finditer(pattern, text, re.MULTILINE):
                line = text.count("\n", 0, match.start()) + 1
                found[definition].append((name, line, match.group(1)))
    return found


def check_numbers(root):
    found = definitions(root)
    texts = {path: readable(path) for path in documents(root)}
    for what, definition, derive, statements in ROWS:
        places = found[definition]
        values = {v for _, _, v in places}
        if len(values) != 1:
            fail(f"{what}: the definition {definition} is found "
                 f"{'nowhere' if not places else 'with different values: ' + str(places)}")
            continue
        source, source_line, raw = places[0]
        expected = derive(raw)
        seen = 0
        for path, text in texts.items():
            for statement in statements:
                for match in re.finditer(statement, text):
                    seen += 1
                    line = text.count("\n", 0, match.start()) + 1
                    stated = match.group(1)
                    if stated != expected:
                        fail(f"{path.relative_to(root)}:{line}: states {stated} for "
                             f"{what}; the code has {expected} "
                             f"({source}:{source_line})")
        if seen == 0:
            fail(f"{what}: no document states it any longer in the words "
                 f"{statements}: update this row of {Path(__file__).name}")
        else:
            print(f"ok     {what}: {expected}, {seen} statements")


LINK = re.compile(r"\[[^\]]*\]\(([^)\s]+)\)")
CODE = re.compile(r"`([^`]+)`")
# A code span that starts with one of these folders names a file of the tree.
TREE = ("bench", "checker", "cmake", "config", "docs", "examples", "launcher",
        "man", "packaging", "platform", "portable", "resources", "scripts",
        "tests")


def check_links(root, markdown_only=False):
    """Every docs/*.md linked from README.md; every relative link resolves.
    markdown_only: check only links to .md files (an installed tree holds
    the documents but not the sources they point into)."""
    readme = root / "README.md"
    pages = [readme, *sorted((root / "docs").glob("*.md"))]
    linked = set()
    for page in pages:
        if not page.exists():
            fail(f"{page}: missing")
            continue
        text = page.read_text(encoding="utf-8")
        for match in LINK.finditer(text):
            target = match.group(1).split("#", 1)[0]
            if not target or re.match(r"[a-z]+:", target):
                continue
            if markdown_only and not target.endswith(".md"):
                continue
            resolved = (page.parent / target).resolve()
            if page == readme:
                linked.add(resolved)
            if not resolved.exists():
                line = text.count("\n", 0, match.start()) + 1
                fail(f"{page.relative_to(root)}:{line}: the link {target} leads nowhere")
        for match in [] if markdown_only else CODE.finditer(text):
            named = match.group(1).split()[0].rstrip("/")
            if named.split("/")[0] in TREE and "/" in named and \
                    not list(root.glob(named)):
                line = text.count("\n", 0, match.start()) + 1
                fail(f"{page.relative_to(root)}:{line}: {named} is no file of the tree")
    unlinked = [p.name for p in pages[1:] if p.resolve() not in linked]
    if unlinked:
        fail(f"README.md links to no docs/{', docs/'.join(unlinked)}")
    if not failures:
        print(f"ok     links of README.md and {len(pages) - 1} documents in docs/")


def main():
    check_links(ROOT)
    check_numbers(ROOT)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
