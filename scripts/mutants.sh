#!/usr/bin/env bash
# Mutation run: plants one fault at a time in the Qt-free sources (a flipped
# comparison, ==/!=, &&/||, + 1/+ 0), rebuilds, runs the logic tests and says
# whether they caught it. Prints one line per mutant, the totals and the size of
# src/ against tests/ + fuzz/. Not part of CI and not run by ctest.
#
# Never writes to the source tree: the tracked files are copied to
# build-mutants/tree, built in build-mutants/build (Release, Ninja, only the
# targets the tests need), and every mutant is planted in that copy and taken
# out again. Survivors go to build-mutants/survivors.txt.
#
#   scripts/mutants.sh [--max N] [--seed S] [--list] [--only FILE] [--jobs J]
#                      [--in DIRS] [--ui] [--timeout SEC] [--matrix]
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/mutants.sh [options]
  --max N        at most N mutants, spread evenly over all sites (default 150)
  --seed S       seed of the spread's starting point; same seed, same mutants (default 1)
  --list         only print the chosen mutants and the size figures
  --only FILE    only mutate this file (path under src/, or its file name)
  --in DIRS      run only the chosen mutants whose file starts with one of these
                 comma-separated paths (src/edit,src/view): the same mutants as
                 a whole run, for checking one part of the suite
  --jobs J       build jobs (default 2)
  --ui           also run the widget tests (offscreen) when the logic tests pass
  --timeout SEC  time limit of one test run (default: 10 x the clean run, at least 60)
  --matrix       run every test on every mutant and name the tests that catch it
                 (slower): shows which tests alone hold a catch; each caught
                 mutant's failures go to build-mutants/logs/N.log
EOF
}

max=150 seed=1 list=0 only="" within="" jobs=2 ui=0 limit="" matrix=0
while [ $# -gt 0 ]; do
    case "$1" in
        --max) max=${2:?--max needs a number}; shift 2 ;;
        --seed) seed=${2:?--seed needs a number}; shift 2 ;;
        --list) list=1; shift ;;
        --only) only=${2:?--only needs a file}; shift 2 ;;
        --in) within=${2:?--in needs paths}; shift 2 ;;
        --jobs) jobs=${2:?--jobs needs a number}; shift 2 ;;
        --ui) ui=1; shift ;;
        --timeout) limit=${2:?--timeout needs seconds}; shift 2 ;;
        --matrix) matrix=1; shift ;;
        -h | --help) usage; exit 0 ;;
        *) echo "mutants: unknown option $1" >&2; usage >&2; exit 2 ;;
    esac
done
for n in "$max" "$seed" "$jobs" ${limit:+"$limit"}; do
    [[ "$n" =~ ^[0-9]+$ ]] || { echo "mutants: '$n' is not a whole number" >&2; exit 2; }
done
if [ "$max" -lt 1 ] || [ "$jobs" -lt 1 ]; then
    echo "mutants: --max and --jobs must be at least 1" >&2
    exit 2
fi

root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build-mutants
tree=$work/tree
build=$work/build
mkdir -p "$work"
scratch=$(mktemp -d)

# The file being mutated in the copy and its saved text, put back however the script ends.
current="" saved=$scratch/original.txt
restore() {
    if [ -n "$current" ]; then
        cp "$saved" "$tree/$current"
        current=""
    fi
}

# Builds and test runs go in a process group of their own, waited for with `wait`,
# so an interrupt stops them at once instead of after the build.
child=""
run_child() {
    local rc=0
    setsid "$@" &
    child=$!
    wait "$child" || rc=$?
    child=""
    return "$rc"
}
stop_child() {
    if [ -n "$child" ]; then
        kill -TERM -- "-$child" 2>/dev/null || true
        wait "$child" 2>/dev/null || true
        child=""
    fi
}
trap 'stop_child; restore; rm -rf "$scratch"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Non-blank lines of the C++ files (.cpp, .h) git tracks under the given folders.
count_lines() {
    (cd "$root" && git ls-files -- "$@" | grep -E '\.(cpp|h)$' | xargs cat | grep -c -v '^[[:space:]]*$') || true
}
print_sizes() {
    local src tst
    src=$(count_lines src)
    tst=$(count_lines tests fuzz)
    echo "size: src/ $src non-blank lines, tests/ + fuzz/ $tst, tests/src $(awk -v t="$tst" -v s="$src" \
        'BEGIN { printf "%.1f", s ? 100 * t / s : 0 }')%"
}

