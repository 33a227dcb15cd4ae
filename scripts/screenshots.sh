#!/usr/bin/env bash
# Photographs the simulated window program's main window on both backends, for the README:
# docs/screenshots/main-window-qt.png (Qt Widgets, Linux) and main-window-win32.png (the Win32
# backend under Wine). Runs on a virtual display with a window manager, so the pictures carry a
# real frame and caption. Needs the default and windows-cross builds (isp8252-sim and
# isp8252-sim.exe) and the packages of scripts/install-deps.sh (with --windows).
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
mkdir -p "$out"

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 1
openbox >/dev/null 2>&1 &
started+=($!)
sleep 1

# shoot NAME FILE COMMAND...: starts the program, waits (bounded) for its window and saves the
# window with its frame.
shoot() {
  local name=$1 file=$2; shift 2
  "$@" >/dev/null 2>&1 &
  started+=($!)
  local id=""
  for _ in $(seq 1 60); do
    id=$(xdotool search --name "^${name}\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "no window \"$name\" appeared" >&2; exit 1; }
  sleep 2   # let it paint
  import -window "$id" -frame "$out/$file"
  kill "${started[-1]}" 2>/dev/null || true
  echo "$out/$file"
}

QT_QPA_PLATFORM=xcb shoot AT89S8252 main-window-qt.png build/default/bin/isp8252-sim

export WINEDEBUG=-all WINEPREFIX=$PWD/build/windows-cross/wineprefix
[ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
shoot AT89S8252 main-window-win32.png wine build/windows-cross/bin/isp8252-sim.exe
wineserver -k 2>/dev/null || true
