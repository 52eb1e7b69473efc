# Shared by the soak and fault scripts (and the packaging test): a private X server,
# finding the program's windows and clicking in them as a player does. Sourced, not run.
#
#   sk_start_x [-ac]        Xvfb on a free display; sets DISPLAY; -ac lets other users in
#   sk_wait_window NAME T   waits up to T s for the visible window; sets WIN WX WY WW WH
#   sk_click X Y            clicks at client coordinates of the last window found
#   sk_cleanup              ends what sk_* started (call from an EXIT trap)

source "$(dirname "${BASH_SOURCE[0]}")/../lib/x11.sh"

SK_PIDS=()
# Under a C locale Qt gives the windows' WM_NAME in a form xdotool cannot match against
# Japanese titles; a player's desktop has a UTF-8 locale, and so do these runs.
export LC_ALL=C.UTF-8

sk_log() { printf '[%s] %s\n' "${SK_NAME:-soak}" "$*"; }

sk_start_x() {
    local status=0
    x11_start_xvfb /dev/null "$@" || status=$?
    [ -n "$X11_XVFB_PID" ] && SK_PIDS+=("$X11_XVFB_PID")
    return "$status"
}

sk_cleanup() {
    local pid
    for pid in "${SK_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${SK_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    SK_PIDS=()
}

# The visible window of exactly that title: WIN, and its client area WX WY WW WH.
sk_find_window() { x11_find_window "$1"; }

sk_alive() { kill -0 "$1" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }

# sk_wait_window NAME TIMEOUT [PID]: fails (status 1, message on stderr) if the window does
# not come, or if the program PID ends meanwhile.
sk_wait_window() {
    local name=$1 timeout=$2 pid=${3:-} tenths
    for tenths in $(seq $((timeout * 10))); do
        sk_find_window "$name" && return 0
        if [ -n "$pid" ] && ! sk_alive "$pid"; then
            echo "the program ended while waiting for the $name window" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "no $name window after ${timeout}s" >&2
    return 1
}

# A click at client coordinates of the window last found, never a double click.
sk_click() { x11_click "$1" "$2"; }

# Clicks a button given by its top-left corner and size, at its centre.
sk_button() { sk_click $(($1 + $3 / 2)) $(($2 + $4 / 2)); }

# VmRSS of a process in kB.
sk_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
