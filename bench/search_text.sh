#!/bin/sh
# Sets the text the page index reads from each page against what
# `zefweb --text` copies from it, white space left out of both (the index
# reads paragraphs whole, a copy line by line), on the HTML and text files
# under /usr/share/doc (or the folder given). Prints each page that differs
# and the count; exit code 1 when one does.
# Usage: bench/search_text.sh [BUILD] [SOURCE]
set -eu

build=${1:-build}
source=${2:-/usr/share/doc}
cmake --build "$build" --target page_text zefweb >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pages=0
differ=0
find "$source" -type f \( -iname '*.htm' -o -iname '*.html' -o -iname '*.txt' \) >"$work/list"
while read -r page; do
    pages=$((pages + 1))
    case "$page" in
    *.[tT][xX][tT]) as=text ;;
    *) as=html ;;
    esac
    "$build/zefweb" --text "$page" --as "$as" 2>/dev/null | tr -d ' \t\r\n' >"$work/copied" || true
    "$build/bench/page_text" "$page" | sed '$d' | tr -d ' \t\r\n' >"$work/indexed"
    if ! cmp -s "$work/copied" "$work/indexed"; then
        differ=$((differ + 1))
        echo "differs: $page"
    fi
done <"$work/list"
echo "pages: $pages, differing: $differ"
[ "$differ" -eq 0 ]
