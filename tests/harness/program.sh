# A private copy of the program, launched and played by clicks as a player does; used by
# the soak and fault scripts, the package tests and the screenshots. Part of tests/harness.
#
#   harness_log MSG...                 a line tagged with $HARNESS_NAME
#   harness_start_x [-ac]              Xvfb on a free display; sets DISPLAY; -ac lets other
#                                      users in
#   harness_start_sound RUNDIR [anyone]  a sound server in RUNDIR (see sound.sh), one per
#                                      RUNDIR, ended by harness_cleanup
#   harness_cleanup                    ends what the two above started (from an EXIT trap)
#   harness_prepare_program EXE DIR [LEVELS]
#                                      DIR becomes a program folder: a copy of EXE, and with
#                                      LEVELS its data folder too, holding those settings
#   harness_launch DIR                 starts DIR's program from /, heard by a null sink;
#                                      sets HARNESS_PID
#   harness_alive PID                  the process runs (and is no zombie)
#   harness_wait_exit PID T            waits up to T s for PID to end; sets
#                                      HARNESS_EXIT_STATUS
#   harness_find_window NAME           the visible window of that title; sets WIN WX WY WW WH
#   harness_wait_window NAME T [PID]   waits up to T s for it; fails if PID ends meanwhile
#   harness_click X Y                  clicks at client coordinates of the last window found
#   harness_button X Y W H             clicks a button at its centre
#   harness_sweep "X Y"...             clicks at each point in turn, in one xdotool
#   harness_menu_to_game PID           start → メニュー → ゲーム; reason on stderr when it fails
#   harness_game_to_settings PID       ゲーム → 設定; reason on stderr when it fails
#   harness_rss PID                    resident memory in kB
#   HARNESS_HOLES                      the nine holes' hit-target centres on the game screen

HARNESS_PIDS=()
HARNESS_PID=""
HARNESS_EXIT_STATUS=""
# Under a C locale Qt gives the windows' WM_NAME in a form xdotool cannot match against
# Japanese titles; a player's desktop has a UTF-8 locale, and so do these runs.
export LC_ALL=C.UTF-8

harness_log() { printf '[%s] %s\n' "${HARNESS_NAME:-soak}" "$*"; }

harness_start_x() {
    local status=0
    x11_start_xvfb /dev/null "$@" || status=$?
    [ -n "$X11_XVFB_PID" ] && HARNESS_PIDS+=("$X11_XVFB_PID")
    return "$status"
}

harness_start_sound() {
    [ -S "$1/pulse/native" ] && return 0
    local status=0
    harness_start_pulse "$1" "$1/pulseaudio.log" "${2:-}" || status=$?
    HARNESS_PIDS+=("${HARNESS_SOUND_PIDS[@]}")
    return "$status"
}

harness_cleanup() {
    local pid
    for pid in "${HARNESS_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${HARNESS_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    HARNESS_PIDS=()
}

# The program finds its data beside itself, so each run gets a folder of its own that it
# may damage or write to. Without LEVELS the caller builds the data folder.
harness_prepare_program() {
    local exe=$1 dir=$2 levels=${3:-}
    mkdir -p "$dir" && cp "$exe" "$dir/pokopenpan" || return 1
    [ -n "$levels" ] || return 0
    cp -r "$(dirname "$exe")/データ" "$dir/データ" && printf '%s\r\n' "$levels" >"$dir/データ/設定.dat"
}

# From / so that nothing depends on the working folder, with a sound server of its own
# playing into a null sink, so the program opens its sound and loads the sounds (and finds
# their faults) as a player's would. Output goes to DIR/stdout.log and DIR/stderr.log. The
# program is a child of this shell (HARNESS_PID), for harness_wait_exit.
harness_launch() {
    mkdir -p -m 700 "$1/run"
    harness_start_sound "$1/run"
    (cd / && XDG_RUNTIME_DIR=$1/run exec "$1/pokopenpan") \
        >"$1/stdout.log" 2>"$1/stderr.log" &
    HARNESS_PID=$!
}

harness_alive() { kill -0 "$1" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$1/status" 2>/dev/null; }

# A global rather than the return status, so that "still running" cannot be mistaken for an
# exit status; fails (status 1) while PID still runs.
harness_wait_exit() {
    local pid=$1 timeout=$2 tenths
    for tenths in $(seq $((timeout * 10))); do
        harness_alive "$pid" || break
        sleep 0.1
    done
    harness_alive "$pid" && return 1
    wait "$pid"
    HARNESS_EXIT_STATUS=$?
}

# The visible window of exactly that title: WIN, and its client area WX WY WW WH.
harness_find_window() { x11_find_window "$1"; }

# harness_wait_window NAME TIMEOUT [PID]: fails (status 1, message on stderr) if the window does
# not come, or if the program PID ends meanwhile.
harness_wait_window() {
    local name=$1 timeout=$2 pid=${3:-} tenths
    for tenths in $(seq $((timeout * 10))); do
        harness_find_window "$name" && return 0
        if [ -n "$pid" ] && ! harness_alive "$pid"; then
            echo "the program ended while waiting for the $name window" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "no $name window after ${timeout}s" >&2
    return 1
}

# A click at client coordinates of the window last found, never a double click.
harness_click() { x11_click "$1" "$2"; }

# Clicks a button given by its top-left corner and size, at its centre.
harness_button() { harness_click $(($1 + $3 / 2)) $(($2 + $4 / 2)); }

# One xdotool for many clicks is quicker than one each; unlike harness_click it does not keep
# clicks at the same place apart.
harness_sweep() {
    local point args=()
    for point; do
        args+=(mousemove $((WX + ${point% *})) $((WY + ${point#* })) click 1)
    done
    xdotool "${args[@]}"
}

# Hit-target centres of the nine holes, in the game window.
HARNESS_HOLES=("116 45" "316 45" "516 45" "116 170" "316 170" "516 170" "116 295" "316 295" "516 295")

# Ends on the game screen, ready for clicks.
harness_menu_to_game() {
    harness_wait_window メニュー 30 "$1" || return 1
    sleep 4 # the title is spelt out, a character every half second, before the buttons
    harness_button 512 13 89 27 # ゲーム
    harness_wait_window ゲーム 15 "$1" || return 1
    sleep 0.5
}

# Ends on the settings screen, ready for clicks.
harness_game_to_settings() {
    harness_button 40 13 89 27 # 設　定
    harness_wait_window 設定 15 "$1" || return 1
    sleep 0.5
}

# VmRSS of a process in kB.
harness_rss() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; }
