# A private X display and Wine prefix for the end-to-end tests.
#
# start_display DIR: starts Xvfb on a free display, without a window manager,
#   and exports DISPLAY.
# start_wine DIR: makes a fresh WoW64 prefix in DIR/prefix (32- and 64-bit
#   programs) with boxes that close at once (no window manager decorations)
#   and the language set to ENU; exports WINEPREFIX.
# stop_desktop: ends Wine's server and the display.
start_display() {
  local root=$1 n=90 i
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$root/xvfb.log" 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for i in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && return 0; sleep 0.1; done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

start_wine() {
  local root=$1
  export WINEPREFIX="$root/prefix" WINEARCH=win64 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >"$root/wineboot.log" 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Control Panel\International' /v sLanguage /d ENU /f >/dev/null 2>&1
}

stop_desktop() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
  if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  XVFB_PID=
}
