#!/usr/bin/env bash
# Prints the test suite's size against the program's: non-blank, non-comment C++ lines in files
# under a tests/ directory against those in every other C++ file of the work tree (tracked files
# and new ones not ignored). Fails when the tests exceed LIMIT percent of the program
# (argument, else ISP_SHARE_LIMIT, else 55).
set -euo pipefail
cd "$(dirname "$0")/.."

limit=${1:-${ISP_SHARE_LIMIT:-55}}
case "$limit" in
  '' | *[!0-9]*) echo "usage: $0 [LIMIT_PERCENT]" >&2; exit 2 ;;
esac

cxx='\.(c|cc|cpp|cxx|h|hh|hpp)$'
count() {
  git ls-files -co --exclude-standard | grep -E "$cxx" | grep -E "$1" | grep -Ev "$2" \
    | xargs -r -d '\n' cat | grep -cEv '^\s*($|//|/\*|\*)' || true
}
tests=$(count '^(tests?|.*/tests?)/' '^$x')
program=$(count '.' '^(tests?|.*/tests?|third_party)/')

share=$((tests * 100 / (program > 0 ? program : 1)))
echo "Test lines:    $tests"
echo "Program lines: $program"
echo "Share:         $share% (limit $limit%)"
if [ "$share" -gt "$limit" ]; then
  echo "The tests exceed $limit% of the program's lines." >&2
  exit 1
fi
