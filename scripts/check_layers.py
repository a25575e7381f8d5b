#!/usr/bin/env python3
"""Keeps the layers of the code honest.

Every folder under engine/ and app/ is one layer (one library), and
accessories/ is one more. A file may include headers of its own layer and of
the layers below it, as LAYERS lists them, and nothing else of ours. The lower
engine layers draw and measure only through the canvas, so they may not
include Qt Widgets headers either; the lexer and the layers under it use no
Qt beyond strings. The document model (the layout, text, tables and images
layers) holds nothing of a viewer: its headers name no viewer control,
widget, timer or type-erased value, and no field records a painting
(`Painted...`): painting gets positions from its caller and learns nothing
into the model, so that any device can paint the same document.

Usage: check_layers.py [--widgets-dir QT_WIDGETS_INCLUDE_DIR] [ROOT]
Prints one line per wrong include and exits with 1 when there is any.
"""

import argparse
import os
import re
import sys

# Each layer and the layers it may use (its own is always allowed). Uses are
# not transitive: every layer lists all it may reach, as its library links.
ENGINE_CORE = ["engine/base", "engine/lexer", "engine/canvas", "engine/images", "engine/layout"]
ENGINE_ALL = ENGINE_CORE + ["engine/text", "engine/forms", "engine/tables", "engine/builder", "engine/viewer"]
LAYERS = {
    "engine/base": [],
    "engine/lexer": ["engine/base"],
    "engine/canvas": ["engine/base"],
    "engine/images": ["engine/base", "engine/lexer", "engine/canvas"],
    "engine/layout": ["engine/base", "engine/lexer", "engine/canvas", "engine/images"],
    "engine/text": ENGINE_CORE,
    "engine/forms": ENGINE_CORE + ["engine/text"],
    "engine/tables": ENGINE_CORE + ["engine/text"],
    "engine/ui": ["engine/base"],
    "engine/builder": ENGINE_CORE + ["engine/text", "engine/forms", "engine/tables"],
    "engine/viewer": ENGINE_CORE + ["engine/text", "engine/forms", "engine/tables", "engine/builder"],
    "accessories": ["engine/base", "engine/ui"],
    # The plain-text export converts character names as the lexer knows them;
    # includes find their files as pages name files (link names, letter case).
    "app/files": ["engine/base", "engine/lexer"],
    "app/desktop": ["engine/base"],
    "app/search": ENGINE_ALL + ["engine/ui", "app/files"],
    "app/batch": ENGINE_ALL + ["engine/ui", "app/files", "app/search"],
    "app/window": ENGINE_ALL + ["engine/ui", "accessories", "app/files", "app/desktop", "app/search"],
    "app": ["app/window", "app/batch"],
}

# Layers that never include Qt Widgets, and those that include no Qt beyond
# QtCore's strings.
NO_WIDGETS = ["engine/base", "engine/lexer", "engine/canvas", "engine/images", "engine/layout", "engine/text",
              "engine/tables", "engine/builder"]
STRINGS_ONLY = {"engine/base": {"QString", "QByteArrayView"}, "engine/lexer": {"QString"}}

# The model's headers, and what they may not name.
MODEL_LAYERS = ["engine/layout", "engine/text", "engine/tables", "engine/images"]
HOST_NAMES = re.compile(r"\b(THtmlPane|QWidget|QTimer)\b|\bstd::any\b")
PAINTED_FIELD = re.compile(r"^\s*(?:mutable\s+)?[\w:<>,*&\s]+?\s+(Painted\w*)\s*(?:=[^;]*|\{[^;]*\})?;")
COMMENT = re.compile(r"//.*$")

OUR_INCLUDE = re.compile(r'^\s*#\s*include\s+"((?:engine|app|accessories)/[^"]+)"')
QT_INCLUDE = re.compile(r"^\s*#\s*include\s+<(Q\w+)>")
SOURCE_SUFFIXES = (".h", ".cpp")


def layer_of(path):
    """The layer a repository path belongs to: its folder under engine/ or
    app/, accessories, or app itself for the files at the top of app/."""
    parts = path.split("/")
    if parts[0] == "accessories":
        return "accessories"
    if parts[0] in ("engine", "app"):
        return "/".join(parts[:2]) if len(parts) > 2 else parts[0]
    return None


def sources(root):
    for top in ("engine", "app", "accessories"):
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    full = os.path.join(folder, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/"), full


def model_header_problems(path, full):
    """What a header of the document model names of a viewer or a painting."""
    problems = []
    with open(full, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            code = COMMENT.sub("", line)
            host = HOST_NAMES.search(code)
            if host:
                problems.append(f"{path}:{number}: the document model names {host.group(0)}")
            painted = PAINTED_FIELD.match(code)
            if painted:
                problems.append(f"{path}:{number}: the document model records a painting ({painted.group(1)})")
    return problems


def check(root, widget_headers):
    problems = []
    for path, full in sources(root):
        if path.endswith(".h") and layer_of(path) in MODEL_LAYERS:
            problems += model_header_problems(path, full)
        layer = layer_of(path)
        if layer not in LAYERS:
            problems.append(f"{path}: folder {layer} is no known layer")
            continue
        allowed = set(LAYERS[layer]) | {layer}
        with open(full, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                ours = OUR_INCLUDE.match(line)
                if ours:
                    used = layer_of(ours.group(1))
                    if used not in allowed:
                        problems.append(f"{path}:{number}: {layer} may not include {ours.group(1)}")
                    continue
                qt = QT_INCLUDE.match(line)
                if not qt:
                    continue
                header = qt.group(1)
                if layer in STRINGS_ONLY and header not in STRINGS_ONLY[layer]:
                    problems.append(f"{path}:{number}: {layer} uses no Qt but strings, not <{header}>")
                elif layer in NO_WIDGETS and header in widget_headers:
                    problems.append(f"{path}:{number}: {layer} may not include Qt Widgets (<{header}>)")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--widgets-dir", help="Qt's QtWidgets include folder")
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    arguments = parser.parse_args()
    widget_headers = set()
    if arguments.widgets_dir:
        widget_headers = {name for name in os.listdir(arguments.widgets_dir) if name.startswith("Q")}
    problems = check(arguments.root, widget_headers)
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
