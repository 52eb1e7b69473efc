# Shared by the soak and fault scripts, the packaging test and the screenshots: a private
# X server, a private copy of the program, and playing it by clicks as a player does.
# Sourced, not run.
#
#   sk_log MSG...              a line tagged with $SK_NAME
#   sk_start_x [-ac]           Xvfb on a free display; sets DISPLAY; -ac lets other users in
#   sk_cleanup                 ends what sk_start_x started (call from an EXIT trap)
#   sk_prepare_program EXE DIR [LEVELS]
#                              DIR becomes a program folder: a copy of EXE, and with LEVELS
#                              its data folder too, holding those settings
#   sk_launch DIR              starts DIR's program from /, heard by a null sink; sets SK_PID
#   sk_alive PID               the process runs (and is no zombie)
#   sk_wait_exit PID T         waits up to T s for PID to end; sets SK_EXIT_STATUS
#   sk_find_window NAME        the visible window of that title; sets WIN WX WY WW WH
#   sk_wait_window NAME T [PID]  waits up to T s for it; fails if PID ends meanwhile
#   sk_click X Y               clicks at client coordinates of the last window found
#   sk_button X Y W H          clicks a button at its centre
#   sk_sweep "X Y"...          clicks at each point in turn, in one xdotool
#   sk_menu_to_game PID        start → メニュー → ゲーム; reason on stderr when it fails
#   sk_game_to_settings PID    ゲーム → 設定; reason on stderr when it fails
#   sk_rss PID                 resident memory in kB
#   SK_HOLES                   the nine holes' hit-target centres on the game screen

source "$(dirname "${BASH_SOURCE[0]}")/../lib/x11.sh"

SK_PIDS=()
SK_PID=""
SK_EXIT_STATUS=""
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

# sk_start_sound RUNDIR [anyone]: a private sound server whose socket is
# RUNDIR/pulse/native, ended by sk_cleanup; one per RUNDIR. With "anyone", every user may
# play through it.
sk_start_sound() {
    [ -S "$1/pulse/native" ] && return 0
    local protocol=module-native-protocol-unix
    [ "${2:-}" = anyone ] && protocol="$protocol auth-anonymous=1"
    (cd / && HOME=$1 XDG_RUNTIME_DIR=$1 exec pulseaudio --daemonize=no --exit-idle-time=-1 -n \
        --disallow-exit --use-pid-file=false --load="module-null-sink sink_name=nul" \
        --load="$protocol" --log-target=file:"$1/pulseaudio.log") \
        >/dev/null 2>&1 &
    SK_PIDS+=($!)
    local i
    for i in $(seq 100); do
        if XDG_RUNTIME_DIR=$1 pactl info >/dev/null 2>&1; then
            [ "${2:-}" = anyone ] && chmod 755 "$1" "$1/pulse"
            return 0
        fi
        sleep 0.1
    done
    echo "the sound server did not start in $1" >&2
    return 1
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

# The program finds its data beside itself, so each run gets a folder of its own that it
# may damage or write to. Without LEVELS the caller builds the data folder.
sk_prepare_program() {
    local exe=$1 dir=$2 levels=${3:-}
    mkdir -p "$dir" && cp "$exe" "$dir/pokopenpan" || return 1
    [ -n "$levels" ] || return 0
    cp -r "$(dirname "$exe")/データ" "$dir/データ" && printf '%s\r\n' "$levels" >"$dir/データ/設定.dat"
}

# From / so that nothing depends on the working folder, with a sound server of its own
# playing into a null sink, so the program opens its sound and loads the sounds (and finds
# their faults) as a player's would. Output goes to DIR/stdout.log and DIR/stderr.log. The
# program is a child of this shell (SK_PID), for sk_wait_exit.
sk_launch() {
    mkdir -p -m 700 "$1/run"
    sk_start_sound "$1/run"
    (cd / && XDG_RUNTIME_DIR=$1/run exec "$1/pokopenpan") \
        >"$1/stdout.log" 2>"$1/stderr.log" &
    SK_PID=$!
}

sk_alive() { kill -0 "$1" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }

# A global rather than the return status, so that "still running" cannot be mistaken for an
# exit status; fails (status 1) while PID still runs.
sk_wait_exit() {
    local pid=$1 timeout=$2 tenths
    for tenths in $(seq $((timeout * 10))); do
        sk_alive "$pid" || break
        sleep 0.1
    done
    sk_alive "$pid" && return 1
    wait "$pid"
    SK_EXIT_STATUS=$?
}

# The visible window of exactly that title: WIN, and its client area WX WY WW WH.
sk_find_window() { x11_find_window "$1"; }

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

# One xdotool for many clicks is quicker than one each; unlike sk_click it does not keep
# clicks at the same place apart.
sk_sweep() {
    local point args=()
    for point; do
        args+=(mousemove $((WX + ${point% *})) $((WY + ${point#* })) click 1)
    done
    xdotool "${args[@]}"
}

# Hit-target centres of the nine holes, in the game window.
SK_HOLES=("116 45" "316 45" "516 45" "116 170" "316 170" "516 170" "116 295" "316 295" "516 295")

# Ends on the game screen, ready for clicks.
sk_menu_to_game() {
    sk_wait_window メニュー 30 "$1" || return 1
    sleep 4 # the title is spelt out, a character every half second, before the buttons
    sk_button 512 13 89 27 # ゲーム
    sk_wait_window ゲーム 15 "$1" || return 1
    sleep 0.5
}

# Ends on the settings screen, ready for clicks.
sk_game_to_settings() {
    sk_button 40 13 89 27 # 設　定
    sk_wait_window 設定 15 "$1" || return 1
    sleep 0.5
}

# VmRSS of a process in kB.
sk_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
