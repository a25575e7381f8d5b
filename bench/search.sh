#!/bin/sh
# The page index against grep on the HTML files under /usr/share/doc (or the
# folder given), in one run: a query against one `grep -Rli WORD` pass, an
# update of an unchanged index against one pass, the first indexing against
# five passes, and the index size against half the HTML it covers. A query
# is timed with the snippets of its first 20 hits (as `--search` prints them)
# and as ranking alone (as the window lists its hits before making the
# snippets of the rows in view).
# Usage: bench/search.sh [BUILD] [WORD] [SOURCE]
set -eu

build=${1:-build}
word=${2:-memory}
source=${3:-/usr/share/doc}
cmake --build "$build" --target search_times >/dev/null

# The same files for both: links to the HTML pages only.
site=$(mktemp -d)
trap 'rm -rf "$site"' EXIT
find "$source" -type f \( -iname '*.htm' -o -iname '*.html' \) | while read -r page; do
    link="$site/$(echo "$page" | sed 's|^/||; s|/|_|g')"
    ln -s "$page" "$link"
done
echo "pages: $(ls "$site" | wc -l)"

# The median of five grep passes, in milliseconds, the files warm in the
# cache (an uncounted pass reads them first).
grep -Rli -- "$word" "$site" >/dev/null || true
grep_ms=$(for i in 1 2 3 4 5; do
    start=$(date +%s%N); grep -Rli -- "$word" "$site" >/dev/null || true; end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
done | sort -n | sed -n 3p)
grep_ms=$(echo "scale=3; $grep_ms / 1000" | bc)
echo "grep-pass-ms $grep_ms"

"$build/bench/search_times" "$site" "$word" 200 | tee "$site.times"
value() { sed -n "s/^$1 //p" "$site.times"; }
echo "grep pass / query (median)    : $(echo "scale=1; $grep_ms / $(value query-median-ms)" | bc) (at least 50)"
echo "grep pass / query (p95)       : $(echo "scale=1; $grep_ms / $(value query-p95-ms)" | bc) (at least 50; under 20 ms)"
echo "grep pass / ranking (median)  : $(echo "scale=1; $grep_ms / $(value ranking-median-ms)" | bc)"
echo "unchanged update / grep pass  : $(echo "scale=2; $(value unchanged-update-ms) / $grep_ms" | bc) (at most 1)"
echo "first indexing / grep pass    : $(echo "scale=2; $(value first-index-ms) / $grep_ms" | bc) (at most 5)"
echo "index / HTML bytes            : $(echo "scale=2; $(value index-bytes) / $(value page-bytes)" | bc) (at most 0.5)"
rm -f "$site.times"
