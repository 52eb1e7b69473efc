# One scenario's session, from its start to its teardown (the benchmarks use it too): a
# private X server, a private sound server whose output is recorded (PulseAudio, or
# PipeWire's pulse server with POKO_SOUND_SERVER=pipewire), a private copy of the program,
# and the artifacts kept when it fails. Part of tests/harness; board.sh looks at the
# screen, hearing.sh judges the recording.
#
# A scenario script does:
#   source "$(dirname "$0")/../harness/harness.sh"
#   poko_begin NAME "$1"          # the program's path; sets everything up, trap tears down
#   ... poko_launch; poko_to_game; poko_click_on ゲーム Command1; poko_fail "why" ...
#   poko_pass
set -uo pipefail

POKO_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# Prints the first non-empty CANDIDATE for which `TEST CANDIDATE` holds; false if none does.
poko_first() {
    local test=$1 candidate
    shift
    for candidate in "$@"; do
        if [ -n "$candidate" ] && "$test" "$candidate"; then
            echo "$candidate"
            return 0
        fi
    done
    return 1
}

# The helper programs are built beside the e2e tests' CMake files.
poko_has_tools() { [ -x "$1/pokoeye" ]; }
poko_find_tools() {
    POKO_TOOLS=$(poko_first poko_has_tools "${POKO_TOOLS:-}" \
        "$(dirname "${POKO_EXE:-/}")/tests/e2e" "$POKO_SOURCE_DIR/build/tests/e2e") || {
        echo "helpers pokoeye/pokoear/wmdelete not built (cmake --build build)" >&2
        return 1
    }
}

poko_now() { echo "$EPOCHREALTIME"; }
# Sleeps until the clock is FRACTION of the way through a second. The game stamps whole
# seconds, so an input sent at a chosen fraction puts the sounds it times in a known place.
poko_at_fraction() {
    sleep "$(awk -v f="$1" -v now="$EPOCHREALTIME" 'BEGIN { d = f - (now - int(now)); printf "%.6f", d < 0 ? d + 1 : d }')"
}
# Microseconds, for quick integer comparisons.
poko_us() { echo "${EPOCHREALTIME/./}"; }
# Seconds since a wall-clock time.
poko_since() { poko_calc "$(poko_now) - $1"; }
# Arithmetic and comparisons on decimals, in awk (part of every Debian): poko_calc 'a - b'
# prints the value to the microsecond without trailing zeros, poko_test 'a < b' is true
# or false. Operators: + - * / ^ ( ) < <= > >= == != && ||.
poko_calc() {
    awk "BEGIN { v = sprintf(\"%.6f\", ($*)); sub(/\\.?0+\$/, \"\", v); print (v == \"-0\" ? 0 : v) }"
}
poko_test() { awk "BEGIN { exit !($*) }"; }

poko_begin() {
    POKO_NAME=$1
    POKO_EXE=$(readlink -f "$2")
    POKO_T0=$(poko_now)
    [ -x "$POKO_EXE" ] || { echo "no program at $2" >&2; exit 1; }
    poko_find_tools || exit 1
    POKO_WORK=$(mktemp -d /tmp/poko-e2e.XXXXXX)
    chmod 700 "$POKO_WORK"
    POKO_ARTIFACT_DIR=${POKO_ARTIFACTS:-$POKO_SOURCE_DIR/build/e2e-artifacts}/$POKO_NAME
    rm -rf "$POKO_ARTIFACT_DIR"
    mkdir -p "$POKO_WORK/shots" "$POKO_WORK/run" "$POKO_WORK/home"
    chmod 700 "$POKO_WORK/run"
    trap poko_teardown EXIT
    trap 'exit 130' INT TERM
    POKO_SESSION=1
    POKO_SHOTS=0
    POKO_REC=""
    POKO_RUN=$POKO_WORK/run
    export HOME=$POKO_WORK/home XDG_RUNTIME_DIR=$POKO_RUN
    unset SESSION_MANAGER DBUS_SESSION_BUS_ADDRESS PULSE_SERVER
    poko_start_x 2>"$POKO_WORK/xvfb-start.txt" || poko_fail "$(cat "$POKO_WORK/xvfb-start.txt")"
    poko_session_sound
    poko_prepare_program "$POKO_EXE" "$POKO_WORK/program" || poko_fail "cannot copy the program"
}

