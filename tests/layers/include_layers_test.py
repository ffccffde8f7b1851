#!/usr/bin/env python3
"""The include check on small source trees: each row a tree and what it finds."""

import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "check-include-layers")

ROWS = [
    ("clean layers", {
        "app/ui/Run.cpp": '#include "handset/ui/Window.h"\n#include "common/ui/Seams.h"\n',
        "handset/ui/Window.h": '#include <QDialog>\n#include "common/ui/Seams.h"\n#include "handset/Core.h"\n',
        "handset/Core.h": "#include <string>\n",
        "common/ui/Seams.h": "#include <QString>\n",
    }, []),
    ("two UI folders in a circle", {
        "app/ui/Run.cpp": '#include "handset/ui/Window.h"\n',
        "handset/ui/Window.h": '#include "history/ui/List.h"\n',
        "history/ui/List.cpp": '#include "app/ui/Run.h"\n',
    }, ["include circle between app/ui, handset/ui, history/ui"]),
    ("the core with Qt and a window header", {
        "phonebook/Book.cpp": '#include <QFile>\n#include "phonebook/ui/Dialog.h"\n',
    }, ["phonebook/Book.cpp:1: the core includes Qt <QFile>",
        'phonebook/Book.cpp:2: the core includes the window header "phonebook/ui/Dialog.h"']),
    ("the handset reaching the application", {
        "handset/ui/Menus.cpp": "void F() { TheApp()->Run(); }\n",
    }, ["handset/ui/Menus.cpp:1: the handset reaches TheApp()"]),
]


def main():
    failures = 0
    for what, files, expected in ROWS:
        with tempfile.TemporaryDirectory() as root:
            for path, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                    out.write(text)
            run = subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)
            found = run.stdout.splitlines()
            ok = (run.returncode == 0) == (not expected) and all(
                any(line.startswith(e) for line in found) for e in expected)
            if expected:
                ok = ok and len(found) == len(expected)
            if not ok:
                failures += 1
                print(f"FAIL {what}: status {run.returncode}, found {found}, expected {expected}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
