#!/bin/sh
# The page index against grep on the HTML files under /usr/share/doc (or the
# folder given), in one run: a query against one `grep -Rli WORD` pass, an
# update of an unchanged index against one pass, the first indexing against
# five passes, and the index size against half the HTML it covers. A query
# is timed with the snippets of its first 20 hits (as `--search` prints them)
# and as ranking alone (as the window lists its hits before making the
# snippets of the rows in view).
# With a BEFORE build (of an older version, its search_times built), both
# are timed in the same run against the same grep pass.
# Usage: bench/search.sh [BUILD] [WORD] [SOURCE] [BEFORE]
set -eu

build=${1:-build}
word=${2:-memory}
source=${3:-/usr/share/doc}
before=${4:-}
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

# The ratios of one build's times; a figure it does not print shows as "-".
ratios() {
    "$1/bench/search_times" "$site" "$word" 200 >"$site.times"
    value() { sed -n "s/^$1 //p" "$site.times"; }
    ratio() { [ -n "$2" ] && echo "scale=$3; $1 / $2" | bc || echo "-"; }
    echo "== $1"
    cat "$site.times"
    echo "grep pass / query (median)    : $(ratio "$grep_ms" "$(value query-median-ms)" 1) (at least 50)"
    echo "grep pass / query (p95)       : $(ratio "$grep_ms" "$(value query-p95-ms)" 1) (at least 50; under 20 ms)"
    echo "grep pass / ranking (median)  : $(ratio "$grep_ms" "$(value ranking-median-ms)" 1)"
    echo "unchanged update / grep pass  : $(ratio "$(value unchanged-update-ms)" "$grep_ms" 2) (at most 1)"
    echo "first indexing / grep pass    : $(ratio "$(value first-index-ms)" "$grep_ms" 2) (at most 5)"
    echo "index / HTML bytes            : $(ratio "$(value index-bytes)" "$(value page-bytes)" 2) (at most 0.5)"
    rm -f "$site.times"
}
[ -z "$before" ] || ratios "$before"
ratios "$build"
