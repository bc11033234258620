#!/usr/bin/env bash
# Takes docs/screenshot.png: Quillo on a sample catalogue, in a virtual X display.
# Usage: scripts/screenshot.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
command -v import >/dev/null || apt-get install -y -q --no-install-recommends imagemagick >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program keeps its database beside itself, so it runs from a copy in a folder
# that holds the sample catalogue.
cp "$build/src/app/quillo" "$work/"
"$build/bench/quillo-bench" --db "$work/book.db" --books 300 --generate-only

xvfb-run -a -s "-screen 0 1024x768x24" bash -c "
  '$work/quillo' & pid=\$!
  sleep 3
  import -window root '$work/shot.png'
  kill \$pid
"
convert "$work/shot.png" -trim +repage docs/screenshot.png
echo "wrote docs/screenshot.png"
