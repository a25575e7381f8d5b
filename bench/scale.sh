#!/bin/sh
# Shows how the cost of showing a page grows with the page: each large input
# of bench/large_pages.py is shown at a size and at twice that size, and the
# script prints the processor seconds and the peak resident megabytes of both
# and their ratios. Linear cost keeps both ratios at or below 2.2.
#
#     bench/scale.sh [BUILD_FOLDER] [REPEAT]
#
# Each input is shown with zefweb --render (800 x 600, as the window shows it);
# the plain-text file also with --text, whose output goes to /dev/null. Times
# are processor time (user and system), the fastest of REPEAT runs (3): on a
# shared machine the time on the clock counts the waits for a processor too.
# Memory is the largest peak of the runs. Both include the fixed cost of
# starting (about 0.1 s and 30 MB), so small inputs show ratios below 2.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
repeat=${2:-3}
zefweb=$build/zefweb
[ -x "$zefweb" ] || { echo "$zefweb is missing: build the zefweb target first" >&2; exit 1; }
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT

# name  kind  small-size  unit  command
inputs='text-render text 1000000 lines render
text-copy text 1000000 lines text
br br 500000 tags render
table table 15000 rows render
paragraphs paragraphs 25 MB render
big big 1 pages render
textarea textarea 4 MB render'

. "$here/measure.sh"

printf '%-12s %-16s %9s %9s %7s %9s %9s %7s\n' input sizes small-s large-s ratio small-mb large-mb ratio
echo "$inputs" | while read -r name kind size unit command; do
  extension=html
  [ "$kind" = text ] && extension=txt
  small=$pages/$kind-small.$extension
  large=$pages/$kind-large.$extension
  [ -f "$small" ] || python3 "$here/large_pages.py" "$kind" "$size" "$small"
  [ -f "$large" ] || python3 "$here/large_pages.py" "$kind" $((size * 2)) "$large"
  set -- $(measure "$small" "$command") $(measure "$large" "$command")
  awk -v n="$name" -v z="$size $unit x2" -v ts="$1" -v ms="$2" -v tl="$3" -v ml="$4" \
      'BEGIN { printf "%-12s %-16s %9.2f %9.2f %7.2f %9.1f %9.1f %7.2f\n", n, z, ts, tl, tl / ts, ms, ml, ml / ms }'
done
