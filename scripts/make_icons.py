#!/usr/bin/env python3
"""Writes the application icon: data/tarpon-hex.svg (scalable, every shape a
path or rectangle, no text that needs a font) and the PNGs at the hicolor sizes
in data/icons/. Every edge lies on the pixel grid of the size it is drawn for:
the large design on a 64-unit grid in steps of 2 units (whole pixels from 32 px
up), the small designs for 16 and 24 px on their own pixel grids.
Needs rsvg-convert (librsvg2-bin). Run from anywhere; the files are committed."""
import pathlib
import subprocess

ROOT = pathlib.Path(__file__).resolve().parent.parent
FRAME, HEAD, PAGE, DIGIT, MARK, FISH = "#8d8fab", "#d0d0e0", "#ffffff", "#008000", "#ffff3f", "#3f32da"

# Hex digits in a 3 x 5 pixel font: each string is a row, "#" a lit cell.
GLYPHS = {
    "0": ["###", "#.#", "#.#", "#.#", "###"],
    "1": [".#.", "##.", ".#.", ".#.", "###"],
    "4": ["#.#", "#.#", "###", "..#", "..#"],
    "5": ["###", "#..", "###", "..#", "###"],
    "A": [".#.", "#.#", "###", "#.#", "#.#"],
    "F": ["###", "#..", "##.", "#..", "#.."],
}


def glyph_path(ch, x, y, cell):
    """One path of the glyph's lit cells, each a cell x cell square at (x, y)."""
    parts = []
    for r, row in enumerate(GLYPHS[ch]):
        for c, lit in enumerate(row):
            if lit == "#":
                parts.append(f"M{x + c * cell} {y + r * cell}h{cell}v{cell}h{-cell}z")
    return "".join(parts)


def text_path(text, x, y, cell):
    """A row of digits; a space is half a glyph wide."""
    parts = []
    for ch in text:
        if ch != " ":
            parts.append(glyph_path(ch, x, y, cell))
            x += 4 * cell
        else:
            x += 2 * cell
    return "".join(parts)


def svg(size, body):
    return (f'<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{size}" height="{size}" viewBox="0 0 {size} {size}">\n'
            f"  <title>Tarpon's Hex</title>\n{body}</svg>\n")


def large():
    """64 units: a window with a header strip, two rows of hex digits, the
    second row's first byte marked, and a tarpon below."""
    return svg(64, f"""  <rect x="4" y="4" width="56" height="56" rx="8" fill="{FRAME}"/>
  <rect x="8" y="8" width="48" height="6" rx="1" fill="{HEAD}"/>
  <rect x="8" y="16" width="48" height="40" rx="1" fill="{PAGE}"/>
  <rect x="10" y="32" width="18" height="14" fill="{MARK}"/>
  <path fill="{DIGIT}" d="{text_path('41 54', 12, 20, 2)}{text_path('A0 FF', 12, 34, 2)}"/>
  <path fill="{FISH}" d="M14 51c6-4 13-5 20-2l8-4v10l-8-4c-7 3-14 2-20-0z"/>
""")


def small(n):
    """n = 16 or 24 pixels: the same picture with the digits as bars."""
    u = n // 8  # 2 px at 16, 3 px at 24
    frame = 0 if n == 16 else 1  # the frame's margin
    line = 1 if n == 16 else 2  # the height of a bar
    left, right, top = u, n - u, 2 * u  # the page
    row1, row2 = top + u, top + 5 * u // 2 + (n == 24)
    third = (right - left - 2) // 3
    body = [
        f'<rect x="{frame}" y="{frame}" width="{n - 2 * frame}" height="{n - 2 * frame}" rx="{u}" fill="{FRAME}"/>',
        f'<rect x="{left}" y="{u // 2 + 1}" width="{right - left}" height="1" fill="{HEAD}"/>',
        f'<rect x="{left}" y="{top}" width="{right - left}" height="{n - top - u}" fill="{PAGE}"/>',
        f'<rect x="{left}" y="{row2 - 1}" width="{third + 1}" height="{line + 2}" fill="{MARK}"/>',
    ]
    for row in (row1, row2):
        for i in range(3):
            body.append(f'<rect x="{left + 1 + i * third}" y="{row}" width="{third - 1}" height="{line}" fill="{DIGIT}"/>')
    fish = n - u - (2 if n == 16 else 3)
    body.append(f'<rect x="{left + 2}" y="{fish}" width="{(right - left) // 2 + 1}" height="{line}" fill="{FISH}"/>')
    return svg(n, "".join(f"  {b}\n" for b in body))


def main():
    icons = ROOT / "data" / "icons"
    icons.mkdir(exist_ok=True)
    (ROOT / "data" / "tarpon-hex.svg").write_text(large())
    sources = {16: small(16), 24: small(24)}
    for size in (16, 24, 32, 48, 64, 128, 256):
        src = icons / f"small-{size}.svg"
        src.write_text(sources.get(size, large()))
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(icons / f"{size}.png"),
                        str(src)], check=True)
        src.unlink()


if __name__ == "__main__":
    main()
