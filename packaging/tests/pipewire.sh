#!/usr/bin/env bash
# The game on a PipeWire desktop: pipewire, wireplumber and pipewire-pulse in a private
# runtime folder (with a private session bus, which wireplumber needs) and a null sink in
# place of a sound card. The board opens, スタート is pressed, the countdown's beeps are found
# in a recording of the sink's monitor; the game plays by its native PipeWire stream without
# an underrun, finds the server again when it restarts and plays the music on; SIGTERM ends
# it with status 0.
#
# usage: pipewire.sh PROGRAM
source "$(dirname "$0")/../../tests/harness/harness.sh"
for tool in pipewire wireplumber pipewire-pulse dbus-daemon pactl parec; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is needed (apt-get install pipewire wireplumber pipewire-pulse dbus pulseaudio-utils)" >&2
        exit 1
    }
done

# The session's sound server is PipeWire's (tests/harness/sound.sh), with the same null
# sink "nul" as PulseAudio's.
POKO_SOUND_SERVER=pipewire
poko_begin pipewire "$1"
poko_record_start
report=$POKO_WORK/sound-report.txt
POKO_SOUND_REPORT=$report poko_launch
poko_to_game
poko_click_on ゲーム Command1
sleep 4
poko_record_stop
# A beep is pips of one pitch, so where the recorder dropped a stretch inside one, the beep
# matches itself a pip early and a pip late as well as it does in place: places within
# half a second, where the beeps are a second apart, are one beep.
heard_short=$(poko_heard pipi --min 0.6) heard_last=$(poko_heard pipipi --min 0.6)
beeps() { awk 'NF && (!n || $1 - last > 0.5) { n++ } NF { last = $1 } END { print n + 0 }' <<<"$1"; }
short=$(beeps "$heard_short") last=$(beeps "$heard_last")
[ "$short" = 2 ] && [ "$last" = 1 ] ||
    poko_fail "heard $short short and $last last countdown beeps, not 2 and 1 (at: $(echo $heard_short) / $(echo $heard_last))"

# The whole server restarted mid-round, as a player's update does: the music goes on from
# where it was once the server is back (its start is long past, so its level is judged).
kill "${POKO_SOUND_PIDS[@]}" "$POKO_SILENCE_PID" 2>/dev/null
wait "${POKO_SOUND_PIDS[@]}" "$POKO_SILENCE_PID" 2>/dev/null
poko_session_sound
poko_wait_until "the game finds the server again" 10 grep -q "sound is back" "$POKO_LOG" ||
    poko_fail "the game did not find the restarted server: $(cat "$POKO_LOG")"
poko_record_start after-restart
sleep 2
poko_record_stop
level=$(poko_level "$(poko_calc "$POKO_REC_END - 1.5")" 1)
poko_test "$level > -30" || poko_fail "the music is not heard after the restart (level $level dBFS)"

kill -TERM "$POKO_PID"
poko_wait_exit 10 || poko_fail "the game did not end within 10 s of SIGTERM"
[ "$POKO_STATUS" = 0 ] || poko_fail "after SIGTERM the game ended with status $POKO_STATUS"
[ "$(grep -c . "$POKO_LOG")" = 2 ] && grep -q "^pokopenpan: sound stopped: " "$POKO_LOG" ||
    poko_fail "the game wrote more than that the sound stopped and came back: $(head -5 "$POKO_LOG")"
grep -q "^native: underruns 0," "$report" ||
    poko_fail "not the native stream, or it ran dry: $(grep -v '^started' "$report")"
poko_log "the countdown was heard through PipeWire's native stream, the music after a restart; SIGTERM gave status 0"
poko_pass
