#!/usr/bin/env bash
# Builds everything and measures, in one run, the editor against the plain system
# calls, glibc memmem, a bare Qt window and the hex editors Debian packages; prints
# the side-by-side table (Markdown) and keeps the raw figures in build/bench-results.
# Not part of CI: it installs the peer editors and Xvfb when they are missing.
#   BENCH_PEERS=0     leave out the peer editors
#   BENCH_RUNS=N      start-up runs per program (default 5)
#   JOBS=N            build jobs (default 1)
#   FLIPS=PATH        a Floating IPS binary built by hand, measured beside the patch commands
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build/bench-results
data=$root/build/bench-data
runs=${BENCH_RUNS:-5}
peers=${BENCH_PEERS:-1}

if [ "${1:-}" = "--startup-under-x" ]; then
    # Runs inside xvfb-run: every program in turn, the same file, the same display.
    file=$data/document.bin
    export NO_AT_BRIDGE=1 GTK_A11Y=none QT_QPA_PLATFORM=xcb
    programs=("tarpon-hex:$root/build/tarpon-hex" "bare-qt-window:$root/build/bench/bare_qt_window")
    if [ "$peers" = 1 ]; then
        for p in okteta ghex wxHexEditor; do
            command -v "$p" >/dev/null && programs+=("$p:$(command -v "$p")")
        done
    fi
    : > "$out/startup.jsonl"
    for ((run = 1; run <= runs; run++)); do
        for entry in "${programs[@]}"; do
            name=${entry%%:*} bin=${entry#*:}
            cat "$file" > /dev/null
            if line=$("$root/build/bench/startup_probe" 2000 30000 -- "$bin" "$file" 2>/dev/null); then
                echo "{\"program\": \"$name\", \"run\": $run, \"result\": $line}" >> "$out/startup.jsonl"
            else
                echo "{\"program\": \"$name\", \"run\": $run, \"result\": ${line:-null}, \"failed\": true}" >> "$out/startup.jsonl"
            fi
        done
    done
    exit 0
fi

need=()
command -v xvfb-run >/dev/null || need+=(xvfb)
if [ "$peers" = 1 ]; then
    command -v okteta >/dev/null || need+=(okteta)
    command -v ghex >/dev/null || need+=(ghex)
    command -v wxHexEditor >/dev/null || need+=(wxhexeditor)
fi
if [ ${#need[@]} -gt 0 ]; then
    echo "installing ${need[*]}" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}" >&2
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -j"${JOBS:-1}" -C build tarpon-hex tarpon_bench tarpon_ui_bench bare_qt_window startup_probe >&2
mkdir -p "$out" "$data"
# The largest document the editor loads: 9 MiB less one byte.
head -c 9437183 /dev/urandom > "$data/document.bin"
cat "$data/document.bin" > /dev/null

echo "file, insert and delete benchmarks" >&2
TARPON_BENCH_DIR=$data build/tarpon_bench \
    --benchmark_filter='^BM_(LoadFile|PlainRead/.*|SaveFile|PlainWriteFsync|FirstInsertAfterLoad|FirstMoveAfterPlainRead|DeleteThenInsertAtStart|OneBlockMoveOfTheDocument|UndoRedoInsert1MiB|Memmove1MiB|UndoRedo10000TypedBytes|Memmove10000)(/real_time)?$' \
    --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/file.json" --benchmark_out_format=json >&2

echo "table benchmarks (a 7,000-entry Shift-JIS table)" >&2
TARPON_BENCH_DIR=$data build/tarpon_bench --benchmark_filter='^BM_(LoadKanjiTable|ReadAndIconvKanjiTable|LoadKanjiTableHeldMemory|WriteKanjiTableUnchanged|RepaintTableView/[01]|TypedByteThenRepaint/[01]|ReadDocumentThroughKanjiTable/[012])(/real_time)?$' \
    --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/table.json" --benchmark_out_format=json >&2

# The search path the editor picks on this processor.
isa=generic
grep -qw sse2 /proc/cpuinfo && isa=sse2
grep -qw avx2 /proc/cpuinfo && isa=avx2
echo "$isa" > "$out/search_isa.txt"
echo "search benchmarks (absent patterns, $isa)" >&2
build/tarpon_bench --benchmark_filter="^search/(read/|(memmem|(plain|wildcard|relative)-$isa)/[^/]+/m(4|16|64)/absent)" \
    --benchmark_out="$out/search.json" --benchmark_out_format=json >&2

echo "Find ▸ Table in one and many spellings" >&2
build/tarpon_bench --benchmark_filter='^BM_(SpellingReadPass|FindTableOneSpelling|FindTableSpellings|FindTableCommonPrefixes|FindTableSpellings1MiB|FindTableWindowWhole1MiB|CommandLineFindSearch|CommandLineFindCommand)/' \
    --benchmark_out="$out/spelling.json" --benchmark_out_format=json >&2

echo "script dump and insert" >&2
build/tarpon_bench --benchmark_filter='^BM_(ScriptDump|ScriptInsert|AtlasScriptInsert)$' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/script.json" --benchmark_out_format=json >&2
echo "script dump: its worst cases beside a plain decoder of the same table" >&2
build/tarpon_bench --benchmark_filter='^BM_(DumpWorstCase|PlainDecoder)/' \
    --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/dump.json" --benchmark_out_format=json >&2
python3 - "$out/dump.json" >&2 <<'PY'
import json, sys
rows = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("aggregate_name") == "median":
        name, case = b["run_name"].split("/")
        rows.setdefault(b["label"], {})[name] = b["cpu_time"]
for label, r in rows.items():
    print(f"dump {label}: {r['BM_DumpWorstCase']:.2f} ms, plain decoder {r['BM_PlainDecoder']:.2f} ms, "
          f"{r['BM_DumpWorstCase'] / r['BM_PlainDecoder']:.2f}x")
PY

echo "keystrokes in the real window (offscreen)" >&2
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 build/bench/tarpon_ui_bench "$data/document.bin" 500 > "$out/keys.json"

echo "start-up and memory under Xvfb" >&2
BENCH_PEERS=$peers BENCH_RUNS=$runs xvfb-run -a -s "-screen 0 1280x1024x24 -br" bash "$0" --startup-under-x

echo "patch benchmarks (16 MiB pair)" >&2
build/tarpon_bench --benchmark_filter='^BM_(CreateBps|ApplyBps|CreateIps|ReadBoth)16MiB' \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/patch.json" --benchmark_out_format=json >&2
python3 scripts/bench_patch.py build/tarpon-hex ${FLIPS:+"$FLIPS"} > "$out/patch.md"
cat "$out/patch.md" >&2

echo "command-file dump (10 blocks over 4 MiB) beside 10 single dumps" >&2
build/tarpon_bench --benchmark_filter='^BM_(CommandFileTenBlocks|TenSingleBlockDumps)$' \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/commands.json" --benchmark_out_format=json >&2

lscpu | grep -E '^(Model name|CPU\(s\)):' > "$out/machine.txt"
python3 scripts/bench_table.py "$out"
