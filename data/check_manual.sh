#!/bin/sh
# The manual page documents exactly the options that `zefweb --help` lists,
# and groff reads it without a warning.
# Usage: check_manual.sh ZEFWEB MANUAL_PAGE
set -eu

program=$1
manual=$2

options_of_help=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
options_of_manual=$(sed -n 's/\\-/-/g; /^\.BI\{0,1\} --/s/^\.BI\{0,1\} \(--[a-z][a-z-]*\).*/\1/p' "$manual" | sort -u)

if [ "$options_of_help" != "$options_of_manual" ]; then
    echo "options of --help:" >&2
    echo "$options_of_help" >&2
    echo "options of the manual page:" >&2
    echo "$options_of_manual" >&2
    exit 1
fi

warnings=$(groff -man -Tutf8 -ww -z "$manual" 2>&1)
if [ -n "$warnings" ]; then
    echo "$warnings" >&2
    exit 1
fi
