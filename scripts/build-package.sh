#!/usr/bin/env bash
# Builds the Debian package of isp8252 (build/package/isp8252_*.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DISP_BUILD_TESTS=OFF \
      -DISP_BUILD_BENCHMARKS=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build/package -j "$(nproc)" --target isp8252 isp8252-sim isp8252-cli hex-bin
(cd build/package && cpack -G DEB)
ls -1 build/package/*.deb
