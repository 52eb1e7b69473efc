# A private X server, finding the program's windows and clicking in them as a player does;
# shared by the end-to-end scenarios, the soak runs, the packaging test and the benchmarks.
# Sourced, not run.
#
#   x11_start_xvfb LOG [ARGS]  Xvfb on a free display with the pointer in a corner; sets
#                              DISPLAY and X11_XVFB_PID (set as soon as it runs, so the
#                              caller can end it even when the display never answers)
#   x11_find_window NAME       the visible window of exactly that title: sets WIN, and
#                              WX WY WW WH for its client area on the screen
#   x11_window_gone NAME       no visible window has that title
#   x11_click X Y              a click at client coordinates of the window last found;
#                              sets X11_CLICKED_AT (wall-clock seconds) and X11_CLICKED_US

X11_XVFB_PID=""
X11_LAST_CLICK_AT="-1 -1"
X11_CLICKED_US=0

x11_start_xvfb() {
    local log=$1 fdfile i
    shift
    fdfile=$(mktemp /tmp/poko-display.XXXXXX)
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" \
        5>"$fdfile" >"$log" 2>&1 &
    X11_XVFB_PID=$!
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

x11_find_window() {
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

x11_window_gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# Two clicks at about the same place are kept half a second apart, so the program never
# takes them for a double click (whose second click raises nothing).
x11_click() {
    local x=$1 y=$2 last_x last_y wait_us
    read -r last_x last_y <<<"$X11_LAST_CLICK_AT"
    if [ $(((x - last_x) * (x - last_x) + (y - last_y) * (y - last_y))) -lt 400 ]; then
        wait_us=$((500000 - (${EPOCHREALTIME/./} - X11_CLICKED_US)))
        [ "$wait_us" -gt 0 ] && sleep "$(printf '0.%06d' "$wait_us")"
    fi
    # One connection: the server takes the move before the press. (--sync would wait for
    # ever when the pointer is already there.)
    X11_CLICKED_AT=$EPOCHREALTIME
    xdotool mousemove $((WX + x)) $((WY + y)) click 1
    X11_CLICKED_US=${X11_CLICKED_AT/./}
    X11_LAST_CLICK_AT="$x $y"
}
