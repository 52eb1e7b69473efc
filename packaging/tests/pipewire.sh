#!/usr/bin/env bash
# The game on a PipeWire desktop: pipewire, wireplumber and pipewire-pulse in a private
# runtime folder (with a private session bus, which wireplumber needs) and a null sink in
# place of a sound card. The board opens, スタート is pressed, the countdown's beeps are found
# in a recording of the sink's monitor, and SIGTERM ends the game with status 0.
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
poko_launch
poko_to_game
poko_click_on ゲーム Command1
sleep 4
poko_record_stop
beeps=$(poko_heard pipi --min 0.6 | grep -c .)
last=$(poko_heard pipipi --min 0.6 | grep -c .)
[ "$beeps" = 2 ] && [ "$last" = 1 ] ||
    poko_fail "heard $beeps short and $last last countdown beeps, not 2 and 1"

kill -TERM "$POKO_PID"
poko_wait_exit 10 || poko_fail "the game did not end within 10 s of SIGTERM"
[ "$POKO_STATUS" = 0 ] || poko_fail "after SIGTERM the game ended with status $POKO_STATUS"
[ -s "$POKO_LOG" ] && poko_fail "the game wrote: $(head -5 "$POKO_LOG")"
poko_log "the countdown was heard through PipeWire, SIGTERM gave status 0"
poko_pass
