#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The project's include graph with its folders as layers.

Prints every #include and every CMake link that points up a layer, and every
circle among folders, among classes (a header and its source taken as one)
and among CMake targets. Exits 1 when there is any, 0 otherwise.

  scripts/include-graph.py [--dot FILE] [--root DIR]

--dot writes the folder graph (edges labelled with their include count,
upward ones red) for `dot -Tsvg`.
"""

import argparse
import os
import re
import sys
from collections import defaultdict

# An include may point down or sideways, never up. tests/ may include
# anything; the benchmarks share its fixtures, so it sits beside bench/.
LAYERS = {
    "skin": 1, "accesslib": 1, "chipproto": 1,
    "platform": 2,
    "engine": 3, "history": 3, "metrics": 3,
    "windows": 4,
    "app": 5,
    "tools": 6,
    "bench": 7, "tests": 7,
}
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
SKIPPED_DIRS = {".git", "cmake", "docs", "scripts", "resources"}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def top_folder(path):
    return path.split("/", 1)[0]


def source_files(root):
    for top in sorted(os.listdir(root)):
        if top not in LAYERS:
            continue
        for directory, subdirs, files in os.walk(os.path.join(root, top)):
            subdirs[:] = sorted(d for d in subdirs if d not in SKIPPED_DIRS)
            for name in sorted(files):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(directory, name), root)


def resolve(root, including, spelled):
    """The project file an include names: beside the including file, from
    the project root, or (for tests) from tests/. None for anything else
    (system and generated headers)."""
    candidates = [os.path.join(os.path.dirname(including), spelled), spelled]
    if top_folder(including) == "tests":
        candidates.append(os.path.join("tests", spelled))
    for candidate in candidates:
        candidate = os.path.normpath(candidate)
        if os.path.isfile(os.path.join(root, candidate)):
            return candidate
    return None


def include_edges(root):
    edges = []
    for path in source_files(root):
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for spelled in INCLUDE.findall(text):
            target = resolve(root, path, spelled)
            if target and target != path:
                edges.append((path, target))
    return edges


def strongly_connected(nodes, edges):
    """Tarjan's components of more than one node (or one with a self loop)."""
    graph = defaultdict(set)
    for a, b in edges:
        graph[a].add(b)
    index, low, on_stack, stack, result = {}, {}, set(), [], []
    counter = [0]

    def visit(start):
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter[0]
                    counter[0] += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(graph[child]))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                if len(component) > 1 or node in graph[node]:
                    result.append(sorted(component))

    for node in sorted(nodes):
        if node not in index:
            visit(node)
    return result


def witness(component, edges):
    """The edges inside a circle, so a reader sees which includes close it."""
    members = set(component)
    return sorted({(a, b) for a, b in edges if a in members and b in members})


def unit_of(path):
    """A class: its header and source are one node."""
    return os.path.splitext(path)[0]


# CMake targets: the folder that defines a target is its layer.
CMAKE_DEFINE = re.compile(r'\b(?:add_library|add_executable|kelvane_library)\s*\(\s*([A-Za-z0-9_.+-]+)')
CMAKE_LINK_CALL = re.compile(r'\b(target_link_libraries|kelvane_library)\s*\(([^)]*)\)', re.DOTALL)
CMAKE_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "LINK", "QT", "ONLY_QT", "STATIC", "SHARED"}


def cmake_targets(root):
    defined, links = {}, []
    lists = []
    for top in sorted(os.listdir(root)):
        if top not in LAYERS:
            continue
        for directory, subdirs, files in os.walk(os.path.join(root, top)):
            subdirs[:] = sorted(subdirs)
            if "CMakeLists.txt" in files:
                lists.append(os.path.join(directory, "CMakeLists.txt"))
    texts = {}
    for path in lists:
        with open(path, encoding="utf-8") as f:
            text = re.sub(r"#[^\n]*", "", f.read())
        texts[path] = text
        folder = top_folder(os.path.relpath(path, root))
        for name in CMAKE_DEFINE.findall(text):
            defined.setdefault(name, folder)
    for path, text in texts.items():
        for call, arguments in CMAKE_LINK_CALL.findall(text):
            words = arguments.split()
            if not words:
                continue
            owner, rest = words[0], words[1:]
            if call == "kelvane_library":
                rest = rest[rest.index("LINK") + 1:] if "LINK" in rest else []
            for word in rest:
                if word in CMAKE_KEYWORDS or word not in defined:
                    continue
                if owner in defined:
                    links.append((owner, word))
    return defined, links


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
    parser.add_argument("--dot", help="write the folder graph in DOT to this file")
    args = parser.parse_args()
    root = os.path.abspath(args.root)

    edges = include_edges(root)
    faults = 0

    upward = [(a, b) for a, b in edges if LAYERS[top_folder(b)] > LAYERS[top_folder(a)]]
    for a, b in upward:
        print(f"up a layer: {a} ({top_folder(a)}, {LAYERS[top_folder(a)]}) includes "
              f"{b} ({top_folder(b)}, {LAYERS[top_folder(b)]})")
    faults += len(upward)

    # Circles among top folders, among every folder, and among classes.
    for label, key in (("folder", top_folder), ("subfolder", os.path.dirname), ("class", unit_of)):
        keyed = {(key(a), key(b)) for a, b in edges if key(a) != key(b)}
        nodes = {n for edge in keyed for n in edge}
        for component in strongly_connected(nodes, keyed):
            print(f"{label} circle: {' <-> '.join(component)}")
            members = set(component)
            for a, b in edges:
                if key(a) in members and key(b) in members and key(a) != key(b):
                    print(f"    {a} includes {b}")
            faults += 1

    defined, links = cmake_targets(root)
    for owner, dependency in sorted(set(links)):
        if LAYERS[defined[dependency]] > LAYERS[defined[owner]]:
            print(f"up a layer: target {owner} ({defined[owner]}) links {dependency} ({defined[dependency]})")
            faults += 1
    for component in strongly_connected(set(defined), set(links)):
        print(f"target circle: {' <-> '.join(component)}")
        for owner, dependency in witness(component, set(links)):
            print(f"    {owner} links {dependency}")
        faults += 1

    if args.dot:
        counts = defaultdict(int)
        for a, b in edges:
            if top_folder(a) != top_folder(b):
                counts[(top_folder(a), top_folder(b))] += 1
        with open(args.dot, "w", encoding="utf-8") as out:
            out.write("digraph includes {\n  rankdir=TB;\n  node [shape=box];\n")
            by_layer = defaultdict(list)
            for folder in sorted({f for pair in counts for f in pair}):
                by_layer[LAYERS[folder]].append(folder)
            for layer, folders in sorted(by_layer.items()):
                quoted = " ".join('"' + f + '"' for f in folders)
                out.write(f"  {{ rank=same; {quoted} }}\n")
            for (a, b), count in sorted(counts.items()):
                colour = ' color=red' if LAYERS[b] > LAYERS[a] else ''
                out.write(f'  "{a}" -> "{b}" [label="{count}"{colour}];\n')
            out.write("}\n")

    files = len({n for edge in edges for n in edge})
    print(f"include graph: {files} files, {len(edges)} includes, {len(set(links))} target links, "
          f"{faults} fault{'s' if faults != 1 else ''}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
