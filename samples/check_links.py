#!/usr/bin/env python3
"""Walks the sample site from index.html and fails on any reference that the
viewer could not follow: a missing file, a missing anchor or image map, a
reference that leaves the site, or a page or picture that nothing reaches.
Pages and text files must be Windows-1252, as the viewer reads them.

References are resolved as the viewer resolves them: relative to the folder of
the page, the '#anchor' part stripped and looked up among the page's NAME
anchors without regard to case. Include directives and timed refreshes are
resolved the same way: the viewer finds them beside the page when the folder
it was started from does not hold them.

    python3 samples/check_links.py [SITE_FOLDER]
"""

import os
import re
import sys
import urllib.parse

START_PAGE = "index.html"
# Files the start page asks the reader to open through "Fichier, Ouvrir": the
# viewer follows links only to pages and pictures.
OPENED_BY_HAND = ("lisezmoi.txt",)
PAGE_EXTENSIONS = (".htm", ".html")
TOOL_EXTENSIONS = (".py", ".pyc")

TAG = re.compile(r"<(/?)([A-Za-z]+)([^>]*)>", re.S)
ATTRIBUTE = re.compile(r"""([A-Za-z][A-Za-z-]*)(?:\s*=\s*("[^"]*"|'[^']*'|[^\s>]*))?""")
INCLUDE = re.compile(r"#\s*include\b(.*)", re.I | re.S)
SCHEME = re.compile(r"^[A-Za-z][A-Za-z0-9+.-]+:")
COMMENT_END = re.compile(r"--\s*>")


class Reference:
    """One reference found in a page: what it is (for messages) and its text."""

    def __init__(self, kind, text, map_name=None):
        self.kind = kind
        self.text = text.strip()
        self.map_name = map_name


class Page:
    """The anchors, image maps and references of one HTML page."""

    def __init__(self):
        self.anchors = set()
        self.maps = set()
        self.references = []


def attributes_of(text):
    values = {}
    for match in ATTRIBUTE.finditer(text):
        name = match.group(1).upper()
        value = match.group(2) or ""
        if value[:1] in "\"'" and len(value) >= 2:
            value = value[1:-1]
        values.setdefault(name, value)  # the viewer finds only the first of duplicates
    return values


def split_comments(source):
    """Yields ('text', chunk) and ('comment', body) pieces. A comment ends at '--'
    followed, after optional blanks, by '>', as the viewer reads it."""
    position = 0
    while True:
        start = source.find("<!--", position)
        if start < 0:
            yield "text", source[position:]
            return
        yield "text", source[position:start]
        end = COMMENT_END.search(source, start + 4)
        if end is None:
            yield "comment", source[start + 4:]
            return
        yield "comment", source[start + 4:end.start()]
        position = end.end()


def read_text(path):
    with open(path, "rb") as page_file:
        return page_file.read().decode("cp1252", errors="replace")


def scan_markup(text, page):
    for match in TAG.finditer(text):
        if match.group(1):
            continue
        name = match.group(2).upper()
        values = attributes_of(match.group(3))
        if name == "A":
            if values.get("NAME"):
                page.anchors.add(values["NAME"].upper())
            if values.get("HREF"):
                page.references.append(Reference("lien", values["HREF"]))
        elif name == "AREA" and "HREF" in values and "NOHREF" not in values:
            page.references.append(Reference("zone", values["HREF"]))
        elif name == "MAP" and values.get("NAME"):
            page.maps.add(values["NAME"].upper())
        elif name in ("IMG", "INPUT", "BGSOUND") and values.get("SRC"):
            page.references.append(Reference("image" if name != "BGSOUND" else "son", values["SRC"]))
        if name == "IMG" and values.get("USEMAP"):
            # The viewer keeps only the name after "#"; the maps it searches are the page's own.
            usemap = values["USEMAP"].strip()
            file_part, _, map_name = usemap.rpartition("#") if "#" in usemap else ("", "", usemap)
            page.references.append(Reference("carte", f"{file_part}#{map_name}", map_name.upper()))
        if name == "BODY" and values.get("BACKGROUND"):
            page.references.append(Reference("fond", values["BACKGROUND"]))
        if name == "META" and values.get("HTTP-EQUIV", "").lower() == "refresh":
            content = values.get("CONTENT", "")
            at = content.lower().find("url=")
            if at >= 0:
                page.references.append(Reference("rafraîchissement", content[at + 4:]))


def parse_page(path):
    """Reads a page; the text of included files counts as part of it, since the
    viewer reads it in place of the directive (one level: includes do not nest)."""
    page = Page()
    for kind, chunk in split_comments(read_text(path)):
        if kind == "text":
            scan_markup(chunk, page)
            continue
        include = INCLUDE.match(chunk)
        if include:
            file_name = attributes_of(include.group(1)).get("FILE", "")
            page.references.append(Reference("inclusion", file_name))
            included = os.path.join(os.path.dirname(path), file_name)
            if file_name and os.path.isfile(included):
                scan_markup(read_text(included), page)
    return page


