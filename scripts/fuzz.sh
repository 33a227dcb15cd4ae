#!/usr/bin/env bash
# Fuzzes the firmware parser for SECONDS (default 60) with libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer and leak detection. Exits non-zero on any crash, leak or sanitizer
# finding; the input that caused it is left in build/fuzz/findings/.
set -euo pipefail

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build="$root/build/fuzz"

cmake --preset fuzz >/dev/null
cmake --build "$build" --target firmware_parser_fuzz -j2

# The committed seeds stay untouched: libFuzzer adds what it learns to a working copy.
work="$build/corpus"
findings="$build/findings"
mkdir -p "$work" "$findings"
cp -n "$root"/tests/fuzz/corpus/* "$work"/

log="$build/fuzz.log"
status=0
ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" \
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  "$build/bin/firmware_parser_fuzz" -max_total_time="$seconds" -detect_leaks=1 -max_len=4096 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" >"$log" 2>&1 || status=$?

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
echo "firmware_parser_fuzz: ${runs:-unknown} executions in ${seconds} s"
if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
  echo "firmware_parser_fuzz: FAILED (exit status $status); log: $log" >&2
  tail -n 40 "$log" >&2
  exit 1
fi
echo "firmware_parser_fuzz: no findings"
