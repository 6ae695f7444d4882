#!/usr/bin/env python3
"""Checks every Markdown table in the files named: the delimiter row has as many
cells as the header, or the table does not render. Prints the bad tables' lines."""
import sys


def cells(line):
    inner = line.strip()
    if inner.startswith("|"):
        inner = inner[1:]
    if inner.endswith("|"):
        inner = inner[:-1]
    return len(inner.split("|"))


def is_delimiter(line):
    parts = line.strip().strip("|").split("|")
    return all(p.strip().strip(":").strip("-") == "" and "-" in p for p in parts)


def main(paths):
    bad = 0
    for path in paths:
        lines = open(path, encoding="utf-8").read().splitlines()
        for i in range(1, len(lines)):
            if lines[i - 1].lstrip().startswith("|") and is_delimiter(lines[i]):
                if cells(lines[i - 1]) != cells(lines[i]):
                    print(f"{path}:{i}: {cells(lines[i - 1])} header cells, {cells(lines[i])} in the delimiter row")
                    bad += 1
    print(f"{bad} bad tables" if bad else "every table's header and delimiter row agree")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
