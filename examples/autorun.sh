#!/bin/sh
# Starts the launcher of this medium (autorun, beside this file) where it
# cannot start by itself. Linux desktops run this file with /bin/sh when the
# medium's autorun has no execute bit (FAT sticks, Joliet and plain ISO 9660
# discs), with the medium as current folder; it works from any other folder
# too. It tries, in turn:
#  1. the launcher itself, where it may be executed;
#  2. the system's dynamic loader, which runs it without an execute bit;
#  3. on a medium mounted noexec, where not even the loader may map it, a
#     private copy in the user's runtime folder, else in a fresh temporary
#     folder, removed once the launcher ends.
# PELLOMAR_MEDIUM tells the launcher where its files are (a copy runs from
# elsewhere). When nothing can start it, or the launcher is made for another
# processor than this computer's, the user is told in a box.
# Plain POSIX shell: dash, bash and busybox run it alike.

medium=$(cd "$(dirname "$0")" && pwd -P) || medium=$(pwd -P)
launcher=$medium/autorun
PELLOMAR_MEDIUM=$medium
export PELLOMAR_MEDIUM

# A box in plain words: zenity, kdialog or xmessage where a display is,
# else the terminal.
tell() {
  title="This medium cannot start"
  if [ -n "$DISPLAY$WAYLAND_DISPLAY" ]; then
    if command -v zenity >/dev/null 2>&1; then
      zenity --error --no-markup --title="$title" --text="$1" 2>/dev/null &&
        return
    fi
    if command -v kdialog >/dev/null 2>&1; then
      kdialog --title "$title" --error "$1" 2>/dev/null && return
    fi
    if [ -n "$DISPLAY" ] && command -v xmessage >/dev/null 2>&1; then
      # xmessage does not wrap lines itself.
      printf '%s\n' "$1" | fold -s -w 64 |
        xmessage -center -title "$title" -file - 2>/dev/null && return
    fi
  fi
  printf '%s: %s\n' "$title" "$1" >&2
}

# The processor a program is made for (the machine field of its ELF header),
# and the one this computer runs, as those numbers.
machine_of_file() {
  od -An -tu2 -j18 -N2 "$1" 2>/dev/null | tr -d ' \n'
}
case $(uname -m) in
  x86_64 | amd64) here=62 loader=/lib64/ld-linux-x86-64.so.2 ;;
  i?86) here=3 loader=/lib/ld-linux.so.2 ;;
  aarch64 | arm64) here=183 loader=/lib/ld-linux-aarch64.so.1 ;;
  arm*) here=40 loader=/lib/ld-linux-armhf.so.3 ;;
  riscv64) here=243 loader=/lib/ld-linux-riscv64-lp64d.so.1 ;;
  *) here=unknown loader= ;;
esac
case $(machine_of_file "$launcher") in
  "")
    tell "The start program of this medium (autorun) is missing or cannot be read. Open the medium in your file manager to install from it."
    exit 1
    ;;
  62) made_for="64-bit Intel and AMD processors (x86-64)" ;;
  3) made_for="32-bit Intel and AMD processors (x86)" ;;
  183) made_for="64-bit ARM processors (aarch64)" ;;
  *) made_for="another kind of processor" ;;
esac
if [ "$(machine_of_file "$launcher")" != "$here" ]; then
  tell "The start program of this medium is made for $made_for, but the processor of this computer is $(uname -m), so it cannot run here. Open the medium in your file manager to install from it."
  exit 1
fi

# 1. Itself (test -x also says no on a medium mounted noexec).
if [ -x "$launcher" ]; then
  exec "$launcher"
fi

# 2. Through the dynamic loader, when the loader may map it here.
if [ -n "$loader" ] && [ -x "$loader" ] &&
  "$loader" --list "$launcher" >/dev/null 2>&1; then
  exec "$loader" "$launcher"
fi

# 3. A private copy where programs may run, removed afterwards.
for place in "$XDG_RUNTIME_DIR" "${TMPDIR:-/tmp}" /tmp; do
  [ -n "$place" ] && [ -d "$place" ] && [ -w "$place" ] || continue
  copies=$(mktemp -d "$place/pellomar.XXXXXX" 2>/dev/null) || continue
  trap 'rm -rf "$copies"' EXIT
  trap 'exit 129' HUP
  trap 'exit 130' INT
  trap 'exit 143' TERM
  if cp "$launcher" "$copies/autorun" 2>/dev/null &&
    chmod 700 "$copies/autorun" && [ -x "$copies/autorun" ]; then
    "$copies/autorun"
    exit $?
  fi
  rm -rf "$copies"
  trap - EXIT HUP INT TERM
done

tell "The start program of this medium could not be started: the medium does not allow programs to run, and no folder was found where a copy of it could run. Open the medium in your file manager to install from it."
exit 1
