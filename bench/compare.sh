#!/usr/bin/env bash
# Before and after in one run, so that both sides see the same machine: the main window's figures
# (bench_mainwindow), the peak memory of the real program with 100,000 rows and the window open,
# and the command line against `birthday` in one hyperfine run. The two builds take turns, twice;
# every figure is the median of all its runs. Prints one markdown table.
# Usage: bench/compare.sh BEFORE_BUILD AFTER_BUILD
#   Both Release builds with -DCANDLEWISE_BENCH=ON and the targets bench_mainwindow, candlewise,
#   candlewise-window and side_files built. ROUNDS=2, REPETITIONS=3, IDLE=2 (seconds the window
#   stays open before its memory is read), N=100000 (the command line's store).
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
[ $# -eq 2 ] || { echo "usage: $0 BEFORE_BUILD AFTER_BUILD" >&2; exit 2; }
BEFORE="$(cd "$1" && pwd)"
AFTER="$(cd "$2" && pwd)"
for build in "$BEFORE" "$AFTER"; do
    for file in bench/bench_mainwindow bin/candlewise bin/candlewise-window.so bin/dbBlank.mdb; do
        [ -e "$build/$file" ] || { echo "compare: $build/$file is missing; build it first" >&2; exit 1; }
    done
done

work="$(mktemp -d "${TMPDIR:-/tmp}/compare.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
FILTER='^BM_ListBirthdays/(10000|100000)(/[01])?$|^BM_FindKeystroke/|^BM_HeaderSort|^BM_ProcessStartToFilledList/'

for round in $(seq "${ROUNDS:-2}"); do
    for side in before after; do
        build="$BEFORE"; [ $side = after ] && build="$AFTER"
        echo "round $round, $side: bench_mainwindow" >&2
        "$build/bench/bench_mainwindow" --benchmark_filter="$FILTER" \
            --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_out_format=json \
            --benchmark_out="$work/$side-bench-$round.json" >/dev/null 2>"$work/$side-bench-$round.log" ||
            { cat "$work/$side-bench-$round.log" >&2; exit 1; }
        echo "round $round, $side: the real program with 100,000 rows under Xvfb" >&2
        ROWS=100000 SECONDS_IDLE="${IDLE:-2}" MODES=window "$HERE/idle_cpu.sh" "$build" \
            >"$work/$side-memory-$round.txt"
    done
done
echo "the command line, both builds and birthday in one hyperfine run" >&2
TIMES_JSON="$work/cli.json" "$HERE/cli_vs_peers.sh" "$BEFORE" "$AFTER" >&2

python3 - "$work" "${ROUNDS:-2}" <<'PYTHON'
import json, re, statistics, sys
work, rounds = sys.argv[1], int(sys.argv[2])
rows = [  # (benchmark or source, caption, unit)
    ("BM_ListBirthdays/10000", "`ListBirthdays`, 10,000 rows", "ms"),
    ("BM_ListBirthdays/100000", "`ListBirthdays`, 100,000 rows", "ms"),
    ("BM_ListBirthdays/100000/1", "`ListBirthdays`, 100,000 rows sorted by name", "ms"),
    ("BM_FindKeystroke/100000", "a keystroke in the find field, 100,000 rows", "ms"),
    ("BM_HeaderSort/100000", "a click on the \"Person\" header, 100,000 rows", "ms"),
    ("BM_HeaderSortFirstClick/100000/iterations:5", "the first click on \"Person\" of a window just started, 100,000 rows", "ms"),
    ("BM_HeaderSortDaysLeft/100000", "a click on the \"Day(s) Left\" header, 100,000 rows", "ms"),
    ("BM_ProcessStartToFilledList/10000/real_time", "fresh process to the filled list, 10,000 rows", "ms"),
    ("child cpu", "CPU time (user + system) of that process", "ms"),
    ("child peak", "peak memory of that process (offscreen)", "MB"),
    ("memory", "peak memory, 100,000 rows, window open (real program, Xvfb)", "MB"),
    ("cli", "`candlewise --upcoming 30`, 100,000 stored", "ms"),
    ("cli ratio", "the same against `birthday -W 30`", "×"),
]

def figures(side):
    found = {}
    for r in range(1, rounds + 1):
        for b in json.load(open(f"{work}/{side}-bench-{r}.json"))["benchmarks"]:
            if b.get("run_type") != "iteration" or b.get("error_occurred"):
                continue
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            name = re.sub(r"/0$", "", b["run_name"])  # the list in calendar order, as before
            found.setdefault(name, []).append(b["real_time"] * scale)
            for counter, key in (("peak_rss_MB", "child peak"), ("child_cpu_ms", "child cpu")):
                if counter in b:
                    found.setdefault(key, []).append(b[counter])
        text = open(f"{work}/{side}-memory-{r}.txt").read()
        match = re.search(r"peak memory \(VmHWM\) ([0-9.]+) MB", text)
        if match:
            found.setdefault("memory", []).append(float(match.group(1)))
    return {k: statistics.median(v) for k, v in found.items()}

before, after = figures("before"), figures("after")
cli = {r["command"]: r["median"] * 1000 for r in json.load(open(f"{work}/cli.json"))["results"]}
for side, name in ((before, "candlewise-before"), (after, "candlewise-after")):
    side["cli"] = cli[name]
    side["cli ratio"] = cli[name] / cli["birthday"]

print("| figure | before | after | ratio after/before |")
print("|---|---:|---:|---:|")
for key, caption, unit in rows:
    b, a = before.get(key), after.get(key)
    show = lambda v: "—" if v is None else (
        f"{v:.2f}" if unit == "×" else f"{v:.{0 if v >= 100 else 1 if v >= 10 else 2}f} {unit}")
    ratio = f"{a / b:.2f}" if a is not None and b else "—"
    print(f"| {caption} | {show(b)} | {show(a)} | {ratio} |")
print(f"\n`birthday -W 30` in the same run: {cli['birthday']:.1f} ms. Medians of {rounds} rounds, "
      "before and after in turn; the window's figures are wall-clock times.")
PYTHON
