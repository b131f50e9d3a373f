#!/usr/bin/env bash
# Idle CPU and peak memory of the real program with 10,000 birthdays (ROWS to change), each case measured over
# SECONDS_IDLE seconds (default 60) after the window has settled:
#   window  - the main window open, nothing to do but its one-second timer
#   snooze  - a birthday due today: the alert is answered with its OK, so a snooze counts down
#   timed   - the window open with reminders at a time of day and the evening before
# Runs under xvfb-run with its own temporary data root, settings home and autostart folder.
# Usage: bench/idle_cpu.sh [BUILD_DIR]   (default build-rel); MODES="window" measures one case only.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" = "--inside" ]; then BUILD="$4"; else BUILD="$(cd "${1:-$ROOT/build-rel}" && pwd)"; fi
PROGRAM="$BUILD/bin/candlewise"
SECONDS_IDLE="${SECONDS_IDLE:-60}"
ROWS="${ROWS:-10000}"
for tool in xvfb-run xdotool python3; do
    command -v "$tool" >/dev/null || { echo "idle_cpu: $tool is missing"; exit 77; }
done
[ -x "$PROGRAM" ] || { echo "idle_cpu: build $PROGRAM first"; exit 1; }

# A store of ROWS birthdays, none due today; with "due" one more falls on today.
make_world() {
    local world="$1" due="$2"
    mkdir -p "$world"/{home,config,data,autostart,common/Marrowfen/"Candlewise Software"}
    python3 - "$BUILD/bin/dbBlank.mdb" "$world/common/Marrowfen/Candlewise Software/dbData.mdb" "$ROWS" "$due" <<'PY'
import datetime, shutil, sqlite3, sys
seed, live, rows, due = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4] == "due"
shutil.copy(seed, live)
today = datetime.date.today()
db = sqlite3.connect(live)
for i in range(rows):
    month, day = i % 12 + 1, i % 28 + 1
    if (month, day) == (today.month, today.day):
        day = day % 28 + 1
    db.execute("insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)", (f"Person {i}", month, day))
if due:
    db.execute("insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)", ("Due Today", today.month, today.day))
db.commit()
PY
}

# Runs inside xvfb-run: starts the program, settles, measures, prints one line.
measure() {
    local world="$1" mode="$2"
    HOME="$world/home" XDG_CONFIG_HOME="$world/config" XDG_DATA_HOME="$world/data" \
    CANDLEWISE_COMMON_APPDATA="$world/common" CANDLEWISE_AUTOSTART_DIR="$world/autostart" \
        "$PROGRAM" >"$world/program.log" 2>&1 &
    local pid=$!
    if [ "$mode" = snooze ]; then
        local alert
        alert=$(xdotool search --sync --onlyvisible --name "Birthday Alert!" | head -n 1)
        sleep 1
        # OK, at the foot of the alert, with the preselected choice ("Remind me again in 1 hour").
        xdotool mousemove --window "$alert" 268 355 click 1
    else
        xdotool search --sync --onlyvisible --name "Candlewise Software" >/dev/null
    fi
    sleep 5
    kill -0 "$pid"
    local hz ticks0 ticks1 start end
    hz=$(getconf CLK_TCK)
    ticks0=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    start=$(date +%s.%N)
    sleep "$SECONDS_IDLE"
    ticks1=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    end=$(date +%s.%N)
    local hwm rss
    hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
    rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    if [ "$mode" = snooze ] && xdotool search --onlyvisible --name "Birthday Alert!" >/dev/null; then
        echo "idle_cpu: the alert is still open; no snooze ran" >&2
    fi
    kill "$pid"; wait "$pid" 2>/dev/null || true
    awk -v m="$mode" -v t=$((ticks1 - ticks0)) -v hz="$hz" -v s="$start" -v e="$end" -v hwm="$hwm" -v rss="$rss" \
        'BEGIN { printf "%-7s cpu %.3f s over %.1f s = %.3f %% of one core; peak memory (VmHWM) %.1f MB, resident at the end %.1f MB\n",
                 m, t / hz, e - s, 100 * t / hz / (e - s), hwm / 1024, rss / 1024 }'
}

if [ "${1:-}" = "--inside" ]; then
    shift; measure "$@"; exit
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for mode in ${MODES:-window snooze timed}; do
    due=none; [ "$mode" = snooze ] && due=due
    make_world "$tmp/$mode" "$due"
    [ "$mode" = timed ] && printf '[Candlewise%%20Software]\nRemind%%20At=09:00\nRemind%%20Evening%%20Before=19:00\n' \
        >"$tmp/$mode/config/Marrowfen.ini"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --inside "$tmp/$mode" "$mode" "$BUILD"
done