def encoding_problem(data):
    """Why the bytes of a page are not plain Windows-1252 text, or None."""
    undefined = sorted({byte for byte in data if byte in (0x81, 0x8D, 0x8F, 0x90, 0x9D)})
    if undefined:
        return "octets hors de Windows-1252 : " + ", ".join(f"0x{byte:02X}" for byte in undefined)
    try:
        if any(byte >= 0x80 for byte in data) and data.decode("utf-8"):
            return "texte codé en UTF-8 au lieu de Windows-1252"
    except UnicodeDecodeError:
        pass
    return None


def exists_with_exact_case(path):
    folder, name = os.path.split(path)
    return os.path.isfile(path) and name in os.listdir(folder or ".")


def is_page(path):
    return path.lower().endswith(PAGE_EXTENSIONS)


class SiteChecker:
    """Walks the pages reachable from the start page and collects the faults."""

    def __init__(self, root, opened_by_hand=()):
        self.root = os.path.abspath(root)
        self.opened_by_hand = opened_by_hand
        self.pages = {}
        self.reached = set()
        self.errors = []
        self.encoding_checked = set()

    def page(self, path):
        if path not in self.pages:
            self.pages[path] = parse_page(path)
        return self.pages[path]

    def relative(self, path):
        return os.path.relpath(path, self.root)

    def describe(self, page_path, reference):
        return f"{self.relative(page_path)}: {reference.kind} « {reference.text} »"

    def resolve(self, page_path, reference):
        """The file a reference names, or None after reporting why it cannot be followed."""
        where = self.describe(page_path, reference)
        if SCHEME.match(reference.text):
            self.errors.append(f"{where} sort du site")
            return None
        file_part = urllib.parse.unquote(reference.text.split("#", 1)[0]).replace("\\", "/")
        if not file_part:
            return page_path
        if file_part.startswith("/"):
            self.errors.append(f"{where} est un chemin absolu")
            return None
        target = os.path.normpath(os.path.join(os.path.dirname(page_path), file_part))
        if os.path.commonpath([self.root, target]) != self.root:
            self.errors.append(f"{where} sort du dossier du site")
            return None
        if not exists_with_exact_case(target):
            self.errors.append(f"{where} : fichier introuvable")
            return None
        return target

    def check_reference(self, page_path, reference, queue):
        target = self.resolve(page_path, reference)
        if target is None:
            return
        self.reached.add(target)
        where = self.describe(page_path, reference)
        if is_page(target) or target.lower().endswith(".txt"):
            self.check_encoding(target)
        if reference.kind == "carte":
            # The viewer looks the map up among the maps of the page that shows the picture.
            if reference.map_name not in self.page(page_path).maps:
                self.errors.append(f"{where} : carte introuvable dans la page")
            return
        anchor = reference.text.split("#", 1)[1] if "#" in reference.text else ""
        if is_page(target):
            if reference.kind != "inclusion":
                queue.append(target)
            if anchor and anchor.upper() not in self.page(target).anchors:
                self.errors.append(f"{where} : ancre introuvable")

    def check_encoding(self, path):
        if path in self.encoding_checked:
            return
        self.encoding_checked.add(path)
        with open(path, "rb") as text_file:
            problem = encoding_problem(text_file.read())
        if problem:
            self.errors.append(f"{self.relative(path)} : {problem}")

    def walk(self, start_page=START_PAGE):
        start = os.path.join(self.root, start_page)
        if not os.path.isfile(start):
            self.errors.append(f"{start_page} introuvable")
            return self.errors
        queue = [start]
        visited = set()
        self.reached.add(start)
        self.check_encoding(start)
        for name in self.opened_by_hand:
            path = os.path.join(self.root, name)
            if not os.path.isfile(path):
                self.errors.append(f"{name} introuvable")
                continue
            self.reached.add(path)
            self.check_encoding(path)
        while queue:
            page_path = queue.pop(0)
            if page_path in visited:
                continue
            visited.add(page_path)
            for reference in self.page(page_path).references:
                self.check_reference(page_path, reference, queue)
        self.report_unreached()
        return self.errors

    def report_unreached(self):
        for folder, subfolders, files in os.walk(self.root):
            subfolders[:] = [name for name in subfolders if not name.startswith((".", "__"))]
            for name in sorted(files):
                path = os.path.join(folder, name)
                if name.endswith(TOOL_EXTENSIONS) or name.startswith("."):
                    continue
                if path not in self.reached:
                    self.errors.append(f"{self.relative(path)} : aucun lien n'y mène depuis {START_PAGE}")


def main(arguments):
    root = arguments[0] if arguments else os.path.dirname(os.path.abspath(__file__))
    errors = SiteChecker(root, OPENED_BY_HAND).walk()
    for error in errors:
        print(error, file=sys.stderr)
    if not errors:
        print("tous les liens et toutes les images du site sont valides")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
