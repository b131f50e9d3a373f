#!/usr/bin/env bash
# "Who is due in the next 30 days" over the same N birthdays: `candlewise --upcoming 30` against
# `birthday -W 30` (Debian package birthday), whole processes, timed in one hyperfine run so that
# the ratio holds on a busy machine. Both must name the same people first.
# Usage: bench/cli_vs_peers.sh [BUILD_DIR] (default build, as scripts/test leaves it); N=100000.
source "$(dirname "$0")/../scripts/lib.sh"
ensure_packages hyperfine birthday python3
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
N="${N:-100000}"
DAYS=30
PROGRAM="$BUILD/bin/candlewise"

work="$(mktemp -d "${TMPDIR:-/tmp}/cli-vs-peers.XXXXXX")"
trap 'rm -rf "$work"' EXIT
export CANDLEWISE_COMMON_APPDATA="$work/common"
store="$work/common/Marrowfen/Candlewise Software/dbData.mdb"
mkdir -p "$(dirname "$store")"
cp "$BUILD/bin/dbBlank.mdb" "$store"

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

ours="$PROGRAM --upcoming $DAYS"
peer="birthday -W $DAYS -f $work/birthdays"
$ours | cut -f2 | sort > "$work/ours.txt"
$peer | sed -E 's/ has a birthday .*$//' | sort > "$work/peer.txt"
if ! cmp -s "$work/ours.txt" "$work/peer.txt"; then
    echo "The two name different people:" >&2
    diff "$work/ours.txt" "$work/peer.txt" | head -20 >&2
    exit 1
fi
echo "Both name the same $(wc -l < "$work/ours.txt") of $N birthdays within $DAYS days."

hyperfine --shell=none --warmup 5 --runs "${RUNS:-30}" --export-json "$work/times.json" \
    --command-name candlewise "$ours" --command-name birthday "$peer"
python3 - "$work/times.json" <<'PYTHON'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
ours, peer = results["candlewise"]["median"], results["birthday"]["median"]
print(f"medians: candlewise {ours * 1000:.1f} ms, birthday {peer * 1000:.1f} ms; "
      f"ratio candlewise/birthday = {ours / peer:.2f} (target at most 0.50)")
PYTHON
