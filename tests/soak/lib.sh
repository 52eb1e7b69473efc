# Shared by the soak and fault scripts (and the packaging test): a private X server,
# finding the program's windows and clicking in them as a player does. Sourced, not run.
#
#   sk_start_x [-ac]        Xvfb on a free display; sets DISPLAY; -ac lets other users in
#   sk_wait_window NAME T   waits up to T s for the visible window; sets WIN WX WY WW WH
#   sk_click X Y            clicks at client coordinates of the last window found
#   sk_cleanup              ends what sk_* started (call from an EXIT trap)

SK_PIDS=()
SK_LAST_CLICK="-1 -1 0"
# Under a C locale Qt gives the windows' WM_NAME in a form xdotool cannot match against
# Japanese titles; a player's desktop has a UTF-8 locale, and so do these runs.
export LC_ALL=C.UTF-8

sk_log() { printf '[%s] %s\n' "${SK_NAME:-soak}" "$*"; }

sk_start_x() {
    local fdfile
    fdfile=$(mktemp /tmp/poko-soak-display.XXXXXX)
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" \
        5>"$fdfile" >/dev/null 2>&1 &
    SK_PIDS+=($!)
    local i
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || {
        echo "Xvfb did not start" >&2
        rm -f "$fdfile"
        return 1
    }
    export DISPLAY=:$(head -1 "$fdfile")
    rm -f "$fdfile"
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool mousemove 1000 750
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
sk_find_window() {
    local id info
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        grep -q "Map State: IsViewable" <<<"$info" || continue
        WIN=$id
        WX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
        WY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        WW=$(awk '/Width:/ {print $2}' <<<"$info")
        WH=$(awk '/Height:/ {print $2}' <<<"$info")
        return 0
    done
    return 1
}

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

# Waits until no visible window has that title.
sk_wait_gone() {
    local name=$1 timeout=$2 tenths
    for tenths in $(seq $((timeout * 10))); do
        sk_find_window "$name" || return 0
        sleep 0.1
    done
    return 1
}

# A click at client coordinates of the window last found. Two clicks at about the same
# place are kept further apart than a double click.
sk_click() {
    local x=$1 y=$2 lx ly lt now
    read -r lx ly lt <<<"$SK_LAST_CLICK"
    now=$(date +%s%N)
    if [ $(((x - lx) * (x - lx) + (y - ly) * (y - ly))) -lt 400 ] &&
        [ $(((now - lt) / 1000000)) -lt 600 ]; then
        sleep 0.6
    fi
    xdotool mousemove --sync $((WX + x)) $((WY + y)) click 1
    SK_LAST_CLICK="$x $y $(date +%s%N)"
}

# Clicks a button given by its top-left corner and size, at its centre.
sk_button() { sk_click $(($1 + $3 / 2)) $(($2 + $4 / 2)); }

# VmRSS of a process in kB.
sk_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
