# A private copy of the program, launched, waited for and led between its screens as a
# player does; runs that fail. Part of tests/harness. Sourced, not run.
#
#   poko_log MSG...                  a line tagged with POKO_NAME (and the session's time)
#   poko_fail MSG                    the script fails: says why, runs the POKO_ON_FAIL
#                                    commands, exits 1 (the session keeps its artifacts)
#   poko_pass                        the script passes: says so, exits 0
#   poko_fail_run MSG                one run of a script that makes many fails: counted in
#                                    POKO_FAILURES, noted in POKO_RESULT, its program ended,
#                                    the script goes on; status 1
#   poko_on_exit CMD                 CMD runs when the script ends, before the harness ends
#                                    what it started
#   poko_stop_all                    ends the program and everything the harness started
#   poko_prepare_program EXE DIR [LEVELS]
#                                    DIR becomes a program folder: a copy of EXE and of its
#                                    data folder, holding LEVELS as its settings if given;
#                                    sets POKO_PROG, POKO_DATA, POKO_SETTINGS
#   poko_launch [DIR]                starts DIR's program (POKO_PROG by default) from /, with
#                                    a sound server of its own; sets POKO_PID and POKO_LOG
#   poko_running [PID]               the program (POKO_PID) runs, and is no zombie
#   poko_wait_exit T                 waits up to T s for POKO_PID to end; sets POKO_STATUS
#                                    and POKO_ENDED_AT; status 1 while it still runs
#   poko_wait_window NAME [T]        waits up to T s (20) for the window: POKO_WIN, and
#                                    POKO_WX POKO_WY POKO_WW POKO_WH
#   poko_to_game                     メニュー, its buttons shown, → ゲーム, its buttons shown
#   poko_wait_game                   the game screen with its buttons shown
#   poko_open_settings               ゲーム → 設定, at its size, painted
#   poko_window_sized SCREEN         the window last found has that screen's size
#   poko_stray_keys WHEN             Space and Enter change nothing (buttons hidden)
#   poko_rss [PID]                   resident memory in kB
# A step that cannot be done fails the script in a session (poko_begin); elsewhere it says
# why on stderr and returns 1, for the script to judge.

POKO_PID=""
POKO_ON_EXIT=()
POKO_ON_FAIL=()
POKO_FAILURES=0

poko_log() {
    if [ -n "${POKO_T0:-}" ]; then
        printf '[%s %6.2fs] %s\n' "${POKO_NAME:-poko}" "$(poko_since "$POKO_T0")" "$*"
    else
        printf '[%s] %s\n' "${POKO_NAME:-poko}" "$*"
    fi
}

poko_fail() {
    local command
    echo "[${POKO_NAME:-poko}] FAIL: $*" >&2
    for command in "${POKO_ON_FAIL[@]}"; do eval "$command"; done
    if [ -n "${POKO_SESSION:-}" ]; then
        echo "FAIL: $*" >>"$POKO_WORK/timeline.txt"
        [ -n "${DISPLAY:-}" ] && poko_shot failure root 2>/dev/null
    fi
    exit 1
}

poko_pass() {
    poko_log "passed"
    exit 0
}

# A step that cannot be done: fatal in a session, a reason on stderr elsewhere.
poko_cannot() {
    [ -n "${POKO_SESSION:-}" ] && poko_fail "$*"
    echo "$*" >&2
    return 1
}

poko_fail_run() {
    poko_log "${POKO_RUN_NAME:-run}: FAIL: $*"
    [ -n "${POKO_RESULT:-}" ] && echo "FAIL ${POKO_RUN_NAME:-run}: $*" >>"$POKO_RESULT"
    [ -n "${POKO_LOG:-}" ] && [ -f "$POKO_LOG" ] &&
        tail -5 "$POKO_LOG" | sed "s/^/[${POKO_RUN_NAME:-run} program] /"
    POKO_FAILURES=$((POKO_FAILURES + 1))
    POKO_FAILED=1
    poko_end_program
    return 1
}

poko_on_exit() { POKO_ON_EXIT+=("$*"); }

poko_end_program() {
    if poko_running; then
        kill "$POKO_PID" 2>/dev/null
        local i
        for i in 1 2 3 4 5 6; do
            poko_running || break
            sleep 0.05
        done
        kill -9 "$POKO_PID" 2>/dev/null
        wait "$POKO_PID" 2>/dev/null
    fi
    POKO_PID=""
}

poko_stop_all() {
    local pid
    poko_end_program
    for pid in "${POKO_PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${POKO_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    POKO_PIDS=()
}

# The program finds its data beside itself, so each run gets a folder of its own that it
# may damage or write to.
poko_prepare_program() {
    local exe=$1 dir=$2
    POKO_PROG=$dir
    POKO_DATA=$dir/データ
    POKO_SETTINGS=$POKO_DATA/設定.dat
    mkdir -p "$dir" && cp "$exe" "$dir/pokopenpan" && cp -r "$(dirname "$exe")/データ" "$POKO_DATA" ||
        return 1
    [ -z "${3:-}" ] || printf '%s\r\n' "$3" >"$POKO_SETTINGS"
}

