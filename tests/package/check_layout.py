#!/usr/bin/env python3
"""Checks what a publisher gets: the install tree and both release packages.

- `cmake --install` (Linux) lays out exactly the expected files, programs
  executable; its manual pages render without a groff warning and `man -l`
  shows them; every document of docs/ is installed beside README.md, whose
  links to them lead to the installed copies.
- Each package holds exactly medium/, tools/, LICENSE and README.txt (the
  files below), under one top folder, with the programs executable; LICENSE
  is the repository's; the README says what to copy where, with Windows line
  ends in the Windows package.
- Every check that a package's README shows passes on that package's own
  medium, unpacked (run by the Linux package's checker).

Prints one line per fact and exits non-zero when any is wrong.
"""
import argparse
import io
import os
import re
import subprocess
import sys
import tarfile
import tempfile
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(Path(__file__).resolve().parent))
import docs_test  # noqa: E402

MEDIUM = "share/pellomar/medium"
DOC = "share/doc/pellomar"
INSTALL = {
    "bin/pellomar-check": 0o755,
    f"{MEDIUM}/autorun": 0o755,
    f"{MEDIUM}/autorun.sh": 0o755,
    f"{MEDIUM}/pellomar.ini": 0o644,
    f"{MEDIUM}/pellomar.dat": 0o644,
    f"{MEDIUM}/demo/setup.sh": 0o755,
    f"{MEDIUM}/demo/sample-app.sh": 0o755,
    "share/man/man1/pellomar-check.1": 0o644,
    "share/man/man5/pellomar.5": 0o644,
    "share/doc/pellomar/LICENSE": 0o644,
    "share/doc/pellomar/README.md": 0o644,
    "share/doc/pellomar/examples/sampleapp.ini": 0o644,
    **{f"{DOC}/docs/{page.name}": 0o644 for page in (ROOT / "docs").glob("*.md")},
}
PACKAGES = {
    "pellomar-1.01-win32.zip": {
        "LICENSE": 0o644, "README.txt": 0o644,
        "medium/pellomar.exe": 0o755, "medium/pellomar.ini": 0o644,
        "medium/pellomar.dat": 0o644, "medium/autorun.inf": 0o644,
        "medium/setup.bat": 0o644,
        "tools/pellomar-check.exe": 0o755, "tools/pellomar-check.txt": 0o644,
        "tools/pellomar.txt": 0o644,
    },
    "pellomar-1.01-linux-x86_64.tar.gz": {
        "LICENSE": 0o644, "README.txt": 0o644,
        "medium/autorun": 0o755, "medium/autorun.sh": 0o755,
        "medium/pellomar.ini": 0o644,
        "medium/pellomar.dat": 0o644, "medium/demo/setup.sh": 0o755,
        "medium/demo/sample-app.sh": 0o755,
        "tools/pellomar-check": 0o755, "tools/pellomar-check.1": 0o644,
        "tools/pellomar.5": 0o644,
    },
}
results = []


def fact(ok, text):
    results.append(ok)
    print(("ok     " if ok else "WRONG  ") + text)


def same_files(where, found, expected):
    """found and expected: {path: mode}."""
    missing = sorted(set(expected) - set(found))
    extra = sorted(set(found) - set(expected))
    fact(not missing and not extra, f"{where}: {len(expected)} files" +
         (f", missing {missing}" if missing else "") +
         (f", unexpected {extra[:10]}" if extra else "") +
         (f" and {len(extra) - 10} more" if len(extra) > 10 else ""))
    modes = [f"{p} {found[p]:o}" for p in sorted(set(found) & set(expected))
             if found[p] != expected[p]]
    fact(not modes, f"{where}: modes" + (": " + ", ".join(modes) if modes else ""))


def check_install(prefix):
    found = {str(p.relative_to(prefix)): p.stat().st_mode & 0o777
             for p in prefix.rglob("*") if p.is_file()}
    same_files("install", found, INSTALL)
    docs_test.check_links(prefix / DOC, markdown_only=True)
    fact(not docs_test.failures, "install: README.md links to every document "
         "in docs/, and they are there")
    for page in ("share/man/man1/pellomar-check.1", "share/man/man5/pellomar.5"):
        path = prefix / page
        if not path.exists():
            continue
        groff = subprocess.run(["groff", "-ww", "-z", "-man", str(path)],
                               capture_output=True, text=True)
        fact(groff.returncode == 0 and not groff.stderr,
             f"{page}: groff -ww -z -man is silent {groff.stderr.strip()}")
        shown = subprocess.run(["man", "-l", str(path)], capture_output=True,
                               text=True, env=dict(os.environ, MANWIDTH="80"))
        header = f"{path.stem.upper()}({path.suffix[1:]})"
        fact(shown.returncode == 0 and shown.stdout.startswith(header) and
             "\nNAME\n" in shown.stdout, f"{page}: man -l shows {header}")