# Finds every mutation site and picks the spread. One tab-separated row per
# mutant: file, line, column (0-based), original, mutated, line text. Rows
# print as file:line:column with the column counted from 1, like a compiler's.
sites=$scratch/sites.tsv
if ! python3 - "$root" "$max" "$seed" "$only" "$within" >"$sites" 2>"$scratch/sites.err" <<'PY'
import random, re, subprocess, sys

root, budget, seed, only = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
within = tuple(p for p in sys.argv[5].split(",") if p)
files = subprocess.run(["git", "-C", root, "ls-files", "--cached", "--others", "--exclude-standard", "--", "src"],
                       capture_output=True, text=True, check=True).stdout.split()
qt = re.compile(r"^src/qt/|_window\.(cpp|h)$|_dialog\.(cpp|h)$|^src/main\.cpp$")
files = sorted(f for f in files if f.endswith((".cpp", ".h")) and not qt.search(f))
if only:
    picked = [f for f in files if f == only or f == "src/" + only or f.rsplit("/", 1)[-1] == only]
    if not picked:
        sys.exit(f"mutants: {only} is not one of the Qt-free sources")
    files = picked

FLIP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||", "||": "&&"}
# An operator only counts with a space on both sides: that leaves out template
# brackets, ->, <<, >>, <=>, T&& and the like, which clang-format writes without.
BINARY = re.compile(r"(?<= )(<=|>=|==|!=|&&|\|\||<|>)(?= )")
PLUS = re.compile(r"(?<= )\+ ([01])(?![\w.'])")

def mask(line, in_comment):
    """The line with comments, string and character literals blanked out
    (same length), and whether a block comment is still open at its end."""
    out, i, n = [], 0, len(line)
    while i < n:
        if in_comment:
            end = line.find("*/", i)
            if end < 0:
                out.append("_" * (n - i)); i = n
            else:
                out.append("_" * (end + 2 - i)); i = end + 2; in_comment = False
            continue
        c = line[i]
        if line.startswith("//", i):
            out.append("_" * (n - i)); i = n
        elif line.startswith("/*", i):
            out.append("__"); i += 2; in_comment = True
        elif c == '"' or (c == "'" and not (i and line[i - 1].isdigit())):
            j = i + 1
            while j < n and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            j = min(j + 1, n)  # an unclosed literal blanks the rest of the line
            out.append("_" * (j - i)); i = j
        else:
            out.append(c); i += 1
    return "".join(out), in_comment

cands = []
for f in files:
    with open(f"{root}/{f}", encoding="utf-8", errors="replace") as fh:
        lines = fh.read().split("\n")
    in_comment = continued = False
    for no, line in enumerate(lines, 1):
        if continued or (not in_comment and line.lstrip().startswith("#")):
            continued = line.rstrip().endswith("\\")  # a macro's next line
            continue
        code, in_comment = mask(line, in_comment)
        if "R\"" in line or re.search(r"\b(static_assert|template|operator)\b", code):
            continue  # raw strings, compile-time checks and templates: left alone
        for m in BINARY.finditer(code):
            cands.append((f, no, m.start(1), m.group(1), FLIP[m.group(1)], line.strip()))
        for m in PLUS.finditer(code):
            cands.append((f, no, m.start(), m.group(0), "+ 0" if m.group(1) == "1" else "+ 1", line.strip()))
cands.sort(key=lambda c: (c[0], c[1], c[2]))
print(len(cands), file=sys.stderr)

# Every k-th site from a seeded starting point: an even spread over files and lines.
if len(cands) > budget:
    k = len(cands) / budget
    start = random.Random(seed).random() * k
    cands = [cands[int(start + i * k)] for i in range(budget)]
if within:
    cands = [c for c in cands if c[0].startswith(within)]
