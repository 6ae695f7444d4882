#!/usr/bin/env python3
"""Turns the JSON of `tarpon_bench --benchmark_filter=^search/` into docs/benchmarks.md's
table: median times, and their ratios to one read pass, memmem and the straight scan."""
import json
import sys


def medians(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name = b["run_name"].split("/min_time")[0].split("/iterations")[0]
        scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3}[b["time_unit"]]
        out[name] = b["real_time"] * scale  # microseconds
    return out


def main(path, isa):
    t = medians(path)
    docs = ["random", "text", "zeros", "0x41"]
    header = ["document", "m", "place", "read µs", "memmem µs", "plain µs", "wildcard µs", "relative µs",
              "plain/read", "wildcard/read", "relative/read", "plain/memmem", "reference/plain",
              "reference/wildcard", "reference/relative"]
    print("| " + " | ".join(header) + " |")
    print("|" + "---|" * len(header))
    fmt = lambda v: "—" if v is None else (f"{v:.0f}" if v >= 100 else f"{v:.1f}")
    ratio = lambda a, b: "—" if a is None or b is None else f"{a / b:.2f}"
    speedup = lambda a, b: "—" if a is None or b is None else f"{a / b:.0f}×"
    for d in docs:
        read = t.get(f"search/read/{d}")
        for m in (1, 4, 16, 64):
            for place in ("absent", "last"):
                tail = f"{d}/m{m}/{place}"
                mm = t.get(f"search/memmem/{tail}")
                pl = t.get(f"search/plain-{isa}/{tail}")
                wc = t.get(f"search/wildcard-{isa}/{tail}")
                rl = t.get(f"search/relative-{isa}/{tail}")
                rp = t.get(f"search/reference-plain/{tail}")
                rw = t.get(f"search/reference-wildcard/{tail}")
                rr = t.get(f"search/reference-relative/{tail}")
                print(f"| {d} | {m} | {place} | {fmt(read)} | {fmt(mm)} | {fmt(pl)} | {fmt(wc)} | {fmt(rl)} "
                      f"| {ratio(pl, read)} | {ratio(wc, read)} | {ratio(rl, read)} | {ratio(pl, mm)} "
                      f"| {speedup(rp, pl)} | {speedup(rw, wc)} | {speedup(rr, rl)} |")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2] if len(sys.argv) > 2 else "avx2")
