#!/bin/sh
# Sets pages in other scripts against Windows-1252 pages of as many
# characters: a Japanese and a Russian page of about 1 MB of UTF-8 each, and
# a Latin page with the same number of characters, words and paragraphs. Each
# is shown with zefweb --render (800 x 600) and copied whole with --text; the
# script prints the processor seconds and peak resident megabytes of each and
# their ratios to the Latin page's.
#
#     bench/scripts.sh [BUILD_FOLDER] [REPEAT]
#
# Times are processor time (user and system), the fastest of REPEAT runs (3);
# memory is the largest peak. Both include the fixed cost of starting.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
repeat=${2:-3}
zefweb=$build/zefweb
[ -x "$zefweb" ] || { echo "$zefweb is missing: build the zefweb target first" >&2; exit 1; }
pages=$(mktemp -d)
trap 'rm -rf "$pages"' EXIT

# Writes a page of paragraphs of words drawn from the letters given, until
# the page holds the number of characters given.
python3 - "$pages" <<'EOF'
import random, sys
folder = sys.argv[1]
def page(name, letters, characters, spaced):
    random.seed(1)
    out, count = [], 0
    while count < characters:
        paragraph = []
        for _ in range(60):
            word = ''.join(random.choice(letters) for _ in range(random.randint(2, 8)))
            paragraph.append(word)
        text = (' ' if spaced else '').join(paragraph)
        out.append('<P>' + text + '\n')
        count += len(text) + 1
    with open(f'{folder}/{name}.html', 'w', encoding='utf-8') as file:
        file.write('<HTML><HEAD><META CHARSET="utf-8"></HEAD><BODY>\n' + ''.join(out) + '</BODY></HTML>\n')
    return count
japanese = ''.join(chr(c) for c in range(0x3042, 0x3093)) + ''.join(chr(c) for c in range(0x4E00, 0x4E00 + 200))
russian = ''.join(chr(c) for c in range(0x0430, 0x0450))
latin = 'abcdefghijklmnopqrstuvwxyz'
count = page('japanese', japanese, 1_000_000 // 3, False)
page('latin-ja', latin, count, False)
count = page('russian', russian, 1_000_000 // 2, True)
page('latin-ru', latin, count, True)
EOF

. "$here/measure.sh"

printf '%-10s %-7s %9s %9s %7s %9s %9s %7s\n' page command latin-s s ratio latin-mb mb ratio
for pair in japanese:latin-ja russian:latin-ru; do
  page=${pair%%:*} latin=${pair#*:}
  for command in render text; do
    set -- $(measure "$pages/$latin.html" $command) $(measure "$pages/$page.html" $command)
    awk -v n="$page" -v c="$command" -v tl="$1" -v ml="$2" -v tp="$3" -v mp="$4" \
        'BEGIN { printf "%-10s %-7s %9.2f %9.2f %7.2f %9.1f %9.1f %7.2f\n", n, c, tl, tp, tp / tl, ml, mp, mp / ml }'
  done
done
