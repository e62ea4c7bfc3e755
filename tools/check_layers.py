#!/usr/bin/env python3
"""Keeps the library stack one-way.

Every engine folder has a level; a file may include its own folder and
folders of a lower level only, never a sibling of its own level or anything
above it. The top CMakeLists must link each library only to libraries below
it, so no cycle can come back. Exits 1 and names every offence.

    tools/check_layers.py [ROOT]
"""
import pathlib
import re
import sys

# Lowest first. Folders of one level are siblings and never include each other.
LEVELS = [
    ["resources"],
    ["platform"],
    ["base"],
    ["presets", "views"],
    ["render"],
    ["motion", "tubes"],
    ["stroke"],
    ["shell"],
    ["hosts"],
]
LEVEL = {folder: n for n, group in enumerate(LEVELS) for folder in group}
SOURCE_SUFFIXES = {".h", ".cpp", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/', re.MULTILINE)
SUBSYSTEM = re.compile(r"tf_subsystem\(tf_(\w+)\s+DIRS[^)]*?DEPS\s+([^)]*)\)")


def include_offences(root):
    found = []
    for folder, level in LEVEL.items():
        base = root / folder
        if not base.is_dir():
            continue
        for path in sorted(base.rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES:
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                if target == folder or target not in LEVEL:
                    continue
                if LEVEL[target] >= level:
                    line = text.count("\n", 0, match.start()) + 1
                    kind = "a sibling" if LEVEL[target] == level else "a folder above it"
                    found.append(f"{path.relative_to(root)}:{line}: includes {target}/, {kind}")
    return found


def link_offences(root):
    found = []
    text = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    for name, deps in SUBSYSTEM.findall(text):
        for dep in deps.split():
            dep = dep.removeprefix("tf_")
            if dep in LEVEL and name in LEVEL and LEVEL[dep] >= LEVEL[name]:
                found.append(f"CMakeLists.txt: tf_{name} links tf_{dep}, which is not below it")
    for name, dep in re.findall(r"target_link_libraries\(tf_(\w+)\s+PUBLIC\s+tf_(\w+)", text):
        if dep in LEVEL and name in LEVEL and LEVEL[dep] >= LEVEL[name]:
            found.append(f"CMakeLists.txt: tf_{name} links tf_{dep}, which is not below it")
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    offences = include_offences(root) + link_offences(root)
    for line in offences:
        print(line)
    if offences:
        print(f"check_layers: {len(offences)} include(s) or link(s) against the stack")
        return 1
    print("check_layers: the stack is one-way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
