# One end-to-end scenario's session (the benchmarks use it too): a private X server, a
# private sound server whose output is recorded (PulseAudio, or PipeWire's pulse server
# with POKO_SOUND_SERVER=pipewire), a private copy of the program, and ways to
# look, listen and click the way a player does. Part of tests/harness.
#
# A scenario script does:
#   source "$(dirname "$0")/../harness/harness.sh"
#   poko_begin NAME "$1"          # the program's path; sets everything up, trap tears down
#   ... poko_launch; poko_to_game; poko_click_on ゲーム Command1; poko_fail "why" ...
#   poko_pass
set -uo pipefail

POKO_QUIET_UNTIL_US=0
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

# Looks at the current window: pokoeye queries in client coordinates.
poko_eye() {
    [ -x "${POKO_TOOLS:-}/pokoeye" ] || poko_find_tools || exit 1
    "$POKO_TOOLS/pokoeye" --at "$WX" "$WY" --size "$WW" "$WH" "$@"
}

# Keeps a screenshot of the window (or of the whole screen with "root") for the record;
# its PPM's path in POKO_SHOT (not printed: a $(...) call would lose the count).
poko_shot() {
    POKO_SHOTS=$((POKO_SHOTS + 1))
    POKO_SHOT=$POKO_WORK/shots/$(printf '%02d' "$POKO_SHOTS")-$1.ppm
    if [ "${2:-}" = root ] || [ -z "${WX:-}" ]; then
        "$POKO_TOOLS/pokoeye" "save $POKO_SHOT" >/dev/null
    else
        poko_eye "save $POKO_SHOT" >/dev/null
    fi
}

# Share of the rectangle's pixels of about that colour, compared: poko_frac_is X Y W H
# RRGGBB '>= 0.9'.
poko_frac_is() {
    local value
    value=$(poko_eye "frac $1 $2 $3 $4 $5 40") || return 1
    poko_test "$value $6"
}

# The bar of slider G (0-3, top to bottom) on 設定 as X Y W H.
poko_slider_bar() { poko_place 設定 "HScroll$(($1 + 1))"; }

# Clicks one place of slider G and checks that its bar changed (or not) and nothing else.
poko_slider_press() { # G PLACE(left-arrow|left-trough|right-trough|right-arrow) EXPECT(moves|stays)
    local g=$1 bar x y w h inside outside before=$POKO_WORK/before.ppm
    bar=$(poko_slider_bar "$g")
    # The troughs are clicked a little inside their ends, beside the arrows, where the
    # thumb is not at the values these scenarios leave.
    case $2 in
    left-arrow) read -r x y < <(poko_centre 設定 "HScroll$((g + 1))<") ;;
    right-arrow) read -r x y < <(poko_centre 設定 "HScroll$((g + 1))>") ;;
    left-trough) read -r x y w h < <(poko_place 設定 "HScroll$((g + 1))<") && x=$((x + w + 7)) y=$((y + h / 2)) ;;
    right-trough) read -r x y w h < <(poko_place 設定 "HScroll$((g + 1))>") && x=$((x - 7)) y=$((y + h / 2)) ;;
    esac
    poko_eye "save $before" >/dev/null
    poko_click "$x" "$y"
    sleep 0.4
    read -r inside outside < <(poko_eye --ref "$before" "diff $bar" "diffout $bar")
    [ "$outside" -eq 0 ] || poko_fail "a click on slider $g ($2) changed the screen elsewhere"
    if [ "$3" = moves ]; then
        [ "$inside" -gt 20 ] || poko_fail "slider $g did not move on a click on its $2"
    else
        [ "$inside" -eq 0 ] || poko_fail "slider $g moved past its end on a click on its $2"
    fi
}

# 設定完了: 設定 gives way to a fresh game screen and the settings file comes to hold
# BYTES (printf format) within 5 s; DESCRIPTION names that wait.
poko_settings_done() { # BYTES DESCRIPTION
    poko_click_on 設定 Command2
    poko_wait_window ゲーム 10
    poko_window_gone 設定 || poko_fail "設定 stayed open after 設定完了"
    poko_wait_until "$2" 5 poko_settings_are "$1"
    poko_log "設定完了 wrote $(od -An -c "$POKO_SETTINGS" | tr -s ' ')"
}

