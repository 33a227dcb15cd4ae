#!/usr/bin/env bash
# Installs what is needed, builds, and starts isp8252-sim (the programmer on a simulated chip)
# from the build's bin directory, where hex-bin sits beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then
  bash scripts/install-deps.sh
else
  sudo bash scripts/install-deps.sh
fi

cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target isp8252-sim hex-bin
cd build/default/bin
exec ./isp8252-sim
