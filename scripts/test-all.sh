#!/usr/bin/env bash
# Checks the test share, installs what is needed, builds every configuration and runs the whole
# test suite: the normal build, AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer
# (widget-free tests: Qt's own locking is not instrumented), a bounded fuzzing run of the
# firmware parser, and the Windows build with its tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

# The suite's size against the program's comes first: over the limit the run fails before
# anything is built. The limit is test-share.sh's default, 55% (the suite is kept at or below 50%).
echo "=== test share"
bash scripts/test-share.sh

bash scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

# run_preset PRESET [--target T] [ctest options...]
run_preset() {
  local preset=$1; shift
  local target=()
  if [ "${1:-}" = --target ]; then target=(--target "$2"); shift 2; fi
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs" "${target[@]}"
  echo "=== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs" --timeout 600 "$@"
}

run_preset default
run_preset asan-ubsan
# Only the widget-free executables are built here; CTest stands in a failing *_NOT_BUILT case
# for each widget test executable, which this run leaves out with the widget tests themselves.
run_preset tsan --target isp_widget_free_tests -LE gui -E '_NOT_BUILT$'

echo "=== fuzz: firmware parser"
bash scripts/fuzz.sh "${ISP_FUZZ_SECONDS:-60}"

# Windows: the window programs over the Win32 backend, the command line, the converter and every
# test area (the GUI tests against the Win32 backend), cross-compiled with MinGW-w64 and run
# under Wine, in a Wine prefix of the build's own.
echo "=== windows-cross: install, configure and build"
bash scripts/install-deps.sh --windows
windows_start=$SECONDS
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross -j "$jobs"
export WINEDEBUG=-all WINEPREFIX=$PWD/build/windows-cross/wineprefix
[ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
# A new prefix goes on setting itself up after wineboot returns; a window test started meanwhile
# can find its dialog not yet made. Wait until every Wine process of the prefix has ended.
wineserver --wait
echo "=== windows-cross: tests under Wine"
# The Win32 window programs' tests run on a virtual display of their own (xvfb-run picks a free
# one); the rest need none.
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset windows-cross -j "$jobs" --timeout 600
wineserver --wait
echo "=== windows-cross: $((SECONDS - windows_start)) s"
