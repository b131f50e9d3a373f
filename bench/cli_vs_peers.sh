#!/usr/bin/env bash
# "Who is due in the next 30 days" over the same N birthdays: `candlewise --upcoming 30` against
# `birthday -W 30` (Debian package birthday), whole processes, timed in one hyperfine run so that
# the ratio holds on a busy machine. Both must name the same people first.
# Usage: bench/cli_vs_peers.sh [BUILD_DIR] (default build, as scripts/test leaves it); N=100000.
#        bench/cli_vs_peers.sh BEFORE_BUILD AFTER_BUILD: candlewise-before, candlewise-after and
#        birthday in the same hyperfine run. TIMES_JSON=FILE keeps hyperfine's results.
source "$(dirname "$0")/../scripts/lib.sh"
ensure_packages hyperfine birthday python3
BUILDS=()
for dir in "${@:-$ROOT/build}"; do BUILDS+=("$(cd "$dir" && pwd)"); done
[ ${#BUILDS[@]} -le 2 ] || { echo "usage: $0 [BUILD_DIR | BEFORE_BUILD AFTER_BUILD]" >&2; exit 2; }
NAMES=(candlewise)
[ ${#BUILDS[@]} -eq 2 ] && NAMES=(candlewise-before candlewise-after)
N="${N:-100000}"
DAYS=30

work="$(mktemp -d "${TMPDIR:-/tmp}/cli-vs-peers.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export CANDLEWISE_COMMON_APPDATA="$work/common"
store="$work/common/Marrowfen/Candlewise Software/dbData.mdb"
mkdir -p "$(dirname "$store")"
cp "${BUILDS[0]}/bin/dbBlank.mdb" "$store"

# The same people and dates in both; no February 29, which the peer dates differently in a
# common year.
python3 - "$store" "$work/birthdays" "$N" <<'PYTHON'
import random, sqlite3, sys
store, peer, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
lengths = [31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31]
draw = random.Random(7)
rows = []
for i in range(count):
    month = draw.randint(1, 12)
    rows.append((f"Person {i}", month, draw.randint(1, lengths[month - 1])))
db = sqlite3.connect(store)
db.executemany("insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)", rows)
db.commit()
with open(peer, "w") as out:
    out.writelines(f"{name}={day:02d}/{month:02d}\n" for name, month, day in rows)
PYTHON

peer="birthday -W $DAYS -f $work/birthdays"
$peer | sed -E 's/ has a birthday .*$//' | sort > "$work/peer.txt"
timed=()
for i in "${!BUILDS[@]}"; do
    ours="${BUILDS[$i]}/bin/candlewise --upcoming $DAYS"
    $ours | cut -f2 | sort > "$work/ours.txt"
    if ! cmp -s "$work/ours.txt" "$work/peer.txt"; then
        echo "${NAMES[$i]} and birthday name different people:" >&2
        diff "$work/ours.txt" "$work/peer.txt" | head -20 >&2
        exit 1
    fi
    timed+=(--command-name "${NAMES[$i]}" "$ours")
done
echo "All name the same $(wc -l < "$work/peer.txt") of $N birthdays within $DAYS days."

times="${TIMES_JSON:-$work/times.json}"
hyperfine --shell=none --warmup 5 --runs "${RUNS:-30}" --export-json "$times" \
    "${timed[@]}" --command-name birthday "$peer"
python3 - "$times" "${NAMES[@]}" <<'PYTHON'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
peer = results["birthday"]["median"]
for name in sys.argv[2:]:
    ours = results[name]["median"]
    print(f"medians: {name} {ours * 1000:.1f} ms, birthday {peer * 1000:.1f} ms; "
          f"ratio {name}/birthday = {ours / peer:.2f} (target at most 0.50)")
PYTHON
