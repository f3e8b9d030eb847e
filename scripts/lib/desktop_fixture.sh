#!/usr/bin/env bash
# The desktop of a build tree's tests, as CTest fixtures: tests do not share
# an environment, so what start_display and start_wine (desktop.sh) export
# is written to DIR/desktop.env, which scripts/lib/run_test.sh reads.
#   desktop_fixture.sh start DIR [--wine [KEEPER]]
#                                           Xvfb (and a fresh Wine prefix,
#                                           its desktop kept up by KEEPER)
#   desktop_fixture.sh stop DIR             ends both, drops the prefix
set -euo pipefail
cd "$(dirname "$0")/../.."
. scripts/lib/desktop.sh

# What the tests need to reach the display and the prefix, and to stop them.
DESKTOP_VARIABLES=(DISPLAY XVFB_PID WINEPREFIX WINEARCH WINEDEBUG
  WINEDLLOVERRIDES WINELOADER PELLOMAR_WINE PELLOMAR_WINE_32
  PELLOMAR_WINE_SKIP_WHY PELLOMAR_WINE_NOTE)

usage() {
  echo "usage: desktop_fixture.sh start DIR [--wine [KEEPER]] | stop DIR" >&2
  exit 2
}

start() {
  local dir=$1 with_wine=${2:-} keeper=${3:-} name
  stop "$dir"
  rm -rf "$dir" && mkdir -p "$dir"
  start_display "$dir"
  if [ "$with_wine" = --wine ]; then
    start_wine "$dir" "$keeper"
    echo "$PELLOMAR_WINE_NOTE"
  elif [ -n "$with_wine" ]; then
    usage
  fi
  for name in "${DESKTOP_VARIABLES[@]}"; do
    if [ -n "${!name+x}" ]; then printf 'export %s=%q\n' "$name" "${!name}"; fi
  done >"$dir/desktop.env"
  echo "display $DISPLAY${WINEPREFIX:+, Wine prefix $WINEPREFIX}"
}

stop() {
  local dir=$1
  [ -f "$dir/desktop.env" ] || return 0
  (
    unset WINEPREFIX XVFB_PID
    . "$dir/desktop.env"
    stop_desktop
  )
  rm -rf "$dir/prefix" "$dir/desktop.env"
}

[ $# -ge 2 ] || usage
case $1 in
  start) start "$(realpath -m "$2")" "${3:-}" "${4:-}" ;;
  stop) stop "$(realpath -m "$2")" ;;
  *) usage ;;
esac
