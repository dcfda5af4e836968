#!/usr/bin/env bash
# Configures and builds the program and its tests.
#   scripts/build.sh           -> build/          (optimised, with debug info)
#   scripts/build.sh sanitize  -> build-sanitize/ (AddressSanitizer + UndefinedBehaviorSanitizer)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = sanitize ]; then
  cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDORVANA_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j "$(nproc)"
else
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j "$(nproc)"
fi
