#!/usr/bin/env bash
# Before and after in one run, so that both sides see the same machine: the main window's figures
# (bench_mainwindow), the peak memory of the real program with 100,000 rows and the window open,
# and the command line against `birthday` in one hyperfine run. The two builds take turns (ROUNDS
# times); every figure is the median of all its runs. Prints one markdown table.
# Usage: bench/compare.sh BEFORE_BUILD AFTER_BUILD
#   Both Release builds with -DCANDLEWISE_BENCH=ON and the targets bench_mainwindow, candlewise,
#   candlewise-window and side_files built. ROUNDS=4, REPETITIONS=3, STARTS=40 (fresh starts of
#   each), IDLE=2 (seconds the window stays open before its memory is read), N=100000 (the command
#   line's store).
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
# The 10,000-row figures and the 100,000-row ones run as separate processes, so that the two builds
# take turns every few seconds; each round swaps which build goes first (keep ROUNDS even).
FILTERS=("^BM_ListBirthdays/10000(/0)?$"
         "^BM_ListBirthdays/100000(/[01])?$|^BM_FindKeystroke/|^BM_HeaderSort")
ROUNDS="${ROUNDS:-4}"
for round in $(seq "$ROUNDS"); do
    sides=(before after); [ $((round % 2)) -eq 0 ] && sides=(after before)
    for group in 0 1; do
        for side in "${sides[@]}"; do
            build="$BEFORE"; [ $side = after ] && build="$AFTER"
            out="$work/$side-bench-$round-$group"
            echo "round $round, $side: bench_mainwindow, group $((group + 1))" >&2
            "$build/bench/bench_mainwindow" --benchmark_filter="${FILTERS[$group]}" \
                --benchmark_repetitions="${REPETITIONS:-3}" --benchmark_out_format=json \
                --benchmark_out="$out.json" >/dev/null 2>"$out.log" || { cat "$out.log" >&2; exit 1; }
        done
    done
    for side in "${sides[@]}"; do
        build="$BEFORE"; [ $side = after ] && build="$AFTER"
        echo "round $round, $side: the real program with 100,000 rows under Xvfb" >&2
        ROWS=100000 SECONDS_IDLE="${IDLE:-2}" MODES=window "$HERE/idle_cpu.sh" "$build" \
            >"$work/$side-memory-$round.txt"
    done
done
# The fresh start is the most sensitive to other work on the machine: the start-up child of
# BM_ProcessStartToFilledList, the two builds' in turn, start after start.
echo "fresh processes to the filled list, both builds in turn" >&2
python3 - "$BEFORE" "$AFTER" "$work" "${STARTS:-40}" <<'PYTHON'
import json, os, shutil, sqlite3, subprocess, sys, time
before, after, work, starts = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
# The store of the benchmark: 10,000 rows over every month, none due on its December 7.
common = f"{work}/common"
store = f"{common}/Marrowfen/Candlewise Software/dbData.mdb"
os.makedirs(os.path.dirname(store))
shutil.copy(f"{before}/bin/dbBlank.mdb", store)
db = sqlite3.connect(store)
dates = [(i % 12 + 1, i % 28 + 1) for i in range(10000)]
db.executemany("insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)",
               [(f"Person {i}", m, 8 if (m, d) == (12, 7) else d) for i, (m, d) in enumerate(dates)])
db.commit()
db.close()
env = {k: v for k, v in os.environ.items() if k != "CANDLEWISE_PROGRAM_DIR"}  # each build's own
found = {"before": [], "after": []}
for i in range(starts + 2):  # the first two of each are warm-up
    for side in (("before", "after") if i % 2 == 0 else ("after", "before")):
        build = before if side == "before" else after
        started = time.perf_counter()
        child = subprocess.Popen([f"{build}/bench/bench_mainwindow", "--startup-child", common, "10000"],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, env=env)
        peak = child.stdout.read()
        _, status, usage = os.wait4(child.pid, 0)
        wall = (time.perf_counter() - started) * 1000
        if status != 0:
            sys.exit(f"the start-up child of {build} failed")
        if i >= 2:
            found[side].append((wall, (usage.ru_utime + usage.ru_stime) * 1000, int(peak.split()[0]) / 1024))
json.dump(found, open(f"{work}/starts.json", "w"))
PYTHON

echo "the command line, both builds and birthday in one hyperfine run" >&2
TIMES_JSON="$work/cli.json" "$HERE/cli_vs_peers.sh" "$BEFORE" "$AFTER" >&2

python3 - "$work" "$ROUNDS" <<'PYTHON'
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
    ("start wall", "fresh process to the filled list, 10,000 rows", "ms"),
    ("start cpu", "CPU time (user + system) of that process", "ms"),
    ("start peak", "peak memory of that process (offscreen)", "MB"),
    ("memory", "peak memory, 100,000 rows, window open (real program, Xvfb)", "MB"),
    ("cli", "`candlewise --upcoming 30`, 100,000 stored", "ms"),
    ("cli ratio", "the same against `birthday -W 30`", "×"),
]

def figures(side):
    found = {}
    for r in range(1, rounds + 1):
        benchmarks = [b for g in (0, 1) for b in json.load(open(f"{work}/{side}-bench-{r}-{g}.json"))["benchmarks"]]
        for b in benchmarks:
            if b.get("run_type") != "iteration" or b.get("error_occurred"):
                continue
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            name = re.sub(r"/0$", "", b["run_name"])  # the list in calendar order, as before
            found.setdefault(name, []).append(b["real_time"] * scale)
        text = open(f"{work}/{side}-memory-{r}.txt").read()
        match = re.search(r"peak memory \(VmHWM\) ([0-9.]+) MB", text)
        if match:
            found.setdefault("memory", []).append(float(match.group(1)))
    for key, column in (("start wall", 0), ("start cpu", 1), ("start peak", 2)):
        found[key] = [start[column] for start in starts[side]]
    return found

starts = json.load(open(f"{work}/starts.json"))
before, after = figures("before"), figures("after")
cli = {r["command"]: r["times"] for r in json.load(open(f"{work}/cli.json"))["results"]}
for side, name in ((before, "candlewise-before"), (after, "candlewise-after")):
    side["cli"] = [t * 1000 for t in cli[name]]
    side["cli ratio"] = [statistics.median(cli[name]) / statistics.median(cli["birthday"])]

# The fastest runs say more than the medians when other work on the machine comes and goes.
print("| figure | before | after | ratio after/before | ratio of the fastest runs |")
print("|---|---:|---:|---:|---:|")
for key, caption, unit in rows:
    b, a = before.get(key), after.get(key)
    show = lambda v: "—" if not v else (
        f"{v:.2f}" if unit == "×" else f"{v:.{0 if v >= 100 else 1 if v >= 10 else 2}f} {unit}")
    mb, ma = (statistics.median(b) if b else None), (statistics.median(a) if a else None)
    ratio = f"{ma / mb:.2f}" if ma and mb else "—"
    fastest = f"{min(a) / min(b):.2f}" if a and b and unit == "ms" else ""
    print(f"| {caption} | {show(mb)} | {show(ma)} | {ratio} | {fastest} |")
print(f"\n`birthday -W 30` in the same run: {statistics.median(cli['birthday']) * 1000:.1f} ms. Medians of "
      f"{rounds} rounds, before and after in turn, and of {len(starts['before'])} fresh starts each, in turn; "
      "the window's figures are wall-clock times.")
PYTHON
