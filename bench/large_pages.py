#!/usr/bin/env python3
"""Write one large input of the scale benchmark.

    python3 large_pages.py KIND SIZE OUT

KIND and what SIZE counts:
  text        lines of a plain-text file, about 50 bytes each; the last
              line ends with the word "zzfin"
  br          <BR> tags, one per source line
  table       rows of a 30-column table, one number per cell
  paragraphs  megabytes of the generated text page's paragraphs
  big         times the generated 5 MB page (its body repeated)
  textarea    megabytes of text in one TEXTAREA

The output is the same on every run: the words come from a fixed
vocabulary walked by a fixed formula, and the generated pages come from
../shared/bench/gen_corpus.py with their fixed seeds.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def shared_bench_folder():
    """../shared/bench beside the repository, or beside a folder above it
    (a worktree), unless ZEF_SHARED_DIR names the shared folder."""
    if os.environ.get("ZEF_SHARED_DIR"):
        return os.path.join(os.environ["ZEF_SHARED_DIR"], "bench")
    folder = os.path.dirname(HERE)
    while True:
        candidate = os.path.join(os.path.dirname(folder), "shared", "bench")
        if os.path.isfile(os.path.join(candidate, "gen_corpus.py")) or os.path.dirname(folder) == folder:
            return candidate
        folder = os.path.dirname(folder)


sys.path.insert(0, shared_bench_folder())

WORDS = ("the of and to in is that for it as was with be by on not he this are or "
         "his from at which but have an they you were her she there been one all "
         "viewer page section table window line text file letter number").split()
HEAD = "<HTML><HEAD><TITLE>%s</TITLE></HEAD><BODY>\n"
TAIL = "</BODY></HTML>\n"


def text_lines(count):
    """About 50 bytes a line: a line number and words."""
    # A few hundred different lines, cycled with their numbers in front.
    bodies = []
    for i in range(331):
        words = [WORDS[(i * 7 + k * 13 + k * k) % len(WORDS)] for k in range(5 + i % 10)]
        bodies.append(" ".join(words))
    for line in range(count - 1):
        yield "%07d %s\r\n" % (line, bodies[line % len(bodies)])
    yield "%07d the last line zzfin\r\n" % (count - 1)


def generated_body(name, scale):
    """The body of one of gen_corpus's pages, without its head and tail."""
    import gen_corpus
    import tempfile
    with tempfile.TemporaryDirectory() as folder:
        with open(os.devnull, "w") as quiet:
            saved, sys.stdout = sys.stdout, quiet
            try:
                gen_corpus.generate(folder, scale)
            finally:
                sys.stdout = saved
        with open(os.path.join(folder, name), encoding="ascii") as page:
            html = page.read()
    start = html.index(">", html.index("<BODY")) + 1
    return html[start:html.rindex("</BODY>")]


def write(kind, size, out):
    with open(out, "w", encoding="ascii", newline="") as f:
        if kind == "text":
            for line in text_lines(size):
                f.write(line)
        elif kind == "br":
            f.write(HEAD % "BR")
            f.write("<BR>\n" * size)
            f.write(TAIL)
        elif kind == "table":
            f.write(HEAD % "Table")
            f.write("<TABLE BORDER=1>\n")
            for row in range(size):
                f.write("<TR>" + "".join("<TD>%d" % (row * 30 + column) for column in range(30)) + "\n")
            f.write("</TABLE>\n" + TAIL)
        elif kind == "paragraphs":
            body = generated_body("text.html", 1.0)
            f.write(HEAD % "Paragraphs")
            written = 0
            while written < size * 1024 * 1024:
                f.write(body)
                written += len(body)
            f.write(TAIL)
        elif kind == "big":
            body = generated_body("big.html", 1.0)
            f.write(HEAD % "Big")
            for _ in range(size):
                f.write(body)
            f.write(TAIL)
        elif kind == "textarea":
            f.write(HEAD % "Textarea")
            f.write('<FORM><TEXTAREA NAME="t" ROWS=20 COLS=60>\n')
            for text in text_lines(size * 1024 * 1024 // 50):
                f.write(text)
            f.write("</TEXTAREA></FORM>\n" + TAIL)
        else:
            sys.exit("unknown kind: " + kind)


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    write(sys.argv[1], int(sys.argv[2]), sys.argv[3])


if __name__ == "__main__":
    main()