def entries(package):
    """{path below the top folder: (mode, bytes)}, and the top folders."""
    files, tops = {}, set()
    if package.suffix == ".zip":
        with zipfile.ZipFile(package) as archive:
            for info in archive.infolist():
                top, _, rest = info.filename.partition("/")
                tops.add(top)
                if rest and not info.is_dir():
                    files[rest] = (info.external_attr >> 16 & 0o777,
                                   archive.read(info))
    else:
        with tarfile.open(package) as archive:
            for member in archive.getmembers():
                top, _, rest = member.name.partition("/")
                tops.add(top)
                if member.isfile():
                    files[rest] = (member.mode & 0o777,
                                   archive.extractfile(member).read())
    return files, tops


def check_package(folder, name, expected):
    package = folder / name
    if not package.exists():
        fact(False, f"{name} exists")
        return None
    files, tops = entries(package)
    stem = name.removesuffix(".zip").removesuffix(".tar.gz")
    fact(tops == {stem}, f"{name}: one top folder {sorted(tops)}")
    same_files(name, {p: m for p, (m, _) in files.items()}, expected)
    licence = files.get("LICENSE", (0, b""))[1]
    fact(licence == (ROOT / "LICENSE").read_bytes(), f"{name}: LICENSE")
    readme = files.get("README.txt", (0, b""))[1]
    fact(b"medium/" in readme and b"tools/" in readme and
         b"What to copy where" in readme, f"{name}: README.txt says what to copy where")
    crlf = name.endswith(".zip")
    fact(all(line.endswith(b"\r") == crlf for line in readme.split(b"\n")[:-1]),
         f"{name}: README.txt has {'Windows' if crlf else 'Unix'} line ends")
    return files


def unpack(files, folder):
    for path, (mode, data) in files.items():
        target = folder / path
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
        target.chmod(mode)


# A command line of a README that runs the checker on a folder.
README_CHECK = re.compile(r"\s+tools/pellomar-check(?:\.exe)? (.*) (?:FOLDER|medium)"
                          r"(?: > \S+)?\s*$")


def check_readme_steps(packages):
    """Every check that a package's README shows passes on that package's
    own medium, run by the Linux package's checker."""
    linux = next(files for name, files in packages.items() if "linux" in name)
    with tempfile.TemporaryDirectory(prefix="pellomar-layout-") as tmp:
        tools = Path(tmp) / "linux"
        unpack(linux, tools)
        env = dict(os.environ, XDG_CONFIG_HOME=str(Path(tmp) / "config"))
        for name, files in packages.items():
            root = Path(tmp) / name
            unpack(files, root)
            readme = files.get("README.txt", (0, b""))[1].decode("utf-8")
            checks = [m.group(1).split() for m in
                      map(README_CHECK.match, readme.splitlines()) if m]
            fact(len(checks) >= 3, f"{name}: README.txt shows the checks")
            for options in checks:
                run = subprocess.run([str(tools / "tools/pellomar-check"),
                                      *options, str(root / "medium")],
                                     capture_output=True, text=True, env=env)
                said = "" if run.returncode == 0 else (
                    f": exit {run.returncode} {run.stdout.strip()[-2000:]}"
                    f"{run.stderr.strip()}")
                fact(run.returncode == 0, f"{name}: the README's check "
                     f"{' '.join(options)} passes on its medium{said}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--install", type=Path, required=True,
                        help="the prefix given to cmake --install")
    parser.add_argument("--packages", type=Path, required=True,
                        help="the folder of the packages")
    args = parser.parse_args()
    check_install(args.install)
    packages = {}
    for name, expected in PACKAGES.items():
        files = check_package(args.packages, name, expected)
        if files is not None:
            packages[name] = files
    if len(packages) == len(PACKAGES):
        check_readme_steps(packages)
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
