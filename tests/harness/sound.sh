# A private sound server for a run of the program, as a player's desktop has one: a null
# sink "nul" (44.1 kHz stereo) whose monitor can be recorded, suspended when nothing plays
# into it, as a desktop's sinks are. Part of tests/harness.
#
#   poko_start_sound RUNDIR [anyone]
#       the server POKO_SOUND_SERVER names (pulseaudio, the default, or pipewire) in RUNDIR,
#       logging into POKO_WORK (or RUNDIR); its processes join POKO_PIDS
#   poko_start_pulse RUNDIR [LOG] [anyone]
#       PulseAudio listening on RUNDIR/pulse/native (its home is RUNDIR too), logging to LOG
#       (RUNDIR/pulseaudio.log by default). With "anyone", every user may play through it.
#   poko_start_pipewire RUNDIR LOGDIR
#       PipeWire with its session manager and its pulse server in RUNDIR, on a private
#       session bus (which wireplumber needs), each logging into LOGDIR; exports
#       DBUS_SESSION_BUS_ADDRESS. Fails unless the pulse server answering is PipeWire's.
# Each returns once the server answers, with its pid in POKO_SOUND_PID and every process
# started in POKO_SOUND_PIDS; on failure the reason is on stderr.

POKO_SOUND_PID=""
POKO_SOUND_PIDS=()

# poko_sound_answers RUNDIR: polls for up to 10 s until a pulse server answers there.
poko_sound_answers() {
    local i
    for i in $(seq 100); do
        XDG_RUNTIME_DIR=$1 pactl info >/dev/null 2>&1 && return 0
        kill -0 "$POKO_SOUND_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}

poko_start_pulse() {
    local rundir=$1 log=${2:-$1/pulseaudio.log} protocol=module-native-protocol-unix
    [ "${3:-}" = anyone ] && protocol="$protocol auth-anonymous=1"
    (cd / && HOME=$rundir XDG_RUNTIME_DIR=$rundir exec pulseaudio --daemonize=no \
        --exit-idle-time=-1 -n --disallow-exit --use-pid-file=false \
        --load="module-null-sink sink_name=nul rate=44100 channels=2" --load="$protocol" \
        --load=module-suspend-on-idle \
        --log-target=file:"$log") >/dev/null 2>&1 &
    POKO_SOUND_PID=$!
    POKO_SOUND_PIDS=("$POKO_SOUND_PID")
    if ! poko_sound_answers "$rundir"; then
        echo "the sound server did not start in $rundir" >&2
        return 1
    fi
    XDG_RUNTIME_DIR=$rundir pactl set-default-sink nul
    [ "${3:-}" = anyone ] && chmod 755 "$rundir" "$rundir/pulse"
    return 0
}

# No Bluetooth: wireplumber then also leaves alone logind, whose monitor fails without
# systemd's /run/systemd and would take wireplumber down with it. Written in the form of the
# version that runs: 0.4 reads Lua, 0.5 reads SPA-JSON and ignores the Lua files.
poko_wireplumber_config() { # FOLDER
    local version
    version=$(wireplumber --version 2>/dev/null | sed -n 's/^Linked with libwireplumber //p')
    case $version in
    0.4.*)
        mkdir -p "$1/bluetooth.lua.d"
        echo 'bluez_monitor.enabled = false' >"$1/bluetooth.lua.d/51-no-bluetooth.lua"
        ;;
    *)
        mkdir -p "$1/wireplumber.conf.d"
        cat >"$1/wireplumber.conf.d/51-no-bluetooth.conf" <<'CONF'
wireplumber.profiles = {
  main = {
    monitor.bluez = disabled
    monitor.bluez.seat-monitoring = disabled
  }
}
CONF
        ;;
    esac
}

poko_start_pipewire() {
    local rundir=$1 logs=$2 server i
    POKO_SOUND_PIDS=()
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 \
        3>"$logs/bus.txt" 4>"$logs/bus-pid.txt" || {
        echo "no session bus for wireplumber" >&2
        return 1
    }
    POKO_SOUND_PIDS+=("$(cat "$logs/bus-pid.txt")")
    DBUS_SESSION_BUS_ADDRESS=$(head -1 "$logs/bus.txt")
    export DBUS_SESSION_BUS_ADDRESS
    poko_wireplumber_config "$logs/config/wireplumber"
    for server in pipewire wireplumber pipewire-pulse; do
        (cd / && XDG_RUNTIME_DIR=$rundir XDG_CONFIG_HOME=$logs/config exec "$server") \
            >"$logs/$server.log" 2>&1 &
        POKO_SOUND_PID=$!
        POKO_SOUND_PIDS+=("$POKO_SOUND_PID")
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
    poko_sound_answers "$rundir" || {
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

poko_start_sound() {
    local rundir=$1 logs=${POKO_WORK:-$1} status=0
    case "${POKO_SOUND_SERVER:-pulseaudio}" in
    pulseaudio) poko_start_pulse "$rundir" "$logs/pulseaudio.log" "${2:-}" || status=$? ;;
    pipewire) poko_start_pipewire "$rundir" "$logs" || status=$? ;;
    *) echo "no sound server called $POKO_SOUND_SERVER" >&2 && return 1 ;;
    esac
    POKO_PIDS+=("${POKO_SOUND_PIDS[@]}")
    return "$status"
}
