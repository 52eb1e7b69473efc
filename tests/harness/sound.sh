# A private sound server for a run of the program, as a player's desktop has one: a null
# sink "nul" (44.1 kHz stereo) whose monitor can be recorded. Part of tests/harness.
#
#   harness_start_pulse RUNDIR [LOG] [anyone]
#       PulseAudio listening on RUNDIR/pulse/native (its home is RUNDIR too), logging to LOG
#       (RUNDIR/pulseaudio.log by default). With "anyone", every user may play through it.
#   harness_start_pipewire RUNDIR LOGDIR
#       PipeWire with its session manager and its pulse server in RUNDIR, on a private
#       session bus (which wireplumber needs), each logging into LOGDIR; exports
#       DBUS_SESSION_BUS_ADDRESS. Fails unless the pulse server answering is PipeWire's.
# Both return once the server answers, with its pid in HARNESS_SOUND_PID and every process
# started in HARNESS_SOUND_PIDS (for the caller to end); on failure the reason is on stderr.

HARNESS_SOUND_PID=""
HARNESS_SOUND_PIDS=()

# harness_sound_answers RUNDIR: polls for up to 10 s until a pulse server answers there.
harness_sound_answers() {
    local i
    for i in $(seq 100); do
        XDG_RUNTIME_DIR=$1 pactl info >/dev/null 2>&1 && return 0
        kill -0 "$HARNESS_SOUND_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

harness_start_pulse() {
    local rundir=$1 log=${2:-$1/pulseaudio.log} protocol=module-native-protocol-unix
    [ "${3:-}" = anyone ] && protocol="$protocol auth-anonymous=1"
    (cd / && HOME=$rundir XDG_RUNTIME_DIR=$rundir exec pulseaudio --daemonize=no \
        --exit-idle-time=-1 -n --disallow-exit --use-pid-file=false \
        --load="module-null-sink sink_name=nul rate=44100 channels=2" --load="$protocol" \
        --log-target=file:"$log") >/dev/null 2>&1 &
    HARNESS_SOUND_PID=$!
    HARNESS_SOUND_PIDS=("$HARNESS_SOUND_PID")
    if ! harness_sound_answers "$rundir"; then
        echo "the sound server did not start in $rundir" >&2
        return 1
    fi
    XDG_RUNTIME_DIR=$rundir pactl set-default-sink nul
    [ "${3:-}" = anyone ] && chmod 755 "$rundir" "$rundir/pulse"
    return 0
}

harness_start_pipewire() {
    local rundir=$1 logs=$2 server i
    HARNESS_SOUND_PIDS=()
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
        3>"$logs/bus.txt" 4>"$logs/bus-pid.txt" || {
        echo "no session bus for wireplumber" >&2
        return 1
    }
    HARNESS_SOUND_PIDS+=("$(cat "$logs/bus-pid.txt")")
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$logs/bus.txt")
    export DBUS_SESSION_BUS_ADDRESS
    # No Bluetooth here: Debian 12's wireplumber (0.4) then also leaves alone logind, whose
    # monitor fails without systemd's /run/systemd and would take wireplumber down with it.
    mkdir -p "$logs/config/wireplumber/bluetooth.lua.d"
    echo 'bluez_monitor.enabled = false' \
        >"$logs/config/wireplumber/bluetooth.lua.d/51-no-bluetooth.lua"
    for server in pipewire wireplumber pipewire-pulse; do
        (cd / && XDG_RUNTIME_DIR=$rundir XDG_CONFIG_HOME=$logs/config exec "$server") \
            >"$logs/$server.log" 2>&1 &
        HARNESS_SOUND_PID=$!
        HARNESS_SOUND_PIDS+=("$HARNESS_SOUND_PID")
        [ "$server" = pipewire ] || continue
        for i in $(seq 100); do
            [ -S "$rundir/pipewire-0" ] && break
            sleep 0.1
        done
        [ -S "$rundir/pipewire-0" ] || {
            echo "pipewire did not open its socket in $rundir" >&2
            return 1
        }
    done
    harness_sound_answers "$rundir" || {
        echo "pipewire-pulse does not answer in $rundir" >&2
        return 1
    }
    XDG_RUNTIME_DIR=$rundir pactl load-module module-null-sink sink_name=nul rate=44100 \
        channels=2 >/dev/null || {
        echo "no null sink on PipeWire" >&2
        return 1
    }
    # Without its session manager PipeWire runs no graph; the default sink is its to set,
    # once it has loaded.
    for i in $(seq 100); do
        XDG_RUNTIME_DIR=$rundir pactl set-default-sink nul 2>/dev/null && break
        sleep 0.1
    done
    XDG_RUNTIME_DIR=$rundir pactl set-default-sink nul || {
        echo "no session manager on PipeWire: $(tail -3 "$logs/wireplumber.log")" >&2
        return 1
    }
    XDG_RUNTIME_DIR=$rundir pactl info | grep -q "^Server Name: PulseAudio (on PipeWire" || {
        echo "the pulse server is not PipeWire's: $(XDG_RUNTIME_DIR=$rundir pactl info | grep '^Server Name')" >&2
        return 1
    }
}