# The results panel: navy over the whole window.
poko_panel_up() { poko_frac_is 0 340 200 55 0000c0 '> 0.9' && poko_frac_is 560 300 70 60 0000c0 '> 0.9'; }

# One number of a screenshot, read against digits drawn in the panel's font, into the
# variable VAR. Fails the scenario when no digit string stands out.
poko_read_number() { # VAR SHOT X Y W H [MAX]
    local var=$1 value distance runner_up
    shift
    read -r value distance runner_up < <("$POKO_TOOLS/pokoread" "$@")
    poko_test "${distance:-99} < 3 && ${runner_up:-0} - ${distance:-99} > 2" ||
        poko_fail "cannot read the number at ($2,$3): best $value at $distance, next at $runner_up"
    printf -v "$var" '%s' "$value"
}

# The panel's numbers in a screenshot: sets points, shown_green, shown_pink, shown_blue and
# rate, and fails unless the points are the three colours' sum.
poko_read_panel() {
    poko_read_number points "$1" $(poko_place ゲーム Label2)
    poko_read_number shown_green "$1" $(poko_place ゲーム Label3)
    poko_read_number shown_pink "$1" $(poko_place ゲーム Label4)
    poko_read_number shown_blue "$1" $(poko_place ゲーム Label5)
    poko_read_number rate "$1" $(poko_place ゲーム Label6) 100
    poko_log "panel: points $points, green $shown_green, pink $shown_pink, blue $shown_blue, rate $rate%"
    [ "$points" -eq $((shown_green + shown_pink + shown_blue)) ] ||
        poko_fail "points $points are not green+pink+blue ($shown_green+$shown_pink+$shown_blue)"
}

# Waits up to TIMEOUT seconds for the results panel, due 30-32 s after play began at
# PLAY_START (wall clock). Sets panel_at (when seen) and results (its screenshot).
poko_wait_results() { # PLAY_START TIMEOUT
    local after
    poko_wait_until "the results panel shows" "$2" poko_panel_up
    panel_at=$(poko_now)
    after=$(poko_calc "$panel_at - $1")
    poko_log "results panel $(printf %.2f "$after")s after play started"
    poko_test "$after >= 29.8 && $after <= 32.3" ||
        poko_fail "results panel after ${after}s of play, not 30-32 s"
    sleep 0.5
    poko_shot results
    results=$POKO_SHOT
}

# The rating box differs from the panel's screenshot $1: a figure is drawn in it.
poko_figure_shows() { poko_test "$(poko_eye --ref "$1" "diff $(poko_place ゲーム Image16)") > 2000"; }

# 判定 on the results panel (screenshot $1): a figure comes into the rating box. Sets
# verdict_click, the click's time.
poko_verdict() { # RESULTS_SHOT
    poko_click_on ゲーム Command4
    verdict_click=$POKO_CLICK_SENT_AT
    poko_wait_until "a figure shows in the rating box" 5 poko_figure_shows "$1"
    poko_shot rating
}

# No navy panel over the board: none along the window's bottom, and the board bare between
# the first holes of the top and middle rows. Looked at by place: these hold no control.
poko_no_panel() { poko_frac_is 0 300 "$WW" 97 0000c0 '< 0.01' && poko_frac_is 200 140 40 50 0402fc '> 0.95'; }

# The bare board with its buttons, no panel over it.
poko_board_shows() { poko_frac_is 0 140 639 45 0402fc '> 0.9' && poko_button_shows ゲーム Command1; }

# もどる on the results panel: the panel goes and the board shows.
poko_back_to_board() {
    poko_click_on ゲーム Command5
    poko_wait_until "the panel goes and the board shows" 5 poko_board_shows
}

# Keys pressed as a player does (xdotool through XTest): with the pointer resting on the
# window's bottom edge, where the window takes the keys. Sets POKO_KEYED_AT.
poko_keys() {
    xdotool mousemove $((WX + WW / 2)) $((WY + WH - 3))
    POKO_KEYED_AT=$(poko_now)
    xdotool key "$@"
    echo "$POKO_KEYED_AT keys $*" >>"$POKO_WORK/timeline.txt"
}

