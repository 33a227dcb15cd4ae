#!/usr/bin/env bash
# Rebuilds the example firmware (examples/blink) with SDCC. The Intel HEX output is kept as
# blink.obj, the object-file name the programmer hands to hex-bin.
set -euo pipefail
cd "$(dirname "$0")/../examples/blink"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp blink.c "$work/"
(cd "$work" && sdcc -mmcs51 --code-size 8192 blink.c)
cp "$work/blink.ihx" blink.obj
echo "examples/blink/blink.obj rebuilt"
