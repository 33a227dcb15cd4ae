#!/usr/bin/env bash
# Proves the test suite catches real faults: applies each fault of scripts/mutations.txt, one at a
# time, to a scratch copy of the work tree, rebuilds it (default preset, incremental, through
# ccache), runs the whole CTest suite and reports whether a test failed (CAUGHT) or not
# (SURVIVED). Not part of CI: a full run takes a quarter of an hour on two idle cores. Faults in
# the Win32 backend (src/framework/win32/) are built with the windows-cross preset instead and
# checked by the GUI tests under Wine on a virtual display.
#
#   scripts/mutation-check.sh [--anchors] [ID...]
#
# IDs pick a subset; --anchors only checks that every fault's original text is still there.
# The scratch copy and its build live in build/mutation (ISP_MUTATION_DIR); they are reused, so a
# second run rebuilds only what changed. Per-fault logs go to build/mutation/logs.
# Exit status: 0 when every fault was caught; 1 when one survived, no longer applies (STALE: its
# text is not found exactly once) or does not compile (INVALID); 2 on a usage or set-up error.
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
faults_file=$repo/scripts/mutations.txt
work=${ISP_MUTATION_DIR:-$repo/build/mutation}
tree=$work/tree
logs=$work/logs
jobs=${ISP_MUTATION_JOBS:-2}
export QT_QPA_PLATFORM=offscreen

anchors_only=0
if [ "${1:-}" = "--anchors" ]; then
  anchors_only=1
  shift
fi

