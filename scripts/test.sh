#!/usr/bin/env bash
# Builds Dorvana and runs the whole test suite offscreen, twice: a normal
# build, then a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

# The browser tests drive the generated pages in Debian's Chromium.
if [ -f tests/browser/package.json ]; then
  (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
fi

bash scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")

bash scripts/build.sh sanitize
(cd build-sanitize && LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp" QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
