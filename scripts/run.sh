#!/usr/bin/env bash
# Builds Dorvana and starts it. A new database is made beside the program
# when none is there; an existing one is never touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build.sh
if [ ! -e build/app/dorvana.MDB ]; then
  build/app/dorvana-newdb build/app/dorvana.MDB
fi
exec build/app/dorvana "$@"
