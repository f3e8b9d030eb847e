"""Reads an `strace -f` log of a launcher run and lists what it wrote.

Only the launcher's own processes count: the first program in the log is the
launcher; a process that then executes another program (a started setup or
application), and every process that one makes, is left out. Counted as
writing: opening for writing, appending, creating or truncating, and
creating, renaming, linking, deleting or changing files and folders.
"""
import re

LINE = re.compile(r"^(\d+)\s+(\w+)\((.*)$")
WRITE_FLAGS = ("O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND")
CHANGING = {"creat", "rename", "renameat", "renameat2", "unlink", "unlinkat",
            "mkdir", "mkdirat", "rmdir", "link", "linkat", "symlink",
            "symlinkat", "truncate", "ftruncate", "chmod", "fchmod",
            "fchmodat", "chown", "fchown", "lchown", "fchownat", "utime",
            "utimes", "utimensat", "futimesat", "mknod", "mknodat"}


def writes(log_text):
    launcher_seen = False
    foreign = set()
    found = []
    for raw in log_text.splitlines():
        match = LINE.match(raw)
        if not match:
            continue
        pid, call, rest = match.groups()
        failed = re.search(r"\)\s+=\s+-1\b", rest) is not None
        if call in ("clone", "clone3", "fork", "vfork") and pid in foreign:
            child = re.search(r"=\s+(\d+)\s*$", rest)
            if child:
                foreign.add(child.group(1))
            continue
        if call == "execve" and not failed:
            if launcher_seen:
                foreign.add(pid)
            launcher_seen = True
            continue
        if pid in foreign or failed:
            continue
        if call in ("open", "openat", "openat2"):
            if any(flag in rest for flag in WRITE_FLAGS):
                found.append(raw)
        elif call in CHANGING:
            found.append(raw)
    return found
