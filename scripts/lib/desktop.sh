# A private X display and Wine prefix for the end-to-end tests.
#
# start_display DIR: starts Xvfb on a free display, without a window manager,
#   and exports DISPLAY.
# choose_wine: finds out once whether this kernel runs 32-bit programs, by
#   starting Wine's 32-bit loader (its name says nothing: a 64-bit kernel may
#   or may not run them), and exports the choice that every Wine call of the
#   scripts and tests follows (scripts/lib/suite.py reads it for Python):
#     PELLOMAR_WINE           the command that runs a Windows program
#     PELLOMAR_WINE_32        1 when 32-bit programs run, else 0
#     PELLOMAR_WINE_SKIP_WHY  why 32-bit programs are not run (else empty)
#     PELLOMAR_WINE_NOTE      one plain line saying which path and why
#   Where 32-bit programs do not run, Debian's wine command fails (it always
#   takes the 32-bit loader once that is installed), so Wine's 64-bit loader
#   is called directly, named by WINELOADER. PELLOMAR_WINE_64_ONLY=1 takes
#   that path on a kernel that could run 32-bit programs.
# wine_runs_build ARCH: whether Wine here runs the programs of build/ARCH
#   (win32's only where 32-bit programs run); after choose_wine.
# start_wine DIR [KEEPER]: makes a fresh 64-bit prefix in DIR/prefix (with
#   WoW64 for 32-bit programs where they run) with boxes that close at once
#   (no window manager decorations) and the language set to ENU, and keeps
#   its Wine server running; exports WINEPREFIX. KEEPER, the tests' window
#   owner (tests/wine/window.cpp), keeps Wine's desktop process running too.
# stop_desktop: ends Wine's server and the display.

# Wine's two loaders on Debian: the 32-bit one (wine32:i386), which the wine
# command prefers, and the 64-bit one (wine64).
WINE_LOADER_32=/usr/lib/wine/wine
WINE_LOADER_64=/usr/lib/wine/wine64

# Trees' fixtures start side by side: two of them may pick the same free
# number at once. Only the one whose Xvfb holds the display's lock keeps it;
# the other, whose Xvfb ended, takes the next number.
start_display() {
  local root=$1 n=90 i
  while [ "$n" -lt 190 ]; do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
      XVFB_PID=$!
      for i in $(seq 100); do
        kill -0 "$XVFB_PID" 2>/dev/null || break
        if [ -e "/tmp/.X11-unix/X$n" ] &&
          [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$XVFB_PID" ]; then
          export DISPLAY=":$n"
          return 0
        fi
        sleep 0.1
      done
      kill "$XVFB_PID" 2>/dev/null || true
      wait "$XVFB_PID" 2>/dev/null || true
    fi
    n=$((n + 1))
  done
  XVFB_PID=
  echo "Xvfb did not start (see $root/xvfb.log)" >&2
  return 1
}

choose_wine() {
  [ -n "${PELLOMAR_WINE:-}" ] && return 0 # chosen once, by a calling script
  local why= out
  if [ -n "${PELLOMAR_WINE_64_ONLY:-}" ] && [ "$PELLOMAR_WINE_64_ONLY" != 0 ]; then
    why="PELLOMAR_WINE_64_ONLY=1 forces the 64-bit-only path"
  elif [ ! -x "$WINE_LOADER_32" ]; then
    why="Wine's 32-bit loader $WINE_LOADER_32 is not installed"
  elif ! out=$(export LC_ALL=C && "$WINE_LOADER_32" --version 2>&1 </dev/null); then
    case $out in
      *"Exec format error"*) why="this kernel runs no 32-bit programs" ;;
      *) why="Wine's 32-bit loader does not start (${out##*$'\n'})" ;;
    esac
  fi
  if [ -z "$why" ]; then
    export PELLOMAR_WINE=wine PELLOMAR_WINE_32=1 PELLOMAR_WINE_SKIP_WHY=
    export PELLOMAR_WINE_NOTE="this kernel runs 32-bit programs: both launchers run every scenario"
  else
    export PELLOMAR_WINE=$WINE_LOADER_64 PELLOMAR_WINE_32=0 PELLOMAR_WINE_SKIP_WHY=$why
    export WINELOADER=$WINE_LOADER_64 WINEARCH=win64
    export PELLOMAR_WINE_NOTE="$why: 32-bit runs skipped, the 64-bit launcher runs every scenario"
  fi
}

wine_runs_build() { [ "$1" != win32 ] || [ "$PELLOMAR_WINE_32" = 1 ]; }

# The keeper's window class: no scenario's application uses it.
WINE_DESKTOP_KEEPER_CLASS=PellomarDesktopKeeper

start_wine() {
  local root=$1 keeper=${2:-}
  choose_wine
  export WINEPREFIX="$root/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if ! "$PELLOMAR_WINE" wineboot -i >"$root/wineboot.log" 2>&1; then
    echo "Wine could not make a prefix ($PELLOMAR_WINE wineboot -i):" >&2
    tail -n 5 "$root/wineboot.log" >&2
    return 1
  fi
  # Wine's server shuts the prefix's own processes down two seconds after
  # its last process ends, and (Debian's wineserver starts servers with -p0)
  # then ends itself; a process that starts meanwhile, as the next run on a
  # loaded machine easily does, races that shutdown and may never run. So
  # once wineboot has settled (its processes ended, the registry written), one
  # server keeps the prefix up until stop_desktop.
  wineserver -w
  wineserver -p </dev/null >"$root/wineserver.log" 2>&1
  # Those processes (services, devices, the desktop window's) keep the
  # standard handles of the process that started them for as long as they
  # run: started here, they hold only this log, never a test's pipe. The
  # settings go first, so that the desktop reads them.
  {
    "$PELLOMAR_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    "$PELLOMAR_WINE" reg add 'HKCU\Control Panel\International' /v sLanguage /d ENU /f
    # Wine's desktop process ends a few seconds after the last program with
    # a window; the next one to make a window then starts it again and waits
    # for it, which on a loaded machine took long enough for a test's program
    # to be given up on. The keeper's hidden window keeps the desktop up
    # until stop_desktop ends the prefix's processes.
    if [ -n "$keeper" ]; then
      "$PELLOMAR_WINE" "$keeper" "$WINE_DESKTOP_KEEPER_CLASS" 0 &
    fi
    # rundll32 makes a hidden window, which starts the desktop.
    "$PELLOMAR_WINE" rundll32.exe user32.dll,GetDesktopWindow
  } </dev/null >>"$root/wineboot.log" 2>&1
}

stop_desktop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=
}
