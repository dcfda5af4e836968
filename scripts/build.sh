#!/usr/bin/env bash
# Configures and builds the program and its tests.
#   scripts/build.sh           -> build/          (optimised, with debug info)
#   scripts/build.sh sanitize  -> build-sanitize/ (AddressSanitizer + UndefinedBehaviorSanitizer)
set -euo pipefail
cd "$(dirname "$0")/.."
# A developer's machine with ccache rebuilds several work trees from one cache.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
if [ "${1:-}" = sanitize ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDORVANA_SANITIZE=ON "${launcher[@]}" >/dev/null
  cmake --build build-sanitize -j "$(nproc)"
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build build -j "$(nproc)"
fi