poko_teardown() {
    local status=$? command
    for command in "${POKO_ON_EXIT[@]}"; do eval "$command"; done
    [ -n "${POKO_REC_PID:-}" ] && kill "$POKO_REC_PID" 2>/dev/null
    poko_stop_all
    if [ -n "${POKO_SESSION:-}" ]; then
        [ "$status" -ne 0 ] && [ -d "$POKO_WORK" ] && poko_keep_artifacts
        [ -n "${POKO_KEEP_WORK:-}" ] || rm -rf "$POKO_WORK"
    fi
    exit "$status"
}

# Scripts that are no session end what the harness started, and their own, this way too.
trap poko_teardown EXIT

# Screenshots (as PNG), the recording (as WAV), the program's output and the timeline.
poko_keep_artifacts() {
    mkdir -p "$POKO_ARTIFACT_DIR"
    local shot raw
    for shot in "$POKO_WORK"/shots/*.ppm; do
        [ -e "$shot" ] || continue
        convert "$shot" "$POKO_ARTIFACT_DIR/$(basename "${shot%.ppm}").png" 2>/dev/null ||
            cp "$shot" "$POKO_ARTIFACT_DIR/"
    done
    for raw in "$POKO_WORK"/*.raw; do
        [ -e "$raw" ] || continue
        sox -t raw -r 44100 -e signed -b 16 -c 2 "$raw" \
            "$POKO_ARTIFACT_DIR/$(basename "${raw%.raw}").wav" 2>/dev/null
    done
    cp "$POKO_WORK"/*.log "$POKO_WORK"/*.txt "$POKO_PROG/program.log" "$POKO_ARTIFACT_DIR/" 2>/dev/null
    echo "[$POKO_NAME] screenshots, recording and logs kept in $POKO_ARTIFACT_DIR" >&2
}

# The session's sound server, with a silent stream that keeps the sink, and so the
# monitor, running all the time.
poko_session_sound() {
    poko_start_sound "$POKO_RUN" || poko_fail "the sound server did not start"
    pacat --raw --playback --device=nul --rate=44100 --channels=2 </dev/zero >/dev/null 2>&1 &
    POKO_SILENCE_PID=$!
    POKO_PIDS+=($!)
}

# Ends the sound server (and the silent stream), as a player's restart of it does.
poko_stop_sound() {
    kill "$POKO_SILENCE_PID" "$POKO_SOUND_PID" 2>/dev/null
    wait "$POKO_SILENCE_PID" "$POKO_SOUND_PID" 2>/dev/null
}

poko_write_settings() { printf "$1" >"$POKO_SETTINGS"; }
# True when the settings file holds exactly these bytes (printf format). The bytes are
# printed afresh on every call, so it can be polled with poko_wait_until.
poko_settings_are() { cmp -s "$POKO_SETTINGS" <(printf "$1"); }

# Recording of everything the sound server plays. The recorder is the test's ear: when
# root may, it runs ahead of other work, as the sound server itself does, so that a busy
# machine does not make it miss what the server played (its complaints go to parec.log,
# kept with a failure's artifacts).
poko_record_start() {
    POKO_REC=$POKO_WORK/${1:-recording}.raw
    local first=()
    [ "$(id -u)" -eq 0 ] && first=(nice -n -10)
    "${first[@]}" parec --device=nul.monitor --latency-msec=10 --raw --rate=44100 --channels=2 \
        --format=s16le >"$POKO_REC" 2>"$POKO_WORK/parec.log" &
    POKO_REC_PID=$!
    # The recorder is up once bytes arrive.
    local i
    for i in $(seq 100); do
        [ -s "$POKO_REC" ] && break
        sleep 0.05
    done
    [ -s "$POKO_REC" ] || poko_fail "the recorder records nothing"
}

# Stops the recording; its end is the moment of stopping (POKO_REC_END, wall clock).
poko_record_stop() {
    POKO_REC_END=$(poko_now)
    kill "$POKO_REC_PID" 2>/dev/null
    wait "$POKO_REC_PID" 2>/dev/null
    POKO_REC_PID=""
}

# How busy the whole machine was, in per cent of all its processors: poko_cpu_stat takes a
# reading of the kernel's counters, poko_busy_since READING gives the share since then.
poko_cpu_stat() { awk '$1 == "cpu" { print $2 + $3 + $4 + $7 + $8 + $9, $5 + $6; exit }' /proc/stat; }
poko_busy_since() {
    local busy idle now_busy now_idle
    read -r busy idle <<<"$1"
    read -r now_busy now_idle < <(poko_cpu_stat)
    awk -v b=$((now_busy - busy)) -v i=$((now_idle - idle)) 'BEGIN { printf "%.0f\n", b + i ? 100 * b / (b + i) : 0 }'
}
