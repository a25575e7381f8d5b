#!/bin/sh
# Compares zefweb --bench with QTextDocument (qt_document_compare) on the
# generated benchmark pages at width 800, and prints the ratios.
#
#     bench/compare.sh [BUILD_FOLDER] [REPEAT]
#
# Goals: build + layout + paint-top at least 3 times faster than
# QTextDocument on every page; paint-bottom within 1.2 times paint-top; peak
# memory below QTextDocument's.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
repeat=${2:-5}
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT
# The generator is in shared/bench beside the repository, or beside a folder
# above it (a worktree), unless ZEF_SHARED_DIR names the shared folder.
shared=${ZEF_SHARED_DIR:-}
folder=$here/..
while [ -z "$shared" ]; do
  folder=$(cd "$folder/.." && pwd)
  if [ -f "$folder/shared/bench/gen_corpus.py" ] || [ "$folder" = / ]; then
    shared=$folder/shared
  fi
done
python3 "$shared/bench/gen_corpus.py" --out "$pages" >/dev/null

value() { awk -v key="$1" '$1 == key { print $2 }' "$2"; }

printf '%-12s %10s %10s %7s %12s %12s %7s %9s %9s\n' page zef-ms qt-ms speedup paint-top paint-bottom ratio zef-mb qt-mb
for page in "$pages"/*.html; do
  name=$(basename "$page")
  "$build/zefweb" --bench "$page" --width 800 --repeat "$repeat" >"$pages/zef.txt" 2>/dev/null
  "$build/bench/qt_document_compare" "$page" --width 800 --repeat "$repeat" >"$pages/qt.txt" 2>/dev/null
  zef=$(awk '$1 == "build" || $1 == "layout" || $1 == "paint-top" { s += $2 } END { print s }' "$pages/zef.txt")
  qt=$(awk '$1 == "build" || $1 == "layout" || $1 == "paint-top" { s += $2 } END { print s }' "$pages/qt.txt")
  top=$(value paint-top "$pages/zef.txt")
  bottom=$(value paint-bottom "$pages/zef.txt")
  awk -v n="$name" -v z="$zef" -v q="$qt" -v t="$top" -v b="$bottom" \
      -v zm="$(value peak-mb "$pages/zef.txt")" -v qm="$(value peak-mb "$pages/qt.txt")" \
      'BEGIN { printf "%-12s %10.1f %10.1f %7.2f %12.2f %12.2f %7.2f %9.1f %9.1f\n", n, z, q, q / z, t, b, b / t, zm, qm }'
done
