#!/usr/bin/env bash
# Installs what is needed, builds, and starts isp8252-sim (the programmer on a simulated chip)
# from the build's bin directory, where hex-bin sits beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target isp8252-sim hex-bin
cd build/default/bin
exec ./isp8252-sim
