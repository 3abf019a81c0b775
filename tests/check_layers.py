#!/usr/bin/env python3
"""Checks that the code keeps to its libraries.

Every C++ file under src/, tests/, tools/, bench/ and fuzz/ belongs to one library (tests, tools and
benchmarks count as users of the libraries they test or use). A quoted include must name a header
of the file's own library or of one below it; only the Qt platform side, the player's Qt shell and
their tests include Qt; and every source file is listed in a CMakeLists.txt of its folder or one
above it. Exit status 0 when all holds, 1 with one line per fault otherwise.

Usage: check_layers.py [SOURCE_DIR]      (default: the folder above this script's)
       check_layers.py --self-test       (plants faults in a scratch tree and expects them found)
"""

import os
import re
import sys
import tempfile

# The libraries, lowest first: (name, folders, libraries it may use directly). The same table as
# the CMake files; a library may use everything its direct ones may use.
LIBRARIES = [
    ("varnex_base", ["src/base"], []),
    ("varnex_schema", ["src/db/schema"], ["varnex_base"]),
    ("varnex_store", ["src/db/store"], ["varnex_schema"]),
    ("varnex_engine", ["src/db/engine"], ["varnex_store"]),
    ("ovplayer_gt", ["src/gt"], ["varnex_engine"]),
    ("ovplayer_qt", ["src/gt/imp/qt"], ["ovplayer_gt"]),
    ("ovplayer_vtx", ["src/vtx"], ["ovplayer_gt"]),
    ("ovplayer_template", ["src/template"], ["ovplayer_vtx"]),
    ("ovplayer_script", ["src/script"], ["ovplayer_template", "ovplayer_vtx"]),
    ("ovplayer_app", ["src/app"], ["ovplayer_script"]),
    ("ovplayer_shell", ["src/app/qt", "src/app/main.cpp"], ["ovplayer_app", "ovplayer_qt"]),
]

# Code outside the libraries: (folder, the libraries it may use directly). Tests use the library
# of the folder they mirror; the Qt side's form tests build their windows from form templates.
USERS = [
    ("tools/varnex", ["varnex_engine"]),
    ("tools/ovadump", ["ovplayer_template"]),
    ("bench", ["varnex_engine"]),
    ("bench/player", ["ovplayer_script"]),
    ("fuzz", ["ovplayer_script"]),
    ("tests/tools/varnex", ["varnex_engine"]),
    ("tests/gt/imp/qt", ["ovplayer_qt", "ovplayer_template"]),
]

# Where Qt may be included.
QT_ALLOWED = ["src/gt/imp/qt", "src/app/qt", "src/app/main.cpp", "tests/gt/imp/qt",
              "tests/app/qt", "tests/support/QtTestMain.h"]

# Headers found through include folders of their own rather than from src/.
SHARED_FOLDERS = ["tests/support", "tools/varnex", "bench"]

SCANNED = ["src", "tests", "tools", "bench", "fuzz"]
QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
QT = re.compile(r"^\s*#\s*include\s*<(Qt\w*/)?Q(t?[A-Z])\w*(\.h)?>")


def under(path, folder):
    return path == folder or path.startswith(folder + "/")


def longest(path, candidates):
    best = None
    for folder in candidates:
        if under(path, folder) and (best is None or len(folder) > len(best)):
            best = folder
    return best


class Layers:
    def __init__(self):
        self.folders = {}
        direct = {}
        for name, folders, uses in LIBRARIES:
            for folder in folders:
                self.folders[folder] = name
            direct[name] = uses
        self.closure = {}
        for name, _, _ in LIBRARIES:
            self.closure[name] = self.reach(direct, name)
        self.users = {folder: set().union(*(self.closure[u] | {u} for u in uses))
                      for folder, uses in USERS}

    @staticmethod
    def reach(direct, name):
        seen = set()
        todo = list(direct[name])
        while todo:
            lib = todo.pop()
            if lib not in seen:
                seen.add(lib)
                todo.extend(direct[lib])
        return seen

    def library_of(self, path):
        """The library whose folders hold a src/ path, or None."""
        folder = longest(path, self.folders)
        return self.folders[folder] if folder else None

    def allowed_for(self, path):
        """The libraries a file may include from: its own and those below, or for a user of the
        libraries those it may use; None for a file that belongs to no library."""
        user = longest(path, self.users)
        if user:
            return self.users[user]
        if under(path, "tests"):
            path = "src" + path[len("tests"):]
            if under(path, "src/support") or under(path, "src/data"):
                return set(self.closure)  # shared helpers: held to what their users may use
        lib = self.library_of(path)
        if lib is None:
            return None
        return self.closure[lib] | {lib}


