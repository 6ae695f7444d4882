#!/usr/bin/env python3
"""Writes quest.bin and quest.tbl: a small made-up game data file whose dialogue
is stored in a private encoding, and the table that reads it."""

# The encoding: lower-case letters from 0x81, upper-case from 0xA1 (a shifted
# alphabet), a few common letter pairs as single bytes, and some punctuation.
table = {}
for i, ch in enumerate("abcdefghijklmnopqrstuvwxyz"):
    table[0x81 + i] = ch
for i, ch in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
    table[0xA1 + i] = ch
table.update({0x10: " ", 0x11: ".", 0x12: ",", 0x13: "!", 0x14: "?", 0x15: "'",
              0xC0: "the", 0xC1: "er", 0xC2: "ing", 0xC3: "ou"})
table[0x00] = "<end>"

reverse = sorted(((text, byte) for byte, text in table.items()), key=lambda p: -len(p[0]))

def encode(text):
    out = bytearray()
    i = 0
    while i < len(text):
        for piece, byte in reverse:
            if piece != "<end>" and text.startswith(piece, i):
                out.append(byte)
                i += len(piece)
                break
        else:
            raise ValueError(text[i])
    return bytes(out) + b"\x00"

lines = [
    "Welcome, traveller. The old king is waiting for you.",
    "Take this sword and find the dragon in the northern caves.",
    "Our village thanks you!",
    "Will you help us?",
]
strings = [encode(s) for s in lines]
header = b"QST1" + bytes([len(strings), 0, 0, 0])
offset = len(header) + 4 * len(strings)
pointers = bytearray()
for s in strings:
    pointers += offset.to_bytes(4, "little")
    offset += len(s)
with open("quest.bin", "wb") as f:
    f.write(header + pointers + b"".join(strings))
with open("quest.tbl", "wb") as f:
    for byte in sorted(table):
        f.write(b"%02X=%s\r\n" % (byte, table[byte].encode("latin-1")))

# shop.bin and shop.tbl: a second example, for scripts. Its table is written as
# translators write tables on Linux (UTF-8, LF line ends, a comment): an end token
# "/00=<end>", a line break "*FE=<line>", letter pairs as single bytes. The file
# holds a table of 2-byte little-endian pointers (file offsets) at 0x10 and,
# after the strings, 48 bytes of free room (FF) where longer strings can grow.
shop = {0x10: " ", 0x11: ".", 0x12: ",", 0x13: "!", 0x14: "?", 0x15: "'"}
for i, ch in enumerate("abcdefghijklmnopqrstuvwxyz"):
    shop[0x81 + i] = ch
for i, ch in enumerate("ABCDEFGHIJKLMNOPQRSTUVWXYZ"):
    shop[0xA1 + i] = ch
pairs = {0xC0: "th", 0xC1: "er", 0xC2: "in", 0xC3: "ou"}
shop_reverse = sorted(list(shop.items()) + list(pairs.items()), key=lambda p: -len(p[1]))

def shop_encode(text):
    out = bytearray()
    i = 0
    while i < len(text):
        if text.startswith("\n", i):
            out.append(0xFE)
            i += 1
            continue
        for byte, piece in shop_reverse:
            if text.startswith(piece, i):
                out.append(byte)
                i += len(piece)
                break
        else:
            raise ValueError(text[i])
    return bytes(out) + b"\x00"

shop_lines = [
    "Welcome to my shop!\nWhat do you need?",
    "A sword costs thirty coins.",
    "Thank you, come again.",
    "You cannot carry more.",
]
shop_strings = [shop_encode(s) for s in shop_lines]
body = bytearray(b"SHP1" + bytes(12))
at = 0x10 + 2 * len(shop_strings)
for s in shop_strings:
    body += at.to_bytes(2, "little")
    at += len(s)
body += b"".join(shop_strings) + b"\xff" * 48
with open("shop.bin", "wb") as f:
    f.write(bytes(body))
with open("shop.tbl", "w", encoding="utf-8", newline="\n") as f:
    f.write("# The example shop's text\n/00=<end>\n*FE=<line>\n")
    for byte, text in sorted(list(shop.items()) + list(pairs.items())):
        f.write("%02X=%s\n" % (byte, text))