# The fault list as NUL-separated fields (id, file, original, replacement, description), escapes
# resolved: "\|" is "|", "\n" a line break, "\\" a backslash.
parse_faults() {
  perl -ne '
    chomp; next if /^\s*(#|$)/;
    my @f = map { s/^\s+|\s+$//gr } split /(?<!\\)\|/, $_, -1;
    die "$ARGV:$.: expected 5 fields, found " . scalar(@f) . "\n" unless @f == 5;
    for (@f) { s/\\(\\|\||n)/$1 eq "n" ? "\n" : $1/ge }
    print join("\0", @f), "\0";
  ' "$faults_file"
}

parsed=$(mktemp)
parse_faults >"$parsed" || { rm -f "$parsed"; exit 2; }
ids=() files=() originals=() replacements=() descriptions=()
while IFS= read -r -d '' id && IFS= read -r -d '' file && IFS= read -r -d '' original &&
  IFS= read -r -d '' replacement && IFS= read -r -d '' description; do
  ids+=("$id") files+=("$file") originals+=("$original") replacements+=("$replacement")
  descriptions+=("$description")
done <"$parsed"
rm -f "$parsed"
[ "${#ids[@]}" -gt 0 ] || { echo "no faults read from $faults_file" >&2; exit 2; }

duplicate=$(printf '%s\n' "${ids[@]}" | sort | uniq -d | head -n 1)
[ -z "$duplicate" ] || { echo "fault id $duplicate is defined twice" >&2; exit 2; }

selected=()
if [ $# -eq 0 ]; then
  selected=("${!ids[@]}")
else
  for want in "$@"; do
    found=
    for i in "${!ids[@]}"; do
      [ "${ids[$i]}" = "$want" ] && found=$i
    done
    [ -n "$found" ] || { echo "unknown fault id: $want" >&2; exit 2; }
    selected+=("$found")
  done
fi

# How often TEXT occurs in FILE (exact bytes, overlaps not counted).
occurrences() {
  perl -0777 -ne 'BEGIN { $t = shift } $n = () = /\Q$t\E/g; print $n' "$1" "$2" 2>/dev/null || echo 0
}

# Replaces the one occurrence of ORIGINAL in FILE by REPLACEMENT (a fresh modification time).
replace_once() {
  perl -0777 -i -pe 'BEGIN { ($o, $r) = splice @ARGV, 1, 2 } s/\Q$o\E/$r/' "$1" "$2" "$3"
}

anchor_state() {  # prints ok, or why the fault no longer applies
  local i=$1 base=${2:-$repo}
  local path=$base/${files[$i]}
  if [ ! -f "$path" ]; then
    echo "file missing"
  elif [ "${originals[$i]}" = "${replacements[$i]}" ]; then
    echo "replacement equals original"
  else
    local n
    n=$(occurrences "${originals[$i]}" "$path")
    [ "$n" = 1 ] && echo ok || echo "original text found $n times"
  fi
}

report_line() {  # id, status, file, description
  printf '%-26s %-9s %-38s %s\n' "$1" "$2" "$3" "$4"
}

if [ "$anchors_only" = 1 ]; then
  status=0
  for i in "${selected[@]}"; do
    state=$(anchor_state "$i")
    if [ "$state" != ok ]; then
      report_line "${ids[$i]}" STALE "${files[$i]}" "$state"
      status=1
    fi
  done
  [ "$status" = 0 ] && echo "all ${#selected[@]} anchors found exactly once"
  exit "$status"
fi

# The scratch copy: every tracked file and every new one not ignored, copied only when its
# content differs, so unchanged files keep their time stamps and the rebuild stays incremental.
# A copied file gets a fresh time stamp, never an older one than its object.
sync_tree() {
  mkdir -p "$tree" "$logs"
  local list=$work/files.list
  git -C "$repo" ls-files -co --exclude-standard -z | tr '\0' '\n' | sort >"$list"
  while IFS= read -r f; do
    [ -f "$repo/$f" ] || continue
    if ! cmp -s "$repo/$f" "$tree/$f"; then
      mkdir -p "$(dirname "$tree/$f")"
      cp "$repo/$f" "$tree/$f"
    fi
  done <"$list"
  # Files gone from the work tree go from the copy as well (the build directory stays).
  (cd "$tree" && find . -path ./build -prune -o -type f -print | sed 's|^\./||' | sort) |
    comm -23 - "$list" | while IFS= read -r f; do rm -f "$tree/$f"; done
}

preset=default
preset_for() {  # the preset a fault in this file is checked with
  case "$1" in
    src/framework/win32/*) echo windows-cross ;;
    *) echo default ;;
  esac
}

build_tree() {  # log file; the build's exit status
  {
    if [ ! -f "$tree/build/$preset/build.ninja" ]; then
      # Benchmarks take no part in the suite; leaving them out saves links for every fault.
      (cd "$tree" && cmake --preset "$preset" -DISP_BUILD_BENCHMARKS=OFF) || return 1
    fi
    cmake --build "$tree/build/$preset" -j "$jobs"
  } >>"$1" 2>&1
}

run_suite() {  # log file; the suite's exit status. A hanging test fails through the timeout.
  if [ "$preset" = windows-cross ]; then
    export WINEDEBUG=-all WINEPREFIX=$tree/build/windows-cross/wineprefix
    [ -f "$WINEPREFIX/system.reg" ] || wineboot --init >/dev/null 2>&1
    (cd "$tree" && xvfb-run -a ctest --preset windows-cross -L gui -j "$jobs" --timeout 120 \
      --stop-on-failure) >>"$1" 2>&1
    return
  fi
  (cd "$tree" && ctest --preset default -j "$jobs" --timeout 120 --stop-on-failure) >>"$1" 2>&1
}

# Put back the file under mutation, whatever ends the run (Ctrl-C included).
applied=
restore() {
  if [ -n "$applied" ]; then
    cp "$work/original" "$applied"
    applied=
  fi
}
trap 'restore' EXIT
trap 'restore; echo; echo "interrupted" >&2; exit 130' INT TERM

sync_tree
needed_presets=$(for i in "${selected[@]}"; do preset_for "${files[$i]}"; done | sort -u)
for preset in $needed_presets; do
  echo "Building and testing the unchanged copy in $tree ($preset) ..."
  : >"$logs/baseline-$preset.log"
  if ! build_tree "$logs/baseline-$preset.log" || ! run_suite "$logs/baseline-$preset.log"; then
    echo "The unchanged copy does not build or pass its tests; see $logs/baseline-$preset.log" >&2
    exit 2
  fi
done

caught=0 survived=0 stale=0 invalid=0
results=()
started=$SECONDS
for i in "${selected[@]}"; do
  id=${ids[$i]} file=${files[$i]}
  preset=$(preset_for "$file")
  log=$logs/$id.log
  : >"$log"
  state=$(anchor_state "$i" "$tree")
  if [ "$state" != ok ]; then
    status=STALE
    stale=$((stale + 1))
    echo "$state" >>"$log"
  else
    cp "$tree/$file" "$work/original"
    applied=$tree/$file
    replace_once "$applied" "${originals[$i]}" "${replacements[$i]}"
    if ! build_tree "$log"; then
      status=INVALID
      invalid=$((invalid + 1))
    elif run_suite "$log"; then
      status=SURVIVED
      survived=$((survived + 1))
    else
      status=CAUGHT
      caught=$((caught + 1))
    fi
    restore
  fi
  line=$(report_line "$id" "$status" "$file" "${descriptions[$i]}")
  results+=("$line")
  echo "$line"
done

echo
echo "== Mutation check: ${#selected[@]} faults in $(((SECONDS - started) / 60)) min"
printf '%s\n' "${results[@]}"
echo "caught $caught, survived $survived, stale $stale, invalid $invalid (logs: $logs)"
[ $((survived + stale + invalid)) -eq 0 ]