def files_of(root):
    for top in SCANNED:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def resolve(root, path, included):
    """The repository path of a quoted include, or None when it cannot be found."""
    local = os.path.normpath(os.path.join(os.path.dirname(path), included)).replace(os.sep, "/")
    if os.path.isfile(os.path.join(root, local)):
        return local
    for base in ["src", "tests"] + SHARED_FOLDERS:
        candidate = base + "/" + included
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def check_includes(root, layers, path, lines, faults):
    allowed = layers.allowed_for(path)
    own = os.path.dirname(path)
    for number, line in enumerate(lines, 1):
        where = "%s:%d" % (path, number)
        if QT.match(line) and not any(under(path, folder) for folder in QT_ALLOWED):
            faults.append("%s: includes Qt outside the Qt side and the shell" % where)
        match = QUOTED.match(line)
        if not match:
            continue
        target = resolve(root, path, match.group(1))
        if target is None:
            faults.append('%s: "%s" is not a header of the tree' % (where, match.group(1)))
            continue
        if os.path.dirname(target) == own or any(under(target, f) for f in SHARED_FOLDERS):
            continue
        if under(target, "tests"):
            # A test helper of another folder: it belongs to the library that folder tests.
            target = "src" + target[len("tests"):]
        library = layers.library_of(target)
        if library is None or allowed is None:
            faults.append('%s: "%s" belongs to no library' % (where, match.group(1)))
        elif library not in allowed:
            faults.append('%s: "%s" is in %s, which this file may not use'
                          % (where, match.group(1), library))


def check_listed(root, path, faults):
    """A source file must be named in a CMakeLists.txt of its folder or one above it."""
    if not path.endswith(".cpp"):
        return
    folder = os.path.dirname(path)
    while folder:
        lists = os.path.join(root, folder, "CMakeLists.txt")
        if os.path.isfile(lists):
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            with open(lists, encoding="utf-8") as text:
                if re.search(r"(^|[\s/])%s(\s|\)|$)" % re.escape(relative), text.read(), re.M):
                    return
        folder = os.path.dirname(folder)
    faults.append("%s: not listed in any CMakeLists.txt above it" % path)


def check(root):
    layers = Layers()
    faults = []
    for path in files_of(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
            lines = text.read().splitlines()
        check_includes(root, layers, path, lines, faults)
        check_listed(root, path, faults)
    return faults


def self_test():
    """Plants one fault of each kind in a scratch tree and expects each found, and none in the
    same tree without them."""
    clean = {
        "src/db/store/CMakeLists.txt": "add_library(varnex_store STATIC A.cpp)\n",
        "src/db/store/A.cpp": '#include "db/store/A.h"\n#include "db/schema/S.h"\n',
        "src/db/store/A.h": "#pragma once\n",
        "src/db/schema/S.h": "#pragma once\n",
        "src/db/engine/E.h": "#pragma once\n",
        "src/gt/imp/qt/CMakeLists.txt": "add_library(ovplayer_qt STATIC Q.cpp)\n",
        "src/gt/imp/qt/Q.cpp": "#include <QWidget>\n",
    }
    planted = {
        "src/db/store/A.cpp": '#include "db/engine/E.h"\n',
        "src/db/store/B.cpp": "#include <QtWidgets/QLabel>\n",
        "src/db/store/C.cpp": '#include "db/store/Missing.h"\n',
    }
    expected = ['A.cpp:1: "db/engine/E.h" is in varnex_engine', "B.cpp:1: includes Qt",
                "B.cpp: not listed", 'C.cpp:1: "db/store/Missing.h" is not a header',
                "C.cpp: not listed"]
    with tempfile.TemporaryDirectory() as root:
        def write(files):
            for name, text in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
                with open(os.path.join(root, name), "w", encoding="utf-8") as out:
                    out.write(text)
        write(clean)
        found = check(root)
        if found:
            print("self-test: a sound tree was faulted:\n  " + "\n  ".join(found))
            return 1
        write(planted)
        found = check(root)
        missed = [e for e in expected if not any(e in f for f in found)]
        if missed or len(found) != len(expected):
            print("self-test: expected\n  " + "\n  ".join(expected) + "\nfound\n  " +
                  "\n  ".join(found))
            return 1
    print("self-test: every planted fault was found")
    return 0


def main(argv):
    if len(argv) > 1 and argv[1] == "--self-test":
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    faults = check(root)
    for fault in faults:
        print(fault)
    if faults:
        print("%d fault(s): see the library table in tests/check_layers.py and ARCHITECTURE.md"
              % len(faults))
        return 1
    print("layers: every include keeps to its library")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