# Space and both Enter keys, which press a focused button: with the board buttons hidden
# they must do nothing at all, whichever button last had the focus.
poko_stray_keys() {
    poko_keys space Return KP_Enter
    sleep 0.3
    if poko_running; then
        poko_window_gone 設定 || poko_fail "a key $1 opened the settings screen"
        poko_find_window ゲーム || poko_fail "a key $1 closed the game screen"
    fi
    poko_log "Space, Return and keypad Enter $1: nothing happened"
}

# Waits until GAP_MS (a quarter of a second by default) after the last click: the opening of
# each click's sound is then heard on its own in the recording. Nor before
# POKO_QUIET_UNTIL_US (see poko_board_click).
poko_click_gap() { # [GAP_MS]
    local due=$((POKO_LAST_CLICK_US + ${1:-250} * 1000)) wait_us pause
    [ "$POKO_QUIET_UNTIL_US" -gt "$due" ] && due=$POKO_QUIET_UNTIL_US
    wait_us=$((due - $(poko_us)))
    if [ "$wait_us" -gt 0 ]; then
        printf -v pause '%d.%06d' $((wait_us / 1000000)) $((wait_us % 1000000))
        sleep "$pause"
    fi
}
poko_spaced_click() { # X Y [GAP_MS]
    poko_click_gap "${3:-250}"
    poko_click "$1" "$2"
}

# A click on bare board spot K (poko_bare_spot) in play, where only the miss sound may
# answer. The game has one player for its effects, and the next click's sound cuts the one
# playing; so the next click waits until even a miss sound as late as allowed (0.4 s) has
# played long enough (0.15 s) to be matched. Notes the click in clicks.txt.
poko_board_click() { # K
    local x y
    read -r x y < <(poko_bare_spot "$1")
    poko_spaced_click "$x" "$y" 400
    POKO_QUIET_UNTIL_US=$((POKO_LAST_CLICK_US + 600000))
    echo "$POKO_CLICKED_AT $POKO_CLICK_SENT_AT board $x $y" >>"$POKO_WORK/clicks.txt"
}

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

# Where a sound of the data folder is heard in the recording: one wall-clock start time
# per occurrence (with its score after a space). Extra arguments go to pokoear find.
poko_heard() {
    local sound=$1
    shift
    "$POKO_TOOLS/pokoear" find "$POKO_REC" "$POKO_DATA/音/$sound.wav" "$@" |
        while read -r before score; do
            echo "$(poko_calc "$POKO_REC_END - $before") $score"
        done
}

# Times only, as seconds after a reference time, with two decimals.
poko_heard_after() {
    local reference=$1
    shift
    poko_heard "$@" | while read -r t score; do
        printf '%.2f\n' "$(poko_calc "$t - $reference")"
    done
}

# RMS level (dBFS) of the recording over [from, from+len] given as wall-clock time.
poko_level() {
    "$POKO_TOOLS/pokoear" level "$POKO_REC" "$(poko_calc "$POKO_REC_END - $1")" "$2"
}

# The rating marks for each sum of speed, size and count (3 to 15), as the game's rating
# table gives them: a rate at or below the low mark earns the crow, at or above the high
# mark the jizo, between them the scarecrow.
#                S:  0 1 2  3  4  5  6  7  8  9 10 11 12 13 14 15
POKO_HIGH_MARK=(- - - 95 93 92 90 87 84 81 78 74 70 65 60 55)
POKO_LOW_MARK=(- - - 65 63 62 60 57 54 51 48 44 40 35 30 25)

