#!/usr/bin/env python3
"""Turns the raw figures of scripts/bench.sh (a results folder) into one Markdown
table: each measurement next to its yardstick, the ratio and the goal."""
import json
import statistics
import sys
from pathlib import Path


def gbench_medians(path):
    """Median real time in microseconds of each benchmark in a Google Benchmark JSON file."""
    data = json.loads(Path(path).read_text())
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    out = {}
    for b in data["benchmarks"]:
        name = b["run_name"].split("/min_time")[0].split("/real_time")[0]
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        out[name] = b["real_time"] * scale[b["time_unit"]]
    return out


def fmt_us(v):
    if v is None:
        return "—"
    if v >= 10000:
        return f"{v / 1000:.1f} ms"
    return f"{v:.1f} µs" if v < 100 else f"{v:.0f} µs"


def row(rows, what, ours, theirs, yardstick, goal):
    """goal: the largest acceptable ratio ours/theirs."""
    if ours is None or theirs is None:
        rows.append((what, fmt_us(ours), yardstick, fmt_us(theirs), "—", f"≤ {goal}×", "not measured"))
        return
    r = ours / theirs
    rows.append((what, fmt_us(ours), yardstick, fmt_us(theirs), f"{r:.2f}×", f"≤ {goal}×", "met" if r <= goal else "missed"))


def file_rows(t, rows):
    load = t.get("BM_LoadFile")
    row(rows, "load 9,437,183 bytes (warm cache)", load, t.get("BM_PlainRead/IntoFreshBuffer"),
        "`read()` into a fresh buffer", 1.2)
    row(rows, "load, the same", load, t.get("BM_PlainRead/IntoFreshHugePages"),
        "`read()` into fresh memory taken as the document takes it", 1.2)
    row(rows, "load, the same", load, t.get("BM_PlainRead/IntoReusedBuffer"),
        "`read()` into one reused, warm buffer", 1.2)
    row(rows, "save", t.get("BM_SaveFile"), t.get("BM_PlainWriteFsync"), "`write()` + `fsync()`, same folder", 1.5)
    move = t.get("BM_OneBlockMoveOfTheDocument")
    pair = t.get("BM_DeleteThenInsertAtStart")
    row(rows, "delete + insert at offset 0, per edit", pair / 2 if pair else None, move, "one `memmove`", 2)
    first = t.get("BM_FirstInsertAfterLoad")
    row(rows, "first insert at offset 0 after a load", first, move, "one `memmove`", 2)
    row(rows, "first insert at offset 0 after a load", first, t.get("BM_FirstMoveAfterPlainRead"),
        "the first `memmove` after a plain `read()`", 2)
    undo = t.get("BM_UndoRedoInsert1MiB")
    row(rows, "undo or redo of a 1 MiB insert (tail of 1 MiB), per operation", undo / 2 if undo else None,
        t.get("BM_Memmove1MiB"), "one 1 MiB `memmove`", 2)
    typed, move = t.get("BM_UndoRedo10000TypedBytes"), t.get("BM_Memmove10000")
    rows.append(("undo all, then redo all, of 10,000 typed bytes (20,000 steps)", fmt_us(typed),
                 "one 10,000-byte `memmove`", fmt_us(move), f"{typed / move:.0f}×" if typed and move else "—",
                 "for comparison", f"{typed / 20000 * 1000:.1f} ns a step" if typed else ""))


def table_rows(t, rows):
    row(rows, "load a 7,000-entry two-byte Shift-JIS table", t.get("BM_LoadKanjiTable"),
        t.get("BM_ReadAndIconvKanjiTable"), "read the file + one `iconv` of it to UTF-8", 3)
    row(rows, "the same load, in memory the process already holds", t.get("BM_LoadKanjiTableHeldMemory"),
        t.get("BM_ReadAndIconvKanjiTable"), "read the file + one `iconv` of it to UTF-8", 3)
    row(rows, "repaint of every pane in Table view, 7,000 two-byte keys", t.get("BM_RepaintTableView/1"),
        t.get("BM_RepaintTableView/0"), "the same with a one-byte table", 1.5)


def search_rows(t, isa, rows):
    """Worst ratio of each kind over the documents and pattern lengths (absent patterns)."""
    docs = sorted({k.split("/")[2] for k in t if k.startswith("search/read/")})
    for kind in ("plain", "wildcard", "relative"):
        worst_read = worst_memmem = None
        for d in docs:
            for m in (4, 16, 64):
                ours = t.get(f"search/{kind}-{isa}/{d}/m{m}/absent")
                read, mm = t.get(f"search/read/{d}"), t.get(f"search/memmem/{d}/m{m}/absent")
                if ours is None:
                    continue
                if read and (worst_read is None or ours / read > worst_read[0]):
                    worst_read = (ours / read, ours, read, f"{d}, m={m}")
                if mm and (worst_memmem is None or ours / mm > worst_memmem[0]):
                    worst_memmem = (ours / mm, ours, mm, f"{d}, m={m}")
        if worst_read:
            r, ours, read, where = worst_read
            rows.append((f"{kind} search, whole ring, worst case ({where})", fmt_us(ours), "one read pass",
                         fmt_us(read), f"{r:.2f}×", "≤ 5×", "met" if r <= 5 else "missed"))
        if worst_memmem:
            r, ours, mm, where = worst_memmem
            rows.append((f"{kind} search vs memmem, worst case ({where})", fmt_us(ours), "glibc `memmem`",
                         fmt_us(mm), f"{r:.2f}×", "≤ 1×" if kind == "plain" else "—",
                         ("met" if r <= 1 else "missed") if kind == "plain" else "for comparison"))


