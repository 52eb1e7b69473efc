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
POKO_NAME=memory
exe=$(readlink -f "${1:?usage: memory.sh PROGRAM}")
work=$(mktemp -d /tmp/poko-memory.XXXXXX)
poko_on_exit rm -rf "$work"
POKO_ON_FAIL+=('[ -f "$POKO_LOG" ] && sed "s/^/[program] /" "$POKO_LOG"')

poko_prepare_program "$exe" "$work" 5,5,5,5 || poko_fail "cannot copy the program"
poko_start_x || poko_fail "no X server"
poko_launch
poko_to_game || poko_fail "no game screen"
rss_idle=$(poko_rss)
poko_click_on ゲーム Command1
begin=$(date +%s%N)
ms() { echo $((($(date +%s%N) - begin) / 1000000)); }

holes=()
for hole in 0 1 2 3 4 5 6 7 8; do holes+=("$(poko_hole_xy $hole)"); done
# A random place on the board: anywhere in the miss area, which covers it.
read -r bx by bw bh < <(poko_place ゲーム Image12)
anywhere() { echo "$((bx + RANDOM % bw)) $((by + RANDOM % bh))"; }
clicks=0
rss_early=""
next_report=40000
sleep 3.5
# Play lasts 150 s from about 3.5 s after スタート: click until just before its end.
while [ "$(ms)" -lt 153000 ]; do
    # A hole's target, a place on the board, twice.
    poko_sweep "${holes[RANDOM % 9]}" "$(anywhere)" "${holes[RANDOM % 9]}" "$(anywhere)"
    clicks=$((clicks + 4))
    sleep 0.35
    now=$(ms)
    if [ -z "$rss_early" ] && [ "$now" -ge 13500 ]; then
        poko_running || poko_fail "the program died: ten seconds into play"
        rss_early=$(poko_rss)
        poko_log "RSS ten seconds into play: $rss_early kB (before スタート: $rss_idle kB)"
    fi
    if [ "$now" -ge "$next_report" ]; then
        poko_running || poko_fail "the program died: $((now / 1000)) s after スタート"
        poko_log "RSS $((now / 1000)) s after スタート: $(poko_rss) kB, $clicks clicks so far"
        next_report=$((next_report + 30000))
    fi
done
while [ "$(ms)" -lt 155000 ]; do sleep 0.2; done
poko_running || poko_fail "the program died: the end of the round"
sleep 1
rss_end=$(poko_rss)
elapsed=$(ms)
poko_click_on ゲーム Command4 # 判定
sleep 2
poko_running || poko_fail "the program died: 判定"
poko_click_on ゲーム Command5 # もどる
sleep 0.5
poko_running || poko_fail "the program died: もどる"
peak=$(awk '/^VmHWM:/ {print $2}' "/proc/$POKO_PID/status")
growth=$((rss_end - rss_early))
poko_log "round of $((elapsed / 1000)) s, $clicks clicks ($((clicks * 1000 / elapsed)) a second)"
poko_log "RSS ten seconds into play $rss_early kB, after the round $rss_end kB: growth $growth kB (limit 1024 kB); peak $peak kB"
grep -q "no sound" "$POKO_LOG" && poko_fail "the sound did not open: $(cat "$POKO_LOG")"
[ "$growth" -le 1024 ] || poko_fail "resident memory grew by $growth kB over the round"
poko_log "passed"