# The rating heard after the click on 判定 at $3 (recording time) for a rate of $1 % when
# speed, size and count add up to $2 (harder settings lower the marks): the figure the rate earns is heard once right after the press
# and no other; the crow's second sound follows about a second later, and only the crow's.
# Sets RATING to karasu, kakasi or jizou.
poko_check_rating_sounds() {
    local rate=$1 sum=$2 click=$3 high low figure
    [ "$sum" -ge 3 ] && [ "$sum" -le 15 ] || poko_fail "no rating marks for a level sum of $sum"
    high=${POKO_HIGH_MARK[$sum]} low=${POKO_LOW_MARK[$sum]}
    if [ "$rate" -le "$low" ]; then RATING=karasu; elif [ "$rate" -lt "$high" ]; then RATING=kakasi; else RATING=jizou; fi
    for figure in karasu kakasi jizou; do
        mapfile -t heard < <(poko_heard_after "$click" "$figure" --len 0.3 --min 0.6)
        if [ "$figure" = "$RATING" ]; then
            [ ${#heard[@]} -eq 1 ] && poko_test "${heard[0]} >= -0.05 && ${heard[0]} <= 0.5" ||
                poko_fail "$figure.wav not heard once right after 判定 (heard at: ${heard[*]:-never})"
        else
            [ ${#heard[@]} -eq 0 ] || poko_fail "$figure.wav heard for a rate of $rate% (marks $low/$high)"
        fi
    done
    mapfile -t dame < <(poko_heard_after "$click" dame --len 0.3 --min 0.6)
    if [ "$RATING" = karasu ]; then
        # A second after the press, counted in the program's whole seconds: 0.5-1.5 s.
        [ ${#dame[@]} -eq 1 ] && poko_test "${dame[0]} >= 0.4 && ${dame[0]} <= 1.7" ||
            poko_fail "the crow's second sound not heard about a second later (at: ${dame[*]:-never})"
    else
        [ ${#dame[@]} -eq 0 ] || poko_fail "the crow's second sound without the crow"
    fi
}

# pokoeye queries for every hole, in hole order, three a hole: skin above the rim where any
# mole's head is (not board blue), the eye whites of a mole fully out, and the red of an open
# mouth on its beak. Prints one query a line.
poko_closing_queries() {
    local hole x y
    for hole in 1 2 3 4 5 6 7 8 9; do
        # Below the eyes of a mole fully out, just above the hole's rim: any mole's head.
        read -r x y _ _ < <(poko_eye_box $((hole - 1)))
        echo "frac $((x - 5)) $((y + 38)) 40 10 0402fc 40"
        echo "frac $(poko_eye_box $((hole - 1))) ffffff 30"
        echo "frac $(poko_place ゲーム "Image14($hole)") d81010 70"
    done
}

# True when no hole shows a mole or an open mouth.
poko_no_moles_or_mouths() {
    local queries
    mapfile -t queries < <(poko_closing_queries)
    poko_eye "${queries[@]}" | awk '{ for (i = 1; i <= NF; i += 3) if ($i < 0.95 || $(i + 2) > 0.05) exit 1 }'
}

# The hit and miss sounds heard in the recording, for poko_take_heard. Only their openings
# are matched: a sound cut short by the next click is still found. The music under them
# lowers the score of a match (a miss under a loud note of it scored 0.50), and the effects'
# stream is kept very short for a quick answer, so on a machine loaded past its cores an
# effect may crackle (a miss that began on time then held half its level). The music alone
# scored up to 0.46 as a miss and 0.32 as a hit, but never at more than a quarter of either
# sound's level: so a sound is heard at a score of 0.4 and at least 0.4 of its level.
poko_heard_click_sound() { poko_heard "$1" --len 0.15 --min 0.4 --gain 0.4 | awk '{print $1}'; }
poko_load_heard_clicks() {
    poko_heard_click_sound o >"$POKO_WORK/heard-o.txt"
    poko_heard_click_sound x >"$POKO_WORK/heard-x.txt"
    mapfile -t POKO_ONSETS_o <"$POKO_WORK/heard-o.txt"
    mapfile -t POKO_ONSETS_x <"$POKO_WORK/heard-x.txt"
}

# Takes the first sound of the list $1 (o or x) not yet taken that starts after the click
# was sent ($3, POKO_CLICK_SENT_AT) and within 0.4 s of its being done ($2,
# POKO_CLICKED_AT): each click has its own sound.
poko_take_heard() {
    local -n onsets=POKO_ONSETS_$1
    local i
    for i in "${!onsets[@]}"; do
        if poko_test "${onsets[$i]} >= $3 - 0.05 && ${onsets[$i]} <= $2 + 0.4"; then
            unset "onsets[$i]"
            return 0
        fi
    done
    return 1
}

# The sound a click on a mole made (done at $1, sent from $2): the earliest hit or miss
# sound not yet taken that starts in the same window as poko_take_heard's, in POKO_TAKEN
# (o or x). Clicks come a quarter second
# apart, so a later click's sound can fall in the window too: the earliest is this click's.
poko_take_sound() {
    local kind i best="" best_kind="" best_index=""
    for kind in o x; do
        local -n onsets=POKO_ONSETS_$kind
        for i in "${!onsets[@]}"; do
            if poko_test "${onsets[$i]} >= $2 - 0.05 && ${onsets[$i]} <= $1 + 0.4"; then
                if [ -z "$best" ] || poko_test "${onsets[$i]} < $best"; then
                    best=${onsets[$i]} best_kind=$kind best_index=$i
                fi
                break
            fi
        done
        unset -n onsets
    done
    [ -n "$best_kind" ] || return 1
    POKO_TAKEN=$best_kind
    unset "POKO_ONSETS_${best_kind}[$best_index]"
}

# From a watch of poko_closing_queries after the click on おわり at $1: the first times at
# which all nine holes show a mole ("up"), a fully out mole ("out") and an open mouth
# ("mouths"), and every moment some but not all mouths are open ("partial").
poko_closing_events() {
    awk -v click="$1" '
    $1 < click { next }
    {
        up = 0; out = 0; mouths = 0
        for (h = 0; h < 9; h++) {
            up += $(2 + 3 * h) < 0.8
            out += $(3 + 3 * h) > 0.05
            mouths += $(4 + 3 * h) > 0.1
        }
        if (up == 9 && !a) { a = 1; print "up", $1 }
        if (out == 9 && !b) { b = 1; print "out", $1 }
        if (mouths == 9 && !c) { c = 1; print "mouths", $1 }
        if (mouths > 0 && mouths < 9 && !c) { print "partial", $1, mouths }
    }' "$POKO_WORK/watch.txt" >"$POKO_WORK/events.txt"
}
poko_event() { awk -v e="$1" '$1 == e { print $2; exit }' "$POKO_WORK/events.txt"; }

# Clicks おわり with the holes watched (poko_closing_queries) until the program ends,
# which it must within 8 s, and stops the recording. Sets closed_click (the click's time)
# and up, out and mouths: the first times of poko_closing_events, empty if never seen.
poko_watch_closing() {
    local queries watcher
    mapfile -t queries < <(poko_closing_queries)
    poko_eye --watch 5000 40 "${queries[@]}" >"$POKO_WORK/watch.txt" &
    watcher=$!
    # The watch is running before the click: the moles may come at once.
    sleep 0.3
    poko_click_on ゲーム Command2
    closed_click=$POKO_CLICKED_AT
    # With POKO_STRAY_KEYS set, keys pressed by accident on the way out change nothing.
    if [ -n "${POKO_STRAY_KEYS:-}" ]; then
        sleep 0.5
        poko_stray_keys "in the closing sequence"
    fi
    poko_wait_exit 8 || poko_fail "the program still runs 8 s after おわり"
    wait "$watcher"
    poko_record_stop
    poko_closing_events "$closed_click"
    up=$(poko_event up) out=$(poko_event out) mouths=$(poko_event mouths)
}

# owari.wav heard once in the recording, within 0.3 s of the mouths opening at $1.
poko_check_owari() {
    local owari
    mapfile -t owari < <(poko_heard owari --len 0.3 --min 0.6 | awk '{print $1}')
    [ ${#owari[@]} -eq 1 ] || poko_fail "owari.wav heard ${#owari[@]} times, not once"
    poko_test "(${owari[0]} - $1)^2 <= 0.3^2" ||
        poko_fail "owari.wav $(poko_calc "${owari[0]} - $1")s away from the mouths opening"
}
