#!/usr/bin/env bash
# Starts the program under Xvfb and saves a picture of each tab page:
# shot-1.png (Soru sayfası) and shot-2.png (Cevap ve Sonuç Sayfası).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh xvfb xauth xdotool imagemagick
bash scripts/build.sh
[ -e build/app/dorvana.MDB ] || build/app/dorvana-newdb build/app/dorvana.MDB
xvfb-run -a -s '-screen 0 900x650x24' bash -c '
  build/app/dorvana & pid=$!
  sleep 3
  /usr/bin/import -window root shot-1.png
  xdotool key ctrl+Tab; sleep 1
  /usr/bin/import -window root shot-2.png
  kill $pid'
echo "saved shot-1.png and shot-2.png"
