# Sourced by the e2e runners once $root is set: the one environment a checked session starts from.
# Nothing of the real user's desktop may leak in: every place the program or the desktop tools
# write to is inside the temporary root.
mkdir -p "$root/home" "$root/config" "$root/data" "$root/state" "$root/runtime" "$root/common" "$root/autostart" "$shots"
chmod 700 "$root/runtime"
session_env=(
    PATH="/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
    LANG=C.UTF-8 LC_ALL=C.UTF-8
    HOME="$root/home"
    XDG_CONFIG_HOME="$root/config"
    XDG_DATA_HOME="$root/data"
    XDG_STATE_HOME="$root/state"
    XDG_CACHE_HOME="$root/home/.cache"
    XDG_RUNTIME_DIR="$root/runtime"
    CANDLEWISE_COMMON_APPDATA="$root/common"
    CANDLEWISE_AUTOSTART_DIR="$root/autostart"
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    QT_ACCESSIBILITY=1
    NO_AT_BRIDGE=0
    TMPDIR="$root"
    PYTHONDONTWRITEBYTECODE=1
)
