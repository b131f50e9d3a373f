#!/usr/bin/env bash
# "Who is due in the next 30 days" over the same N birthdays, a tenth of them with a birth year:
# `candlewise --upcoming 30` against `birthday -W 30` (Debian package birthday) and against `sqlite3`
# reading the same rows with their years, whole processes, timed in one hyperfine run so that the
# ratios hold on a busy machine. candlewise and birthday must name the same people first.
# Usage: bench/cli_vs_peers.sh [BUILD_DIR] (default build, as scripts/test leaves it); N=100000.
#        bench/cli_vs_peers.sh BEFORE_BUILD AFTER_BUILD: candlewise-before, candlewise-after and
#        birthday in the same hyperfine run. TIMES_JSON=FILE keeps hyperfine's results.
source "$(dirname "$0")/../scripts/lib.sh"
ensure_packages hyperfine birthday python3 sqlite3
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
# The years live beside the list, as the program keeps them.
db.execute("create table tblBirthdayExtra (BirthdayId INTEGER PRIMARY KEY, BirthYear INTEGER, "
           "Kind INTEGER NOT NULL DEFAULT 0, DeathDate TEXT)")
db.execute("create trigger trBirthdayExtraGoes after delete on tblBirthday begin "
           "delete from tblBirthdayExtra where BirthdayId=old.id; end")
db.executemany("insert into tblBirthdayExtra (BirthdayId,BirthYear) values (?,?)",
               [(i + 1, 1930 + draw.randint(0, 90)) for i in range(0, count, 10)])
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

reader="sqlite3 -readonly '$store'"
# The rows due within DAYS days: their month and day as one number, in one or two ranges.
ranges="$(python3 -c "import datetime as d; t = d.date.today(); e = t + d.timedelta($DAYS)
key = lambda x: x.month * 100 + x.day
print(f'between {key(t)} and {key(e)}' if e.year == t.year else
      f'between {key(t)} and 1231 or b.BirthMonth * 100 + b.BirthDay between 101 and {key(e)}')")"
query="select b.id, b.Person, b.BirthMonth, b.BirthDay, e.BirthYear from tblBirthday b left join \
tblBirthdayExtra e on e.BirthdayId=b.id where b.BirthMonth * 100 + b.BirthDay $ranges"
times="${TIMES_JSON:-$work/times.json}"
hyperfine --shell=none --warmup 5 --runs "${RUNS:-30}" --export-json "$times" \
    "${timed[@]}" --command-name birthday "$peer" --command-name sqlite3 "$reader '$query'"
python3 - "$times" "${NAMES[@]}" <<'PYTHON'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
for peer, target in (("birthday", "at most 0.50"), ("sqlite3", "at most 1.5")):
    theirs = results[peer]["median"]
    for name in sys.argv[2:]:
        ours = results[name]["median"]
        print(f"medians: {name} {ours * 1000:.1f} ms, {peer} {theirs * 1000:.1f} ms; "
              f"ratio {name}/{peer} = {ours / theirs:.2f} (target {target})")
PYTHON
