#!/usr/bin/env python3
"""Checks the engine's folder layering: no folder includes a folder that includes it back.

Reads every #include "..." of engine/**/*.{h,cpp}, resolves it against the including file's
folder and then against engine/, and builds the graph of folder -> folder dependencies. Prints
the graph with --graph. Exits 1 and names the cycle when there is one, and when a folder holds
more than --max-lines lines (default 2500)."""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path, engine):
    rel = os.path.relpath(os.path.dirname(path), engine)
    return "." if rel == "." else rel


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("engine", nargs="?",
                        default=os.path.join(os.path.dirname(__file__), "..", "engine"))
    parser.add_argument("--graph", action="store_true")
    parser.add_argument("--max-lines", type=int, default=2500)
    args = parser.parse_args()
    engine = os.path.abspath(args.engine)

    edges = {}
    lines = {}
    for root, _, files in os.walk(engine):
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            here = folder_of(path, engine)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.readlines()
            lines[here] = lines.get(here, 0) + len(text)
            edges.setdefault(here, set())
            for line in text:
                m = INCLUDE.match(line)
                if not m:
                    continue
                for base in (root, engine):
                    target = os.path.normpath(os.path.join(base, m.group(1)))
                    if os.path.exists(target):
                        there = folder_of(target, engine)
                        if there != here:
                            edges[here].add(there)
                        break

    if args.graph:
        for folder in sorted(edges):
            print(f"{folder} ({lines[folder]} lines) -> {', '.join(sorted(edges[folder])) or '-'}")

    failed = False
    for folder, count in sorted(lines.items()):
        if count > args.max_lines:
            print(f"engine/{folder} holds {count} lines, more than {args.max_lines}")
            failed = True

    # Depth-first search for a cycle among folders.
    state = {}
    stack = []

    def visit(folder):
        state[folder] = "open"
        stack.append(folder)
        for there in sorted(edges.get(folder, ())):
            if state.get(there) == "open":
                cycle = stack[stack.index(there):] + [there]
                print("include cycle between folders: " + " -> ".join(cycle))
                return True
            if there not in state and visit(there):
                return True
        stack.pop()
        state[folder] = "done"
        return False

    for folder in sorted(edges):
        if folder not in state and visit(folder):
            failed = True
            break
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
