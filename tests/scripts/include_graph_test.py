#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/include-graph.py on small generated trees: it must see an include
# that points up, a circle that only shows once a header and its source are
# taken together, and a circle of CMake links, and pass a tree that has none.
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "include-graph.py")


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(text)
        result = subprocess.run([sys.executable, SCRIPT, "--root", root, "--dot", os.path.join(root, "g.dot")],
                                capture_output=True, text=True)
        return result.returncode, result.stdout


CLEAN = {
    "platform/CKey.h": "#include <string>\n",
    "platform/CKey.cpp": '#include "platform/CKey.h"\n',
    "engine/CSource.h": "#pragma once\n",
    "engine/CSource.cpp": '#include "engine/CSource.h"\n#include "platform/CKey.h"\n',
    "platform/CMakeLists.txt": "kelvane_library(kelvane_platform LINK SQLite::SQLite3)\n",
    "engine/CMakeLists.txt": "kelvane_library(kelvane_engine LINK kelvane_platform)\n",
}


class IncludeGraphTest(unittest.TestCase):
    def test_a_tree_pointing_only_down_passes(self):
        code, out = run(CLEAN)
        self.assertEqual(code, 0, out)
        self.assertIn("0 faults", out)

    def test_each_fault_is_named_and_fails(self):
        cases = [
            ("up a layer: platform/CKey.cpp", {"platform/CKey.cpp": '#include "engine/CSource.h"\n'}),
            # Neither header includes the other: only the sources close it.
            ("class circle: engine/CSource <-> platform/CKey",
             {"platform/CKey.cpp": '#include "platform/CKey.h"\n#include "engine/CSource.h"\n'}),
            ("folder circle: engine <-> platform", {"platform/CKey.h": '#include "engine/CSource.h"\n'}),
            ("target circle: kelvane_engine <-> kelvane_platform",
             {"platform/CMakeLists.txt": "kelvane_library(kelvane_platform LINK kelvane_engine)\n"}),
            ("up a layer: target kelvane_platform (platform) links kelvane_engine",
             {"platform/CMakeLists.txt": "kelvane_library(kelvane_platform)\n"
                                         "target_link_libraries(kelvane_platform PUBLIC kelvane_engine)\n"}),
        ]
        for expected, change in cases:
            with self.subTest(expected=expected):
                code, out = run({**CLEAN, **change})
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)

    def test_tests_may_include_anything(self):
        code, out = run({**CLEAN, "tests/engine/SourceTest.cpp": '#include "engine/CSource.h"\n'})
        self.assertEqual(code, 0, out)


if __name__ == "__main__":
    unittest.main()
