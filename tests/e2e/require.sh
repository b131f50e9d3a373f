# Sourced by the e2e runners with their arguments (PROGRAM SCENARIO SHOTS_DIR): skips the scenario (exit 77) when a tool it needs is missing, naming what
# scripts/test installs, and fails when the program is not built.
#   require KIND "PACKAGES" TOOL...
program="$1"
scenario="$2"
shots="$3"
python=/usr/bin/python3

require() {
    local kind="$1" packages="$2"
    shift 2
    local missing=() tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    [ -x "$python" ] && "$python" -c 'import pyatspi' >/dev/null 2>&1 || missing+=("python3-pyatspi")
    [ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi2-core")
    [ -z "${missing_extra:-}" ] || missing+=("$missing_extra")
    if [ ${#missing[@]} -ne 0 ]; then
        echo "SKIP: $kind '$scenario' needs tools that are not installed: ${missing[*]}"
        echo "      (scripts/test installs them: $packages)"
        exit 77
    fi
    if [ ! -x "$program" ]; then
        echo "FAIL: program not built: $program"
        exit 1
    fi
}
