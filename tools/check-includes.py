#!/usr/bin/env python3
"""Fails when the project's includes form a cycle, or break the layering.

Reads every #include "..." of the project's sources and checks:
  - no cycle among the files (a.h includes b.h includes a.h);
  - no cycle among the modules, a module being a source file with the header
    of the same name beside it: a.cpp includes b.h and b.cpp includes a.h
    means a and b call each other;
  - no cycle among the product folders (db includes app, app includes db);
  - product code never includes tools/ or tests/.
Usage: tools/check-includes.py [ROOT]   (exit 1 on a finding)
"""
import os
import re
import sys

PRODUCT_FOLDERS = {"common", "devlib", "db", "app", "dialogs", "scripts", "grid", "about",
                   "resources", "vboard", "pellamctl", "pellamdb"}
SOURCE_ENDINGS = (".h", ".hpp", ".c", ".cpp", ".rc", ".inc")
SKIPPED_FOLDERS = {".git", "build", "dist", ".rig"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def sources(root):
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [s for s in subfolders if s not in SKIPPED_FOLDERS]
        for name in files:
            if name.endswith(SOURCE_ENDINGS):
                yield os.path.relpath(os.path.join(folder, name), root)


def includes_of(root, path):
    """The project files `path` includes (paths relative to the root)."""
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        text = f.read()
    found = []
    for name in INCLUDE.findall(text):
        for candidate in (name, os.path.normpath(os.path.join(os.path.dirname(path), name))):
            if os.path.isfile(os.path.join(root, candidate)):
                found.append(candidate)
                break
    return found


def module_of(path):
    return os.path.splitext(path)[0]


def module_graph(files):
    """Which modules each module's implementation files include (its own
    header aside). Only source files count: a header that includes another
    for its types makes no call."""
    graph = {}
    for path, included in files.items():
        if not path.endswith((".c", ".cpp")):
            continue
        for other in included:
            if module_of(other) != module_of(path):
                graph.setdefault(module_of(path), set()).add(module_of(other))
    return graph


def top_folder(path):
    parts = path.split(os.sep)
    if parts[0] == "about" and len(parts) > 2 and parts[1] == "music":
        return "about/music"
    return parts[0] if len(parts) > 1 else ""


def find_cycle(graph):
    """One cycle of `graph` as a list of nodes, or None (iterative DFS)."""
    state = {}
    for start in graph:
        if state.get(start):
            continue
        stack = [(start, iter(graph.get(start, ())))]
        path = [start]
        state[start] = 1
        while stack:
            node, children = stack[-1]
            child = next(children, None)
            if child is None:
                stack.pop()
                path.pop()
                state[node] = 2
            elif state.get(child) == 1:
                return path[path.index(child):] + [child]
            elif not state.get(child):
                state[child] = 1
                path.append(child)
                stack.append((child, iter(graph.get(child, ()))))
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    files = {path: includes_of(root, path) for path in sources(root)}
    problems = []

    cycle = find_cycle(files)
    if cycle:
        problems.append("include cycle between files: " + " -> ".join(cycle))

    cycle = find_cycle(module_graph(files))
    if cycle:
        problems.append("modules call each other: " + " -> ".join(cycle))

    folders = {}
    for path, included in files.items():
        here = top_folder(path)
        if here.split("/")[0] not in PRODUCT_FOLDERS:
            continue
        for other in included:
            there = top_folder(other)
            if there.split("/")[0] in ("tools", "tests"):
                problems.append(f"product code includes {there}/: {path} -> {other}")
            elif there != here and there.split("/")[0] in PRODUCT_FOLDERS:
                folders.setdefault(here, set()).add(there)
    cycle = find_cycle(folders)
    if cycle:
        problems.append("include cycle between folders: " + " -> ".join(cycle))

    for problem in problems:
        print(problem)
    print(f"{len(files)} files read: " + ("no include cycle" if not problems else
                                          f"{len(problems)} problem(s)"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
