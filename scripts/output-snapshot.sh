#!/usr/bin/env bash
# Writes what a zefweb program shows of a set of pages into a folder: the
# --dump and the --render picture of each at widths 800 and 400, its --text
# and its --tokens. Two snapshots of the same pages, taken before and after a
# change that must not change the output, are compared with compare.
#
#     scripts/output-snapshot.sh ZEFWEB OUT [DOC_PAGES]
#     scripts/output-snapshot.sh compare OLD NEW
#
# The pages: tests/pages, samples, the generated benchmark pages and the
# first DOC_PAGES (300) HTML pages under /usr/share/doc.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

if [[ ${1:-} == compare ]]; then
  old=$2 new=$3 differing=0
  for file in "$old"/*; do
    name=$(basename "$file")
    if ! cmp -s "$file" "$new/$name"; then
      echo "differs: $name"
      differing=$((differing + 1))
    fi
  done
  echo "$(find "$old" -type f | wc -l) outputs compared, $differing differ"
  exit $((differing > 0))
fi

zefweb=$(realpath "$1")
out=$2
doc_pages=${3:-300}
mkdir -p "$out"
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT

shared=${ZEF_SHARED_DIR:-}
folder=$root
while [[ -z $shared ]]; do
  folder=$(cd "$folder/.." && pwd)
  if [[ -f $folder/shared/bench/gen_corpus.py || $folder == / ]]; then
    shared=$folder/shared
  fi
done
if [[ -f $shared/bench/gen_corpus.py ]]; then
  python3 "$shared/bench/gen_corpus.py" --out "$pages/generated" >/dev/null
fi

list=$pages/list
{
  ls "$root"/tests/pages/*.html "$root"/samples/*.htm "$root"/samples/*.html
  ls "$pages"/generated/*.html 2>/dev/null || true
} >"$list"
find /usr/share/doc -name '*.html' -type f -size -2M 2>/dev/null | sort >"$pages/doc-pages" || true
head -n "$doc_pages" "$pages/doc-pages" >>"$list"

export QT_QPA_PLATFORM=offscreen
count=0
while IFS= read -r page; do
  key=$(printf '%s' "$page" | sed "s|^$root/||; s|^$pages/||; s|[/ ]|_|g")
  # Includes and pictures are found from the page's folder; the date is fixed.
  (
    cd "$(dirname "$page")"
    for width in 800 400; do
      "$zefweb" --dump "$page" --width "$width" --date "01/01/2000 12:00:00" >"$out/$key.$width.dump" 2>&1 || true
      if ! "$zefweb" --render "$page" --output "$out/$key.$width.png" --width "$width" --full \
          --date "01/01/2000 12:00:00" >/dev/null 2>&1; then
        "$zefweb" --render "$page" --output "$out/$key.$width.png" --width "$width" \
          --date "01/01/2000 12:00:00" >/dev/null 2>&1 || true
      fi
    done
    "$zefweb" --text "$page" --date "01/01/2000 12:00:00" >"$out/$key.txt" 2>&1 || true
    "$zefweb" --tokens "$page" >"$out/$key.tokens" 2>&1 || true
  )
  count=$((count + 1))
done <"$list"
echo "$count pages written to $out"
