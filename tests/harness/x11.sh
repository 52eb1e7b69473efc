# A private X server, finding the program's windows and clicking in them as a player does.
# Part of tests/harness. Sourced, not run.
#
#   poko_start_x [ARGS]      Xvfb on a free display with the pointer in a corner (ARGS go to
#                            Xvfb: -ac lets other users in); sets DISPLAY; its pid joins
#                            POKO_PIDS as soon as it runs. Reason on stderr when it fails.
#   poko_find_window NAME    the visible window of exactly that title: sets POKO_WIN, and
#                            POKO_WX POKO_WY POKO_WW POKO_WH for its client area on the screen
#   poko_window_gone NAME    no visible window has that title
#   poko_click X Y           a click at client coordinates of the window last found, never a
#                            double click. It reached the program between POKO_CLICK_SENT_AT
#                            (xdotool starting) and POKO_CLICKED_AT (xdotool done), in
#                            wall-clock seconds; sets POKO_LAST_CLICK_US too, and notes the
#                            click in the session's timeline
#   poko_keys KEY...         keys pressed as a player does; sets POKO_KEYED_AT
#   poko_sweep "X Y"...      clicks at each point in turn, in one xdotool (quicker, but does
#                            not keep clicks at the same place apart)

POKO_PIDS=()
# The private screen's size: windows centre themselves on it, there being no window manager.
POKO_SCREEN_W=1024
POKO_SCREEN_H=768
POKO_LAST_CLICK_AT="-1 -1"
POKO_LAST_CLICK_US=0

poko_start_x() {
    local fdfile i log=/dev/null
    [ -n "${POKO_WORK:-}" ] && log=$POKO_WORK/xvfb.log
    fdfile=$(mktemp /tmp/poko-display.XXXXXX)
    Xvfb -displayfd 5 -screen 0 "${POKO_SCREEN_W}x${POKO_SCREEN_H}x24" -nolisten tcp -noreset "$@" \
        5>"$fdfile" >"$log" 2>&1 &
    POKO_PIDS+=($!)
    for i in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    if ! [ -s "$fdfile" ]; then
        echo "Xvfb did not start" >&2
        rm -f "$fdfile"
        return 1
    fi
    export DISPLAY=:$(head -1 "$fdfile")
    rm -f "$fdfile"
    for i in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && break
        sleep 0.1
    done
    if ! xdpyinfo >/dev/null 2>&1; then
        echo "Xvfb display $DISPLAY does not answer" >&2
        return 1
    fi
    # The pointer starts in a corner, away from every window.
    xdotool mousemove 1000 750
}

poko_find_window() {
    local id info
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        grep -q "Map State: IsViewable" <<<"$info" || continue
        POKO_WIN=$id
        POKO_WX=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
        POKO_WY=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
        POKO_WW=$(awk '/Width:/ {print $2}' <<<"$info")
        POKO_WH=$(awk '/Height:/ {print $2}' <<<"$info")
        return 0
    done
    return 1
}

poko_window_gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# Two clicks at about the same place are kept half a second apart, so the program never
# takes them for a double click (whose second click raises nothing).
poko_click() {
    local x=$1 y=$2 last_x last_y wait_us
    read -r last_x last_y <<<"$POKO_LAST_CLICK_AT"
    if [ $(((x - last_x) * (x - last_x) + (y - last_y) * (y - last_y))) -lt 400 ]; then
        wait_us=$((500000 - (${EPOCHREALTIME/./} - POKO_LAST_CLICK_US)))
        [ "$wait_us" -gt 0 ] && sleep "$(printf '0.%06d' "$wait_us")"
    fi
    # One connection: the server takes the move before the press. (--sync would wait for
    # ever when the pointer is already there.) The click is stamped on both sides of
    # xdotool: on a loaded machine its start-up alone can take a good part of the time the
    # program has to answer, so lateness counts from when it is done.
    POKO_CLICK_SENT_AT=$EPOCHREALTIME
    xdotool mousemove $((POKO_WX + x)) $((POKO_WY + y)) click 1
    POKO_CLICKED_AT=$EPOCHREALTIME
    POKO_LAST_CLICK_US=${POKO_CLICKED_AT/./}
    POKO_LAST_CLICK_AT="$x $y"
    [ -n "${POKO_WORK:-}" ] && echo "$POKO_CLICKED_AT click $x $y (sent from $POKO_CLICK_SENT_AT)" >>"$POKO_WORK/timeline.txt"
    return 0
}

# Through XTest, with the pointer resting on the window's bottom edge, where the window
# takes the keys.
poko_keys() {
    xdotool mousemove $((POKO_WX + POKO_WW / 2)) $((POKO_WY + POKO_WH - 3))
    POKO_KEYED_AT=$EPOCHREALTIME
    xdotool key "$@"
    [ -n "${POKO_WORK:-}" ] && echo "$POKO_KEYED_AT keys $*" >>"$POKO_WORK/timeline.txt"
    return 0
}

poko_sweep() {
    local point args=()
    for point; do
        args+=(mousemove $((POKO_WX + ${point% *})) $((POKO_WY + ${point#* })) click 1)
    done
    xdotool "${args[@]}"
}
