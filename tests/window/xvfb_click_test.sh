#!/usr/bin/env bash
# Starts zefweb on a page under the virtual X server of xvfb-run, clicks the
# link of the page and checks that the caption and the page have changed;
# then turns the mouse wheel over the new page, which must scroll, and copies
# the page with Ctrl+A and Ctrl+C, which must reach the clipboard.
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

# Waits (a loaded machine may take a while) until the page area no longer
# looks as it did.
wait_for_new_pixels() {
  local before=$1 name=$2
  for _ in $(seq 1 30); do
    sleep 0.5
    [[ "$(page_pixels "$name")" != "$before" ]] && return 0
  done
  return 1
}

wait_for_caption "Zef Web - Depart"
sleep 0.5
before=$(page_pixels before)

# The heading link is the first line of the page.
xdotool mousemove --window "$window" 120 118 click 1
wait_for_caption "Zef Web - Arrivee"
# The new page is painted soon after the caption changes.
wait_for_new_pixels "$before" after || fail "the page looks the same after the click"
echo "caption and page changed"

# Two notches down with the pointer over the page.
before=$(page_pixels after)
xdotool mousemove --window "$window" 300 300 click 5 click 5
wait_for_new_pixels "$before" scrolled || fail "the wheel did not scroll the page"
echo "the wheel scrolled the page"

# The keys go to the window under test (there is no window manager to give
# it the focus).
xdotool windowfocus "$window"
xdotool key --window "$window" ctrl+a ctrl+c
for _ in $(seq 1 30); do
  sleep 0.2
  if xclip -selection clipboard -o 2>/dev/null | grep -q "Vous voici arrive."; then
    echo "Ctrl+C copied the page"
    exit 0
  fi
done
fail "Ctrl+A, Ctrl+C did not put the page on the clipboard"
