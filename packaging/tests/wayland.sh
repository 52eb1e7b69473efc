#!/usr/bin/env bash
# The game on a Wayland desktop: under a headless weston (with its debug extension, so that
# weston-debug can dump the compositor's scene graph), the menu window must be mapped as an
# xdg toplevel of our process, nothing may be printed on stderr (no warning about window
# positions, which Wayland does not let a client set), and SIGTERM ends it with status 0.
#
# usage: wayland.sh PROGRAM
set -uo pipefail
program=$(readlink -f "${1:?usage: wayland.sh PROGRAM}")
for tool in weston weston-debug; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is needed (apt-get install weston)" >&2
        exit 1
    }
done
[ -n "$(find /usr/lib -path '*qt6/plugins/platforms/libqwayland-generic.so' -print -quit)" ] || {
    echo "FAIL: Qt's Wayland platform plugin is needed (apt-get install qt6-wayland)" >&2
    exit 1
}

source "$(dirname "$0")/../../tests/harness/harness.sh"

runtime=$(mktemp -d /tmp/poko-wayland.XXXXXX) # mode 700, as a runtime folder must be
weston_pid=""
game_pid=""
pulse_pid=""
finish() {
    [ -n "$game_pid" ] && kill -KILL "$game_pid" 2>/dev/null
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null
    [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null
    rm -rf "$runtime"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    for log in "$runtime"/*.log "$runtime"/scene.txt; do
        [ -f "$log" ] && sed "s/^/[$(basename "$log")] /" "$log" | tail -30 >&2
    done
    exit 1
}

export XDG_RUNTIME_DIR=$runtime
export WAYLAND_DISPLAY=wayland-poko
weston --backend=headless-backend.so --use-pixman --debug --idle-time=0 \
    --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
    [ -S "$runtime/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -S "$runtime/$WAYLAND_DISPLAY" ] || fail "weston did not open its socket"

# A sound server, as a desktop has one: without it the game would say so on stderr.
harness_start_pulse "$runtime" || fail "the sound server did not start"
pulse_pid=$HARNESS_SOUND_PID

# A clean environment but for what the game needs, so no X display is used by mistake.
env -i HOME="$runtime" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" \
    WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland \
    "$program" >"$runtime/game.log" 2>"$runtime/game-stderr.log" &
game_pid=$!

# The scene graph lists a view only for a surface the shell has mapped.
mapped=""
for _ in $(seq 60); do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended on its own"
    timeout 5 weston-debug scene-graph >"$runtime/scene.txt" 2>&1
    mapped=$(grep -E "role xdg_toplevel, PID $game_pid,.*top-level window 'メニュー'" "$runtime/scene.txt")
    [ -n "$mapped" ] && break
    sleep 0.5
done
[ -n "$mapped" ] || fail "no menu window was mapped within 30 s"
echo "mapped:$mapped"
sleep 2 # the title animation runs for a while under the compositor

kill -0 "$game_pid" 2>/dev/null || fail "the game ended on its own"
kill -TERM "$game_pid"
status=""
for _ in $(seq 100); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        wait "$game_pid"
        status=$?
        break
    fi
    sleep 0.1
done
[ -n "$status" ] || fail "the game did not end within 10 s of SIGTERM"
game_pid=""
[ "$status" -eq 0 ] || fail "after SIGTERM the game ended with status $status"
[ -s "$runtime/game-stderr.log" ] && fail "the game wrote to stderr: $(head -5 "$runtime/game-stderr.log")"
echo "wayland: the menu was mapped, nothing on stderr, SIGTERM gave status 0"
