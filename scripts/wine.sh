#!/usr/bin/env bash
# Runs a Windows console program under Wine, headless: no display, no Wine
# debug output, no add-on downloads, and a Wine prefix of its own
# (WINEPREFIX, by default build-windows/wine-prefix) so that a user's ~/.wine
# is neither used nor changed.
#
#   scripts/wine.sh PROGRAM.exe [ARGS...]   runs it; its exit status is the program's
#   scripts/wine.sh --prepare               creates the prefix and keeps a Wine server
#                                           running between the runs that follow
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

find_program() {
  local p
  for p in "$@"; do
    if command -v "$p" >/dev/null 2>&1; then command -v "$p"; return 0; fi
    if [ -x "$p" ]; then echo "$p"; return 0; fi
  done
  echo "wine.sh: no Wine found (install wine64)" >&2
  return 1
}

wine=$(find_program wine wine64 /usr/lib/wine/wine64)
wineserver=$(find_program wineserver /usr/lib/wine/wineserver /usr/lib/wine/wineserver64)

export WINEPREFIX="${WINEPREFIX:-$root/build-windows/wine-prefix}"
export WINEDEBUG=-all
# The prefix would otherwise offer to download Mono and Gecko, which console
# programs never need.
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY

prepare() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
    "$wineserver" --wait
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine.sh: cannot create $WINEPREFIX" >&2; exit 1; }
  fi
  # A server that outlives each program by a minute saves every run its
  # start-up; it ends by itself.  One already running (exit status 2) serves
  # as well.  The server keeps no descriptor of ours: a caller reading this
  # script's output through a pipe would otherwise wait for the server's end.
  "$wineserver" --persistent=60 </dev/null >/dev/null 2>&1 || [ $? -eq 2 ]
}

if [ "${1:-}" = "--prepare" ]; then
  prepare
  exit 0
fi
[ -f "$WINEPREFIX/system.reg" ] || prepare
exec "$wine" "$@"
