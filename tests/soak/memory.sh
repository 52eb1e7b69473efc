#!/usr/bin/env bash
# One long round at every level 5 (a 150 s round, fastest moles, smallest targets, most
# moles at once) under continuous clicking, at random places on the board and on the
# moles' targets, several times a second. The program's resident memory after the round
# must be within 1 MB of what it was ten seconds into play: a leak check, not a speed test.
#
# usage: memory.sh PATH/TO/pokopenpan
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness/harness.sh"
HARNESS_NAME=memory
exe=$(readlink -f "${1:?usage: memory.sh PROGRAM}")
work=$(mktemp -d /tmp/poko-memory.XXXXXX)
PID=""
finish() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    harness_cleanup
    rm -rf "$work"
}
trap finish EXIT
die() {
    harness_log "FAIL: $*"
    [ -f "$work/stderr.log" ] && sed 's/^/[program stderr] /' "$work/stderr.log"
    exit 1
}
alive() { harness_alive "$PID" || die "the program died: $1"; }

harness_prepare_program "$exe" "$work" 5,5,5,5

harness_start_x || die "no X server"
harness_launch "$work"
PID=$HARNESS_PID
harness_menu_to_game "$PID" || die "no game screen"
rss_idle=$(harness_rss "$PID")
harness_button 512 13 89 27 # スタート
begin=$(date +%s%N)
ms() { echo $((($(date +%s%N) - begin) / 1000000)); }

clicks=0
rss_early=""
next_report=40000
sleep 3.5
# Play lasts 150 s from about 3.5 s after スタート: click until just before its end.
while [ "$(ms)" -lt 153000 ]; do
    # A hole's target, a place on the board, twice.
    harness_sweep "${HARNESS_HOLES[RANDOM % 9]}" "$((20 + RANDOM % 600)) $((50 + RANDOM % 340))" \
        "${HARNESS_HOLES[RANDOM % 9]}" "$((20 + RANDOM % 600)) $((50 + RANDOM % 340))"
    clicks=$((clicks + 4))
    sleep 0.35
    now=$(ms)
    if [ -z "$rss_early" ] && [ "$now" -ge 13500 ]; then
        alive "ten seconds into play"
        rss_early=$(harness_rss "$PID")
        harness_log "RSS ten seconds into play: $rss_early kB (before スタート: $rss_idle kB)"
    fi
    if [ "$now" -ge "$next_report" ]; then
        alive "$((now / 1000)) s after スタート"
        harness_log "RSS $((now / 1000)) s after スタート: $(harness_rss "$PID") kB, $clicks clicks so far"
        next_report=$((next_report + 30000))
    fi
done
while [ "$(ms)" -lt 155000 ]; do sleep 0.2; done
alive "the end of the round"
sleep 1
rss_end=$(harness_rss "$PID")
elapsed=$(ms)
harness_button 438 294 89 27 # 判定
sleep 2
alive "判定"
harness_button 525 19 89 27 # もどる
sleep 0.5
alive "もどる"
peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$PID/status")
growth=$((rss_end - rss_early))
harness_log "round of $((elapsed / 1000)) s, $clicks clicks ($((clicks * 1000 / elapsed)) a second)"
harness_log "RSS ten seconds into play $rss_early kB, after the round $rss_end kB: growth $growth kB (limit 1024 kB); peak $peak kB"
grep -q "no sound" "$work/stderr.log" && die "the sound did not open: $(cat "$work/stderr.log")"
[ "$growth" -le 1024 ] || die "resident memory grew by $growth kB over the round"
harness_log "passed"
