#!/usr/bin/env bash
# Starts zefweb on a page under the virtual X server of xvfb-run, clicks the
# link of the page and checks that the caption and the page have changed.
# Usage (under xvfb-run): xvfb_click_test.sh ZEFWEB PAGES_FOLDER WORK_FOLDER
set -euo pipefail

program=$1
pages=$2
work=$3
mkdir -p "$work"
# The suite runs on the offscreen platform; this test needs the real X server.
export QT_QPA_PLATFORM=xcb
rm -f "$work"/*.png

"$program" "$pages/depart.htm" >"$work/zefweb.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Waits (at most thirty seconds: a loaded machine starts the program slowly)
# until the main window carries the caption.
wait_for_caption() {
  local wanted=$1
  for _ in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || fail "zefweb ended early: $(cat "$work/zefweb.log")"
    window=$(xdotool search --name "^Zef Web" 2>/dev/null | head -n 1 || true)
    if [[ -n "$window" && "$(xdotool getwindowname "$window")" == "$wanted" ]]; then
      return 0
    fi
    sleep 0.1
  done
  fail "the caption never became '$wanted' (it is '$(xdotool getwindowname "${window:-0}" 2>/dev/null || true)')"
}

# The pixels of the page area: below the menus, tool bar and address box.
page_pixels() {
  import -window root "$work/$1.png"
  convert "$work/$1.png" -crop 400x150+20+110 +repage rgb:- | md5sum
}

wait_for_caption "Zef Web - Depart"
sleep 0.5
before=$(page_pixels before)

# The heading link is the first line of the page.
xdotool mousemove --window "$window" 120 118 click 1
wait_for_caption "Zef Web - Arrivee"
# The new page is painted soon after the caption changes; a loaded machine
# may take a while.
for _ in $(seq 1 30); do
  sleep 0.5
  after=$(page_pixels after)
  if [[ "$before" != "$after" ]]; then
    echo "caption and page changed"
    exit 0
  fi
done
fail "the page looks the same after the click"