def find_command_rows(t, rows):
    """tarpon-hex find beside the window's Find ▸ Table: 4,096 spellings over the same 1 MiB."""
    window = t.get("BM_FindTableSpellings1MiB/12/repeats:7")
    row(rows, "`tarpon-hex find --table`, 4,096 spellings over 1 MiB: the search", t.get("BM_CommandLineFindSearch/12/repeats:7"),
        window, "Find ▸ Table in the window, same bytes", 2)
    row(rows, "the whole command: table and file read, text spelt, searched",
        t.get("BM_CommandLineFindCommand/12/repeats:7"), t.get("BM_FindTableWindowWhole1MiB/12/repeats:7"),
        "one Find ▸ Table in the window: text spelt, searched", 2)


def key_rows(keys, rows):
    base = keys.get("repaint_widgets_only", {}).get("median_us")
    for name, what in (("arrow", "arrow key"), ("hex_digit", "hex digit"), ("page_down", "Page Down")):
        ours = keys.get(name, {}).get("median_us")
        rows.append((f"{what}, event to finished paint (median)", fmt_us(ours), "every pane repainted, no logic",
                     fmt_us(base), f"{ours / base:.2f}×" if ours and base else "—", "for comparison", ""))
    full = keys.get("repaint_all_panes", {}).get("median_us")
    rows.append(("the editor's repaint of every pane, no key (median)", fmt_us(full),
                 "every pane repainted, no logic", fmt_us(base), f"{full / base:.2f}×" if full and base else "—",
                 "for comparison", ""))


# abcde 0.0.9 (Perl) on the same shape of script (1,300 strings, three tables, a custom
# pointer each, a 1 MiB file), timed by hand on the benchmark machine: perl abcde.pl -cm abcde::Atlas.
ABCDE_INSERT_US = 1.18e6


def script_rows(t, rows):
    row(rows, "insert a script of 1,300 strings, three tables, custom pointers", t.get("BM_AtlasScriptInsert"),
        ABCDE_INSERT_US, "abcde 0.0.9, the same script (timed by hand)", 0.1)
    row(rows, "insert the whole-range script of a 9,437,183-byte document", t.get("BM_ScriptInsert"),
        t.get("BM_ScriptDump"), "the dump that wrote it", 3)


def startup_rows(path, rows):
    by = {}
    for line in Path(path).read_text().splitlines():
        e = json.loads(line)
        if e.get("failed") or not e.get("result"):
            by.setdefault(e["program"], [])
            continue
        by.setdefault(e["program"], []).append(e["result"])
    bare = by.get("bare-qt-window") or []
    bare_ms = statistics.median(r["painted_ms"] for r in bare) if bare else None
    bare_mib = statistics.median(r["rss_kib"] for r in bare) / 1024 if bare else None
    for prog, results in by.items():
        if not results:
            rows.append((f"start-up: {prog}", "failed", "", "", "", "", ""))
            continue
        ms = [r["painted_ms"] for r in results]
        mib = statistics.median(r["rss_kib"] for r in results) / 1024
        ours = statistics.median(ms)
        is_us = prog == "tarpon-hex"
        ratio = f"{ours / bare_ms:.2f}×" if bare_ms else "—"
        verdict = ("met" if ours <= 1.2 * bare_ms else "missed") if is_us and bare_ms else ""
        rows.append((f"start-up to a painted window: {prog} (median of {len(ms)}, {min(ms):.0f}–{max(ms):.0f} ms)",
                     f"{ours:.0f} ms", "bare Qt window", f"{bare_ms:.0f} ms" if bare_ms else "—", ratio,
                     "≤ 1.2×" if is_us else "", verdict))
        extra = mib - bare_mib if bare_mib is not None else None
        rows.append((f"memory (RSS) with the document loaded: {prog}", f"{mib:.1f} MiB", "bare Qt window",
                     f"{bare_mib:.1f} MiB" if bare_mib else "—",
                     f"{extra:+.1f} MiB" if extra is not None else "—", "≤ +5 MiB" if is_us else "",
                     ("met" if extra <= 5 else "missed") if is_us and extra is not None else ""))


def command_file_rows(t, rows):
    row(rows, "dump a command file of 10 pointer-table blocks over 4 MiB", t.get("BM_CommandFileTenBlocks"),
        t.get("BM_TenSingleBlockDumps"), "the same 10 tables dumped one after another", 1.5)


def main(folder):
    folder = Path(folder)
    rows = []
    if (folder / "file.json").exists():
        file_rows(gbench_medians(folder / "file.json"), rows)
    if (folder / "table.json").exists():
        table_rows(gbench_medians(folder / "table.json"), rows)
    if (folder / "search.json").exists():
        isa = (folder / "search_isa.txt").read_text().strip()
        search_rows(gbench_medians(folder / "search.json"), isa, rows)
    if (folder / "spelling.json").exists():
        find_command_rows(gbench_medians(folder / "spelling.json"), rows)
    if (folder / "commands.json").exists():
        command_file_rows(gbench_medians(folder / "commands.json"), rows)
    if (folder / "script.json").exists():
        script_rows(gbench_medians(folder / "script.json"), rows)
    if (folder / "keys.json").exists():
        key_rows(json.loads((folder / "keys.json").read_text()), rows)
    if (folder / "startup.jsonl").exists():
        startup_rows(folder / "startup.jsonl", rows)
    if (folder / "machine.txt").exists():
        facts = dict(l.split(":", 1) for l in (folder / "machine.txt").read_text().splitlines() if ":" in l)
        print(f"Machine: {facts.get('Model name', '?').strip()}, {facts.get('CPU(s)', '?').strip()} CPUs\n")
    print("| measurement | Tarpon's Hex | yardstick | yardstick's figure | ratio | goal | |")
    print("|---|---|---|---|---|---|---|")
    for r in rows:
        print("| " + " | ".join(r) + " |")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "build/bench-results")
