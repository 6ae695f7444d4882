#!/usr/bin/env python3
"""Checks every relative link and picture in the Markdown files named: the file it
names exists, and a "#part" names a heading of that file (as GitHub spells
heading anchors). Prints each broken link; fails when there is one."""
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")


def prose_lines(path):
    """The lines outside code: neither indented code blocks nor fenced ones."""
    fenced = False
    for number, line in enumerate(open(path, encoding="utf-8").read().splitlines(), 1):
        if line.lstrip().startswith("```"):
            fenced = not fenced
            continue
        if not fenced and not line.startswith("    "):
            yield number, re.sub(r"`[^`]*`", "", line)


def anchors(path):
    found = set()
    for _, line in prose_lines(path):
        if line.startswith("#"):
            title = line.lstrip("#").strip().lower()
            found.add(re.sub(r"[^\w\- ]", "", title).replace(" ", "-"))
    return found


def broken_links(path):
    for number, line in prose_lines(path):
        for target in LINK.findall(line):
            if re.match(r"[a-z]+:", target):
                continue  # a web address or mail: not checked here
            name, _, part = target.partition("#")
            where = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
            if not os.path.exists(where):
                yield f"{path}:{number}: {target}: no such file"
            elif part and where.endswith(".md") and part not in anchors(where):
                yield f"{path}:{number}: {target}: no heading #{part} in {where}"


def main(paths):
    bad = [problem for path in paths for problem in broken_links(path)]
    for problem in bad:
        print(problem)
    print(f"{len(bad)} broken links" if bad else f"every link of {len(paths)} files resolves")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
