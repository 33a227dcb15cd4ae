#!/usr/bin/env bash
# Programs 8 KB (12 KB on the 12 KB chips) of random data, with verify, into an erased simulated
# chip at 12 MHz, through the parallel cable and through each adapter's model, and prints the
# time against the chip's own limit. A benchmark, not a test: it measures and asserts nothing.
#
#   bench/family/family_bench.sh [BUILD_DIR]
#
# The chip's limit (what no programmer can beat at 12 MHz, the chip's minimum SCK phases and its
# self-timed cycles, the verify pass included):
#   byte mode: N x (2 x frame bits x 2 x phase + write cycle)   (write then read each byte)
#   page mode: N/P x (2 x (header + P) x 8 x 2 x phase + page cycle)
# with phase = the chip's minimum SCK phase (24 or 8 oscillator periods), write cycle 2.0 ms
# (AT89S8252, AT89S53), 64 periods + 400 us (AT89S51/S52 bytes), page cycle 0.5 ms (S51/S52) or
# 4.5 ms (AT89S8253), as the simulated chips model them.
# Parallel-port runs take real time on this machine's clock; adapter runs report the adapter
# model's time (its pin stream and 1 ms or 125 us per round trip).
set -euo pipefail
build=${1:-build/default}
cli=$build/bin/isp8252-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 8192 /dev/urandom > "$work/8k.bin"
head -c 12288 /dev/urandom > "$work/12k.bin"

# limit_s CHIP: the formula above, in seconds at 12 MHz.
limit_s() {
  awk -v chip="$1" 'BEGIN {
    f = 12e6
    if (chip == "at89s8252") { n = 8192;  ph = 24 / f; print n * (2 * 24 * 2 * ph + 2.0e-3) }
    if (chip == "at89s53")   { n = 12288; ph = 24 / f; print n * (2 * 24 * 2 * ph + 2.0e-3) }
    if (chip == "at89s52")   { n = 8192;  ph = 8 / f;  p = 256; print n / p * (2 * (2 + p) * 8 * 2 * ph + 0.5e-3) }
    if (chip == "at89s8253") { n = 12288; ph = 8 / f;  p = 64;  print n / p * (2 * (3 + p) * 8 * 2 * ph + 4.5e-3) }
  }'
}

# run CHIP PORT: one program-and-verify into an erased chip.
run() {
  local chip=$1 port=$2 file=$work/8k.bin
  case $chip in at89s53|at89s8253) file=$work/12k.bin ;; esac
  rm -f "$work/chip.bin"
  local args=(--sim="$work/chip.bin" --sim-chip="$chip" --chip="$chip" --osc=12M)
  [ "$port" = parallel ] || args+=(--port="$port")
  local start end seconds
  start=$(date +%s.%N)
  "$cli" "${args[@]}" program "$file" > "$work/out" 2> "$work/err"
  end=$(date +%s.%N)
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
  local modelled trips
  modelled=$(sed -n 's/^simulated adapter: \([0-9]*\) round trips, \([0-9.]*\) s modelled$/\2/p' "$work/err")
  trips=$(sed -n 's/^simulated adapter: \([0-9]*\) round trips.*/\1/p' "$work/err")
  [ -n "$modelled" ] && seconds=$modelled
  local limit
  limit=$(limit_s "$chip")
  printf '%-10s %-8s %-18s %8s s  limit %6.2f s  x%5.2f  %s\n' "$chip" "$port" "$(head -1 "$work/out")" \
    "$seconds" "$limit" "$(awk -v s="$seconds" -v l="$limit" 'BEGIN { print s / l }')" \
    "${trips:+$trips round trips}"
}

for chip in at89s8252 at89s52 at89s53 at89s8253; do
  for port in parallel ft232r ft232h; do
    run "$chip" "$port"
  done
done
