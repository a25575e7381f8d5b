"""Tests of the layer check: a tree that keeps to its layers passes, and an
include of a higher layer or of Qt Widgets in a lower one is named."""

import os
import sys
import tempfile
import unittest

SCRIPTS_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
sys.path.insert(0, SCRIPTS_DIR)
sys.dont_write_bytecode = True

import check_layers  # noqa: E402

WIDGETS = {"QWidget", "QScrollBar"}


class LayerCheckTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.TemporaryDirectory()
        self.addCleanup(root.cleanup)
        for path, text in files.items():
            full = os.path.join(root.name, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as source:
                source.write(text)
        return root.name

    def test_includes_of_own_and_lower_layers_pass(self):
        root = self.tree({
            "engine/lexer/Lexer.cpp": '#include "engine/lexer/Lexer.h"\n#include "engine/base/Cp1252.h"\n',
            "engine/viewer/HtmlPane.cpp": '#include "engine/builder/HtmlBuilder.h"\n#include <QScrollBar>\n',
            "app/window/Viewer.cpp": '#include "app/desktop/Desktop.h"\n#include "engine/viewer/HtmlPane.h"\n',
            "app/main.cpp": '#include "app/batch/CommandLine.h"\n',
        })
        self.assertEqual(check_layers.check(root, WIDGETS), [])

    def test_a_higher_layer_or_widgets_below_are_named(self):
        root = self.tree({
            "engine/lexer/Lexer.cpp": '#include "engine/viewer/HtmlPane.h"\n',
            "engine/builder/HtmlBuilder.cpp": '#include "engine/base/Cp1252.h"\n  #  include <QWidget>\n',
            "engine/base/Cp1252.cpp": "#include <QImage>\n",
            "app/files/WholeFile.cpp": '#include "app/window/Viewer.h"\n',
            "engine/extra/Thing.h": "",
        })
        problems = check_layers.check(root, WIDGETS)
        self.assertEqual(len(problems), 5, problems)
        self.assertIn("engine/lexer/Lexer.cpp:1: engine/lexer may not include engine/viewer/HtmlPane.h", problems)
        self.assertIn("engine/builder/HtmlBuilder.cpp:2: engine/builder may not include Qt Widgets (<QWidget>)",
                      problems)
        self.assertTrue(any(problem.startswith("engine/base/Cp1252.cpp:1:") for problem in problems))
        self.assertTrue(any(problem.startswith("app/files/WholeFile.cpp:1:") for problem in problems))
        self.assertTrue(any("no known layer" in problem for problem in problems))


if __name__ == "__main__":
    unittest.main()
