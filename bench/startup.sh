#!/bin/sh
# Times start-up as a user meets it: from the command to the window on the
# screen with the page in it, for zefweb and, when installed, dillo, on the
# same page, runs taking turns. Needs an X display (Xvfb :77 & DISPLAY=:77).
#
#     bench/startup.sh [PROGRAM] [RUNS] [PAGE]
#
# Prints each program's median milliseconds and their ratio.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/zefweb}
runs=${2:-5}
page=${3:-$here/../samples/index.html}
times=$(mktemp -d)
trap 'rm -rf "$times"' EXIT

now() { date +%s%N; }

# Milliseconds until a visible window named $1 of the started program shows.
time_window() {
  name=$1
  shift
  start=$(now)
  "$@" >/dev/null 2>&1 &
  pid=$!
  xdotool search --sync --onlyvisible --pid "$pid" --name "$name" >/dev/null
  end=$(now)
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  echo $(((end - start) / 1000000))
}

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for _ in $(seq "$runs"); do
  time_window "Zef Web" "$program" "$page" >>"$times/zefweb"
  if command -v dillo >/dev/null; then
    time_window "Dillo" dillo "$page" >>"$times/dillo"
  fi
done
zef=$(median "$times/zefweb")
echo "zefweb $zef ms"
if [ -f "$times/dillo" ]; then
  peer=$(median "$times/dillo")
  echo "dillo $peer ms"
  awk -v z="$zef" -v d="$peer" 'BEGIN { printf "ratio %.2f\n", z / d }'
fi