# From / so that nothing depends on the working folder, with a sound server of its own
# playing into a null sink (the session's, or one in DIR/run), so the program opens its
# sound and loads the sounds (and finds their faults) as a player's would. Its output goes
# to DIR/program.log. A player's desktop has a UTF-8 locale; under a C locale Qt gives the
# windows' titles in a form xdotool cannot match against Japanese.
poko_launch() {
    local dir=${1:-$POKO_PROG} run
    run=${POKO_RUN:-$dir/run}
    if ! [ -S "$run/pulse/native" ]; then
        mkdir -p -m 700 "$run"
        poko_start_sound "$run"
    fi
    POKO_LOG=$dir/program.log
    (cd / && XDG_RUNTIME_DIR=$run LC_ALL=C.UTF-8 exec "$dir/pokopenpan") >"$POKO_LOG" 2>&1 &
    POKO_PID=$!
    poko_log "program started (pid $POKO_PID)"
}

poko_running() {
    local pid=${1:-$POKO_PID}
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && ! grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null
}

poko_wait_exit() {
    local timeout=$1 i
    for i in $(seq $((timeout * 20))); do
        poko_running || break
        sleep 0.05
    done
    poko_running && return 1
    wait "$POKO_PID"
    POKO_STATUS=$?
    POKO_ENDED_AT=$EPOCHREALTIME
    POKO_PID=""
    return 0
}

# Seconds (decimals allowed) as whole microseconds.
poko_micro() { awk -v s="$1" 'BEGIN { printf "%.0f\n", s * 1000000 }'; }

poko_wait_window() {
    local name=$1 timeout=${2:-20} start=${EPOCHREALTIME/./} limit
    limit=$(poko_micro "$timeout")
    until poko_find_window "$name"; do
        poko_running || {
            poko_cannot "the program ended while waiting for the $name window"
            return 1
        }
        [ $((${EPOCHREALTIME/./} - start)) -gt "$limit" ] && {
            poko_cannot "no $name window after ${timeout}s"
            return 1
        }
        sleep 0.05
    done
    [ -n "${POKO_SESSION:-}" ] && poko_log "$name window at ${POKO_WX},${POKO_WY} size ${POKO_WW}x${POKO_WH}"
    return 0
}

# Polls a condition (a shell command) for up to T s; says what was awaited if it never held.
poko_wait_until() { # DESCRIPTION T COMMAND...
    local description=$1 timeout=$2 start=${EPOCHREALTIME/./} limit
    limit=$(poko_micro "$timeout")
    shift 2
    until "$@"; do
        [ $((${EPOCHREALTIME/./} - start)) -gt "$limit" ] && {
            poko_cannot "timed out after ${timeout}s waiting until $description"
            return 1
        }
        sleep 0.05
    done
}

# The menu once its title is spelt: its buttons show.
poko_wait_menu() {
    poko_wait_window メニュー 30 || return 1
    poko_wait_until "the menu's buttons show" 20 poko_button_shows メニュー Command1
}

# From the menu to the game screen by its ゲーム button; ends with the board buttons shown,
# ready for clicks.
poko_to_game() {
    poko_wait_menu || return 1
    poko_click_on メニュー Command1
    poko_wait_game
}

# The game screen, come (or back), with its buttons shown.
poko_wait_game() {
    poko_wait_window ゲーム 15 || return 1
    poko_wait_until "the game screen's buttons show" 10 poko_button_shows ゲーム Command1
}

# From the game screen to 設定 by its button: the game screen goes, 設定 comes at its
# size and is painted.
poko_open_settings() {
    poko_click_on ゲーム Command3
    poko_wait_window 設定 15 || return 1
    poko_window_gone ゲーム || {
        poko_cannot "the game screen stayed open under 設定"
        return 1
    }
    poko_window_sized 設定 || return 1
    poko_wait_until "設定 is painted" 5 poko_settings_painted
}

# The window last found has its screen's size, as places.tsv gives it.
poko_window_sized() { # SCREEN
    local w h
    read -r _ _ w h < <(poko_place "$1" window)
    [ "$POKO_WW" = "$w" ] && [ "$POKO_WH" = "$h" ] || {
        poko_cannot "$1 window is ${POKO_WW}x${POKO_WH}, not ${w}x$h"
        return 1
    }
}

# Space and both Enter keys, which press a focused button: with the board buttons hidden
# they must do nothing at all, whichever button last had the focus.
poko_stray_keys() { # WHEN
    poko_keys space Return KP_Enter
    sleep 0.3
    if poko_running; then
        poko_window_gone 設定 || poko_fail "a key $1 opened the settings screen"
        poko_find_window ゲーム || poko_fail "a key $1 closed the game screen"
    fi
    poko_log "Space, Return and keypad Enter $1: nothing happened"
}

poko_rss() { awk '/^VmRSS:/ {print $2}' "/proc/${1:-$POKO_PID}/status"; }
