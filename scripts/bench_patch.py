#!/usr/bin/env python3
"""Making and applying patches of a 16 MiB pair with a few hundred scattered edits,
tarpon-hex and Floating IPS (flips) side by side in one run: wall time, peak memory
(max RSS) and patch size. Prints a Markdown table.

  scripts/bench_patch.py BUILD/tarpon-hex [PATH/TO/flips] [--runs N]

flips is not part of the build: build it yourself from its public source and give
its path, or leave it out to measure tarpon-hex alone."""
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

SIZE = 16 << 20


def rom_pair(folder):
    """Random blocks, 0xFF padding and repeated blocks, as a ROM has; 300 edits of 1-16 bytes."""
    rng = random.Random(11)
    parts, size = [], 0
    while size < SIZE:
        kind = rng.random()
        if kind < 0.5:
            block = rng.randbytes(rng.randint(1000, 60000))
        elif kind < 0.7 and parts:
            block = rng.choice(parts)[: rng.randint(100, 20000)]
        else:
            block = b"\xff" * rng.randint(100, 30000)
        parts.append(block)
        size += len(block)
    original = bytearray(b"".join(parts)[:SIZE])
    modified = bytearray(original)
    for _ in range(300):
        at, n = rng.randrange(SIZE - 16), rng.randint(1, 16)
        modified[at : at + n] = rng.randbytes(n)
    paths = os.path.join(folder, "original.gba"), os.path.join(folder, "modified.gba")
    for path, data in zip(paths, (original, modified)):
        with open(path, "wb") as f:
            f.write(data)
    return paths


def run(argv):
    """Wall seconds and peak memory (MiB) of one run."""
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(proc.pid, 0)
    if status != 0:
        sys.exit(f"failed: {' '.join(argv)}")
    return time.perf_counter() - start, usage.ru_maxrss / 1024


def measure(argv, runs):
    results = [run(argv) for _ in range(runs)]
    return statistics.median(r[0] for r in results), max(r[1] for r in results)


def main():
    if sys.argv[1] == "--make":  # in a process of its own, so that the measured ones inherit none of its memory
        rom_pair(sys.argv[2])
        return
    args = [a for a in sys.argv[1:] if not a.startswith("--runs")]
    runs = int(next((a.split("=")[1] for a in sys.argv[1:] if a.startswith("--runs=")), "5"))
    ours, flips = args[0], (args[1] if len(args) > 1 else None)
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([sys.executable, __file__, "--make", folder], check=True)
        a, b = os.path.join(folder, "original.gba"), os.path.join(folder, "modified.gba")
        out = os.path.join(folder, "out.gba")
        rows = [("read both files (cat)", "", measure(["cat", a, b], runs), None)]
        tools = [("tarpon-hex", lambda kind, p: [ours, "patch", "create", a, b, p],
                  lambda p: [ours, "patch", "apply", p, a, "--out", out])]
        if flips:
            tools.append(("flips", lambda kind, p: [flips, "--create", "--exact", "--" + kind, a, b, p],
                          lambda p: [flips, "--apply", "--exact", p, a, out]))
        for name, create, apply in tools:
            for kind in ("bps", "ips"):
                patch = os.path.join(folder, f"{name}.{kind}")
                rows.append((f"{name}: create {kind.upper()}", patch, measure(create(kind, patch), runs), patch))
                rows.append((f"{name}: apply {kind.upper()}", "", measure(apply(patch), runs), None))
                with open(out, "rb") as f, open(b, "rb") as g:
                    if f.read() != g.read():
                        sys.exit(f"{name}'s {kind} patch did not give the modified file")
        print(f"16 MiB pair, 300 scattered edits of 1-16 bytes; median of {runs} runs\n")
        print("| step | time (ms) | peak memory (MiB) | patch (bytes) |")
        print("|---|---:|---:|---:|")
        for label, _, (seconds, mib), patch in rows:
            size = os.path.getsize(patch) if patch else ""
            print(f"| {label} | {seconds * 1000:.0f} | {mib:.0f} | {size} |")


if __name__ == "__main__":
    main()