for c in cands:
    print("\t".join(str(x).replace("\t", " ") for x in c))
PY
then
    cat "$scratch/sites.err" >&2
    exit 1
fi
total=$(wc -l <"$sites")
all_sites=$(cat "$scratch/sites.err")

if [ "$list" = 1 ]; then
    while IFS=$'\t' read -r file line col orig mut text; do
        printf '%s:%s:%s  %s -> %s  (%s)\n' "$file" "$line" "$((col + 1))" "$orig" "$mut" "$text"
    done <"$sites"
    echo "mutants: $total of $all_sites sites"
    print_sizes
    exit 0
fi
[ "$total" -gt 0 ] || { echo "mutants: no mutation sites found" >&2; exit 1; }
exec 9>"$work/lock"
flock -n 9 || { echo "mutants: another run is using $work" >&2; exit 1; }

# The file a run was mutating when it was stopped: whatever was built from it then
# may be the mutant, so it is rebuilt (below, after the copy is brought up to date).
marker=$work/mutated-file

# Brings the private copy up to date with the working tree (tracked and new
# files), copying only what changed so the build stays incremental. A copied
# file gets a fresh time stamp, so whatever was built from older text is rebuilt.
python3 - "$root" "$tree" <<'PY'
import filecmp, os, shutil, subprocess, sys
root, tree = sys.argv[1], sys.argv[2]
names = subprocess.run(["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                       capture_output=True, text=True, check=True).stdout.split("\0")
keep = {n for n in names if n and os.path.isfile(os.path.join(root, n))}
for n in keep:
    src, dst = os.path.join(root, n), os.path.join(tree, n)
    if not os.path.isfile(dst) or not filecmp.cmp(src, dst, shallow=False):
        os.makedirs(os.path.dirname(dst), exist_ok=True)
        shutil.copyfile(src, dst)
        shutil.copymode(src, dst)
for dirpath, _, fnames in os.walk(tree):
    for fn in fnames:
        rel = os.path.relpath(os.path.join(dirpath, fn), tree)
        if rel not in keep:
            os.remove(os.path.join(dirpath, fn))
PY
if [ -f "$marker" ]; then
    touch -c "$tree/$(cat "$marker")"
    rm -f "$marker"
fi

targets=(tarpon_logic tarpon_tests)
[ "$ui" = 1 ] && targets+=(tarpon_ui_tests)
# The standard library's bounds checks are on, so that a mutant that only steps one
# element past a container fails here as it fails under the sanitizer run of CI.
if ! grep -qs '_GLIBCXX_ASSERTIONS' "$build/CMakeCache.txt"; then
    nice -n 19 cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS -DTARPON_TESTS=ON -DTARPON_BENCHMARKS=OFF -DTARPON_FUZZ=OFF -DTARPON_WERROR=OFF >"$work/configure.log" 2>&1 ||
        { cat "$work/configure.log"; echo "mutants: configure failed" >&2; exit 1; }
fi
build_targets() {
    run_child nice -n 19 cmake --build "$build" --parallel "$jobs" --target "${targets[@]}" >"$work/build.log" 2>&1
}

# One test binary, stopping at the first failure (unless --matrix), under the time
# limit $1. The shell around it stays to report a crash into the log.
test_binary() {
    local t=$1 fast=--gtest_fail_fast brief=--gtest_brief=1
    # Every test, and each one's start, so that a crash names the test it was in.
    [ "$matrix" = 1 ] && fast=--gtest_fail_fast=0 brief=--gtest_brief=0
    shift
    # shellcheck disable=SC2016  # expanded by the inner shell
    run_child bash -c 'cd "$1" || exit 1; shift; nice -n 19 timeout --foreground -k 10 "$@"; exit $?' _ \
        "$build/tests" "$t" "$@" "$fast" "$brief" >>"$work/test.log" 2>&1
}

# 0: the tests pass; 124: they ran out of time; else: they failed or crashed.
run_tests() {
    local t=$1 rc=0
    : >"$work/test.log"
    test_binary "$t" ./tarpon_tests || rc=$?
    if [ "$rc" = 0 ] && [ "$ui" = 1 ]; then
        test_binary "$t" env QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 ./tarpon_ui_tests || rc=$?
    fi
    [ "$rc" = 137 ] && rc=124  # killed after ignoring the first signal
    return "$rc"
}

echo "mutants: building the unchanged copy in $build"
build_targets || { tail -n 40 "$work/build.log"; echo "mutants: the unchanged sources do not build" >&2; exit 1; }
started=$(date +%s.%N)
run_tests 1800 || { tail -n 40 "$work/test.log"; echo "mutants: the tests fail without any mutant; fix that first" >&2; exit 1; }
clean=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
[ -n "$limit" ] || limit=$(awk -v c="$clean" 'BEGIN { t = int(10 * c + 1); print (t < 60 ? 60 : t) }')
echo "mutants: clean run passes in ${clean}s; time limit per run ${limit}s; $total mutants of $all_sites sites"

results=$work/results.txt survivors=$work/survivors.txt
: >"$results"
: >"$survivors"
rm -rf "$work/logs"
[ "$matrix" = 1 ] && mkdir -p "$work/logs"
caught=0 survived=0 nobuild=0 timeouts=0 n=0
while IFS=$'\t' read -r -u 3 file line col orig mut text; do
    n=$((n + 1))
    cp "$tree/$file" "$saved"
    current=$file
    echo "$file" >"$marker"
    python3 - "$tree/$file" "$line" "$col" "$orig" "$mut" <<'PY'
import sys
path, line, col, orig, mut = sys.argv[1], int(sys.argv[2]) - 1, int(sys.argv[3]), sys.argv[4], sys.argv[5]
with open(path, encoding="utf-8", errors="surrogateescape", newline="") as fh:
    lines = fh.read().split("\n")
text = lines[line]
if text[col:col + len(orig)] != orig:
    sys.exit(f"mutants: {path}:{line + 1} column {col} does not hold {orig!r}")
lines[line] = text[:col] + mut + text[col + len(orig):]
with open(path, "w", encoding="utf-8", errors="surrogateescape", newline="") as fh:
    fh.write("\n".join(lines))
PY
    note=""
    if ! build_targets; then
        verdict=no-build
        nobuild=$((nobuild + 1))
    else
        rc=0
        run_tests "$limit" || rc=$?
        if [ "$rc" = 0 ]; then
            verdict=survived
            survived=$((survived + 1))
        else
            verdict=caught
            caught=$((caught + 1))
            if [ "$rc" = 124 ]; then
                note="  timeout"
                timeouts=$((timeouts + 1))
            elif [ "$rc" -gt 128 ]; then
                note="  crash"
            fi
            if [ "$matrix" = 1 ]; then
                by=$(grep -oE '^\[  FAILED  \] [A-Za-z0-9_/]+\.[A-Za-z0-9_./]+' "$work/test.log" | cut -c14- | sort -u | paste -sd, -) || true
                # A crash or a timeout: the test that was running then caught it too.
                [ -n "$note" ] && by=${by:+$by,}$(grep -oE '^\[ RUN      \] [A-Za-z0-9_./]+' "$work/test.log" | tail -n 1 | cut -c14-) || true
                note="$note  by: ${by:-?}"
                cp "$work/test.log" "$work/logs/$n.log"  # the failures and the rows they name
            fi
        fi
    fi
    restore
    rm -f "$marker"
    row=$(printf '%-8s  %s:%s:%s  %s -> %s  (%s)%s' "$verdict" "$file" "$line" "$((col + 1))" "$orig" "$mut" "$text" "$note")
    echo "$row"
    echo "$row" >>"$results"
    [ "$verdict" = survived ] && echo "$row" >>"$survivors"
done 3<"$sites"

built=$((caught + survived))
echo "total: $total mutants, $built built: caught $caught ($(awk -v c="$caught" -v b="$built" \
    'BEGIN { printf "%.1f", b ? 100 * c / b : 0 }')%, $timeouts by timeout), survived $survived;" \
    "$nobuild did not build (excluded)"
echo "survivors: $survivors"
print_sizes
