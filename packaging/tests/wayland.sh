#!/usr/bin/env bash
# The game on a Wayland desktop: under a headless weston (with its debug extension, so that
# weston-debug can dump the compositor's scene graph), the menu window must be mapped as an
# xdg toplevel of our process whose app id, the one the client set, is the name of the
# desktop entry that is installed (the compositor ties the window to its launcher and icon
# by it alone), nothing may be printed on stderr (no warning about window positions, which
# Wayland does not let a client set), and SIGTERM ends it with status 0.
#
# usage: wayland.sh PROGRAM DESKTOP_ENTRY
set -uo pipefail
program=$(readlink -f "${1:?usage: wayland.sh PROGRAM DESKTOP_ENTRY}")
desktop_id=$(basename "${2:?usage: wayland.sh PROGRAM DESKTOP_ENTRY}" .desktop)
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
POKO_NAME=wayland
poko_on_exit rm -rf "$runtime"
POKO_ON_FAIL+=('for log in "$runtime"/*.log "$runtime"/scene.txt; do
    [ -f "$log" ] && sed "s/^/[$(basename "$log")] /" "$log" | tail -30 >&2
done')

export XDG_RUNTIME_DIR=$runtime
export WAYLAND_DISPLAY=wayland-poko
weston --backend=headless-backend.so --use-pixman --debug --idle-time=0 \
    --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 >"$runtime/weston.log" 2>&1 &
POKO_PIDS+=($!)
for _ in $(seq 100); do
    [ -S "$runtime/$WAYLAND_DISPLAY" ] && break
    sleep 0.1
done
[ -S "$runtime/$WAYLAND_DISPLAY" ] || poko_fail "weston did not open its socket"

# A sound server, as a desktop has one: without it the game would say so on stderr.
poko_start_pulse "$runtime" || poko_fail "the sound server did not start"
POKO_PIDS+=("$POKO_SOUND_PID")

# A clean environment but for what the game needs, so no X display is used by mistake.
env -i HOME="$runtime" PATH=/usr/bin:/bin LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" \
    WAYLAND_DISPLAY="$WAYLAND_DISPLAY" QT_QPA_PLATFORM=wayland \
    "$program" >"$runtime/game.log" 2>"$runtime/game-stderr.log" &
POKO_PID=$!

# The scene graph lists a view only for a surface the shell has mapped.
mapped=""
for _ in $(seq 60); do
    kill -0 "$POKO_PID" 2>/dev/null || poko_fail "the game ended on its own"
    timeout 5 weston-debug scene-graph >"$runtime/scene.txt" 2>&1
    mapped=$(grep -E "role xdg_toplevel, PID $POKO_PID,.*top-level window 'メニュー'" "$runtime/scene.txt")
    [ -n "$mapped" ] && break
    sleep 0.5
done
[ -n "$mapped" ] || poko_fail "no menu window was mapped within 30 s"
echo "mapped:$mapped"
# weston labels a view "top-level window 'TITLE' of APP_ID, ADDRESS):".
app_id=$(sed -n "s/.*top-level window 'メニュー' of \([^ ,]*\), .*/\1/p" <<<"$mapped")
[ "$app_id" = "$desktop_id" ] || poko_fail "the window's app id is '$app_id', not the desktop entry's $desktop_id"
sleep 2 # the title animation runs for a while under the compositor

kill -0 "$POKO_PID" 2>/dev/null || poko_fail "the game ended on its own"
kill -TERM "$POKO_PID"
poko_wait_exit 10 || poko_fail "the game did not end within 10 s of SIGTERM"
[ "$POKO_STATUS" -eq 0 ] || poko_fail "after SIGTERM the game ended with status $POKO_STATUS"
[ -s "$runtime/game-stderr.log" ] && poko_fail "the game wrote to stderr: $(head -5 "$runtime/game-stderr.log")"
echo "wayland: the menu was mapped with the app id $app_id, nothing on stderr, SIGTERM gave status 0"
