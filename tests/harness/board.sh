# Looks at the screens and clicks in play, as a player sees and plays them: the colours,
# the board bare or with its buttons, the results panel and its numbers, the sliders of
# 設定, the moles out or dazed, and the closing sequence. Part of tests/harness. Sourced,
# not run.
#
#   poko_eye QUERY...           pokoeye's answers on one grab of the window last found
#   poko_query NAME QUERY       adds QUERY to POKO_QUERIES under NAME (POKO_COLUMNS)
#   poko_awk_columns COLUMNS PROGRAM [VAR=VALUE...] FILE...
#                               awk over looks or watches with named columns: col("NAME")
#                               is a column's value, whole() true of a complete line
#   poko_click_out_mole [DX] [REST_MS]
#                               clicks a mole that is out (see there)
#   poko_read_panel SHOT        the results panel's numbers: POKO_POINTS, POKO_SHOWN_GREEN,
#                               POKO_SHOWN_PINK, POKO_SHOWN_BLUE, POKO_RATE
#   poko_wait_results START T   the panel 30-32 s after play began: POKO_PANEL_AT, POKO_RESULTS
#   poko_verdict SHOT           判定 and its figure: POKO_VERDICT_AT
#   poko_watch_closing          おわり watched to the end: POKO_CLOSED_AT, POKO_UP_AT,
#                               POKO_OUT_AT, POKO_MOUTHS_AT
#   poko_check_closing          the closing seen and heard in order, status 0

# The game's colours, as its pictures and designs paint them.
POKO_BOARD_BLUE=0402fc
POKO_PANEL_NAVY=0000c0
POKO_SETTINGS_BLUE=8080ff
POKO_TITLE_YELLOW=fcfc00
POKO_MOUTH_RED=d81010
POKO_WHITE=ffffff
POKO_BLACK=000000

POKO_QUERIES=()
POKO_COLUMNS=()
POKO_QUIET_UNTIL_US=0

poko_eye() {
    [ -x "${POKO_TOOLS:-}/pokoeye" ] || poko_find_tools || exit 1
    "$POKO_TOOLS/pokoeye" --at "$POKO_WX" "$POKO_WY" --size "$POKO_WW" "$POKO_WH" "$@"
}

poko_query() {
    POKO_COLUMNS+=("$1")
    POKO_QUERIES+=("$2")
}

# A watch's lines begin with the time of their grab: name it "t" first among the columns.
poko_awk_columns() { # COLUMNS PROGRAM FILE...
    local columns=$1 program=$2
    shift 2
    awk -v poko_columns="$columns" '
        BEGIN { poko_n = split(poko_columns, poko_name, " ")
                for (poko_i = 1; poko_i <= poko_n; poko_i++) poko_at[poko_name[poko_i]] = poko_i }
        function col(name) {
            if (!(name in poko_at)) { print "no column " name > "/dev/stderr"; exit 2 }
            return $(poko_at[name]) }
        function whole() { return NF == poko_n }
        '"$program" "$@"
}

# Keeps a screenshot of the window (or of the whole screen with "root") for the record;
# its PPM's path in POKO_SHOT (not printed: a $(...) call would lose the count).
poko_shot() {
    POKO_SHOTS=$((POKO_SHOTS + 1))
    POKO_SHOT=$POKO_WORK/shots/$(printf '%02d' "$POKO_SHOTS")-$1.ppm
    if [ "${2:-}" = root ] || [ -z "${POKO_WX:-}" ]; then
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

# The board painted and bare along its top edge, above the buttons and every mole (no
# panel over it).
poko_board_top_bare() { poko_frac_is $(poko_top_strip) "$POKO_BOARD_BLUE" '> 0.9'; }
# A button of the board (SCREEN NAME) shown: the board is painted, and the button's place
# is not board blue.
poko_button_shows() { poko_board_top_bare && poko_frac_is $(poko_place "$1" "$2") "$POKO_BOARD_BLUE" '< 0.5'; }
# Every board button of the game screen shown (スタート alone with one argument).
poko_game_buttons_show() { # [Command1 ...]
    local button buttons=("$@")
    [ $# -gt 0 ] || buttons=(Command3 Command2 Command1)
    for button in "${buttons[@]}"; do
        poko_frac_is $(poko_place ゲーム "$button") "$POKO_BOARD_BLUE" '< 0.5' || return 1
    done
}
# The settings screen's own colour, left of its first group: painted.
poko_settings_painted() {
    local x y h
    read -r x y _ h < <(poko_place 設定 Frame1)
    poko_frac_is 0 "$y" "$x" "$h" "$POKO_SETTINGS_BLUE" '> 0.95'
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
poko_panel_up() {
    local patch
    while read -r patch; do
        poko_frac_is $patch "$POKO_PANEL_NAVY" '> 0.9' || return 1
    done < <(poko_panel_patches)
}

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

# The panel's numbers in a screenshot; fails unless the points are the three colours' sum.
poko_read_panel() { # SHOT
    poko_read_number POKO_POINTS "$1" $(poko_place ゲーム Label2)
    poko_read_number POKO_SHOWN_GREEN "$1" $(poko_place ゲーム Label3)
    poko_read_number POKO_SHOWN_PINK "$1" $(poko_place ゲーム Label4)
    poko_read_number POKO_SHOWN_BLUE "$1" $(poko_place ゲーム Label5)
    poko_read_number POKO_RATE "$1" $(poko_place ゲーム Label6) 100
    poko_log "panel: points $POKO_POINTS, green $POKO_SHOWN_GREEN, pink $POKO_SHOWN_PINK," \
        "blue $POKO_SHOWN_BLUE, rate $POKO_RATE%"
    [ "$POKO_POINTS" -eq $((POKO_SHOWN_GREEN + POKO_SHOWN_PINK + POKO_SHOWN_BLUE)) ] ||
        poko_fail "points $POKO_POINTS are not green+pink+blue" \
            "($POKO_SHOWN_GREEN+$POKO_SHOWN_PINK+$POKO_SHOWN_BLUE)"
}

# Waits up to TIMEOUT seconds for the results panel, due 30-32 s after play began at
# PLAY_START (wall clock).
poko_wait_results() { # PLAY_START TIMEOUT
    local after
    poko_wait_until "the results panel shows" "$2" poko_panel_up
    POKO_PANEL_AT=$(poko_now)
    after=$(poko_calc "$POKO_PANEL_AT - $1")
    poko_log "results panel $(printf %.2f "$after")s after play started"
    poko_test "$after >= 29.8 && $after <= 32.3" ||
        poko_fail "results panel after ${after}s of play, not 30-32 s"
    sleep 0.5
    poko_shot results
    POKO_RESULTS=$POKO_SHOT
}

# The rating box differs from the panel's screenshot $1: a figure is drawn in it.
poko_figure_shows() { poko_test "$(poko_eye --ref "$1" "diff $(poko_place ゲーム Image16)") > 2000"; }

# 判定 on the results panel (screenshot $1): a figure comes into the rating box.
poko_verdict() { # RESULTS_SHOT
    poko_click_on ゲーム Command4
    POKO_VERDICT_AT=$POKO_CLICK_SENT_AT
    poko_wait_until "a figure shows in the rating box" 5 poko_figure_shows "$1"
    poko_shot rating
}

# No navy panel over the board: none along the window's bottom, and the board bare between
# the first holes of the top and middle rows.
poko_no_panel() {
    poko_frac_is $(poko_bottom_strip) "$POKO_PANEL_NAVY" '< 0.01' &&
        poko_frac_is $(poko_row_gap) "$POKO_BOARD_BLUE" '> 0.95'
}

# The bare board with its buttons, no panel over it.
poko_board_shows() { poko_frac_is $(poko_row_band) "$POKO_BOARD_BLUE" '> 0.9' && poko_button_shows ゲーム Command1; }

# もどる on the results panel: the panel goes and the board shows.
poko_back_to_board() {
    poko_click_on ゲーム Command5
    poko_wait_until "the panel goes and the board shows" 5 poko_board_shows
}

# A fresh game screen (after 設定完了): its three buttons, the bare board, no results panel.
poko_fresh_game() {
    poko_wait_until "the fresh game screen shows its three buttons" 10 poko_game_buttons_show
    sleep 0.3
    poko_no_panel || poko_fail "results panel colours on the fresh game screen, or its board is not bare"
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

# A click on bare board spot K (poko_bare_spot) in play, where only the miss sound may
# answer. The game's effects cut one another, so the next click waits until even a miss
# sound as late as allowed (0.4 s) has played long enough (0.15 s) to be matched. Noted in
# clicks.txt as "DONE SENT board X Y".
poko_board_click() { # K
    local x y
    read -r x y < <(poko_bare_spot "$1")
    poko_click_gap 400
    poko_click "$x" "$y"
    POKO_QUIET_UNTIL_US=$((POKO_LAST_CLICK_US + 600000))
    echo "$POKO_CLICKED_AT $POKO_CLICK_SENT_AT board $x $y" >>"$POKO_WORK/clicks.txt"
}

# The look at the holes in play: for hole H, "whiteH" the eye whites of a mole that is
# out, "blackH" the black stars of its dazed face. Sets POKO_PLAY_QUERIES and
# POKO_PLAY_COLUMNS.
poko_play_queries() {
    local hole box
    POKO_QUERIES=() POKO_COLUMNS=()
    for hole in 0 1 2 3 4 5 6 7 8; do
        box=$(poko_eye_box $hole)
        poko_query "white$hole" "frac $box $POKO_WHITE 30"
        poko_query "black$hole" "frac $box $POKO_BLACK 40"
    done
    POKO_PLAY_QUERIES=("${POKO_QUERIES[@]}")
    POKO_PLAY_COLUMNS=${POKO_COLUMNS[*]}
}

# Grabs the holes every 25 ms for MS ms into play-watch.txt, in the background, for
# poko_click_out_mole to pick from and the scenario to judge the clicks by afterwards.
poko_play_watch() { # MS
    [ -n "${POKO_PLAY_COLUMNS:-}" ] || poko_play_queries
    poko_eye --watch "$1" 25 "${POKO_PLAY_QUERIES[@]}" >"$POKO_WORK/play-watch.txt" &
    POKO_PLAY_WATCH_PID=$!
}
poko_play_watch_stop() {
    kill "$POKO_PLAY_WATCH_PID" 2>/dev/null
    wait "$POKO_PLAY_WATCH_PID" 2>/dev/null
    POKO_PLAY_WATCH_PID=""
}

# Clicks DX px right of the eyes (0 by default) of the first hole whose mole is out, one not
# clicked in the last REST_MS (600, past the double-click interval), after the gap
# poko_click_gap keeps. The mole is found in the newest grab of the play watch, when one
# runs and its grab is at most 0.1 s old, or else in a look of its own. Noted in
# clicks.txt as "DONE SENT mole HOLE DX"; status 1 when no mole is out.
POKO_LAST_CLICK_ON=(0 0 0 0 0 0 0 0 0)
poko_click_out_mole() { # [DX] [REST_MS]
    local dx=${1:-0} rest_us=$((${2:-600} * 1000)) now_us look target x y
    [ -n "${POKO_PLAY_COLUMNS:-}" ] || poko_play_queries
    poko_click_gap 250
    now_us=$(poko_us)
    if [ -n "${POKO_PLAY_WATCH_PID:-}" ]; then
        look=$(tail -n 1 "$POKO_WORK/play-watch.txt")
    else
        look="$(poko_now) $(poko_eye "${POKO_PLAY_QUERIES[@]}")"
    fi
    target=$(poko_awk_columns "t $POKO_PLAY_COLUMNS" '
        whole() && now - col("t") * 1000000 < 100000 {
            split(last, at, " ")
            for (h = 0; h < 9; h++)
                if (col("white" h) > 0.05 && now - at[h + 1] > rest) { print h; exit } }' \
        now="$now_us" last="${POKO_LAST_CLICK_ON[*]}" rest="$rest_us" - <<<"$look")
    [ -n "$target" ] || return 1
    read -r x y < <(poko_hole_xy "$target")
    poko_click $((x + dx)) "$y"
    POKO_LAST_CLICK_ON[target]=$POKO_LAST_CLICK_US
    echo "$POKO_CLICKED_AT $POKO_CLICK_SENT_AT mole $target $dx" >>"$POKO_WORK/clicks.txt"
}

# The look at the holes in the closing sequence: for hole H, "headH" the board blue above
# its rim where any mole's head is, "whiteH" the eye whites of a mole fully out, "mouthH"
# the red of an open mouth on its beak. Sets POKO_QUERIES and POKO_COLUMNS.
poko_closing_queries() {
    local hole x y
    POKO_QUERIES=() POKO_COLUMNS=()
    for hole in 0 1 2 3 4 5 6 7 8; do
        read -r x y _ _ < <(poko_eye_box "$hole")
        poko_query "head$hole" "frac $((x - 5)) $((y + 38)) 40 10 $POKO_BOARD_BLUE 40"
        poko_query "white$hole" "frac $(poko_eye_box "$hole") $POKO_WHITE 30"
        poko_query "mouth$hole" "frac $(poko_place ゲーム "Image14($((hole + 1)))") $POKO_MOUTH_RED 70"
    done
}

# True when no hole shows a mole or an open mouth.
poko_no_moles_or_mouths() {
    poko_closing_queries
    poko_eye "${POKO_QUERIES[@]}" | poko_awk_columns "${POKO_COLUMNS[*]}" '
        { for (h = 0; h < 9; h++) if (col("head" h) < 0.95 || col("mouth" h) > 0.05) exit 1 }'
}

# From a watch of poko_closing_queries after the click on おわり at $1: the first times at
# which all nine holes show a mole ("up"), a fully out mole ("out") and an open mouth
# ("mouths"), and every moment some but not all mouths are open ("partial").
poko_closing_events() {
    poko_awk_columns "t ${POKO_COLUMNS[*]}" '
    col("t") < click { next }
    {
        up = 0; out = 0; mouths = 0
        for (h = 0; h < 9; h++) {
            up += col("head" h) < 0.8
            out += col("white" h) > 0.05
            mouths += col("mouth" h) > 0.1
        }
        if (up == 9 && !a) { a = 1; print "up", col("t") }
        if (out == 9 && !b) { b = 1; print "out", col("t") }
        if (mouths == 9 && !c) { c = 1; print "mouths", col("t") }
        if (mouths > 0 && mouths < 9 && !c) { print "partial", col("t"), mouths }
    }' click="$1" "$POKO_WORK/watch.txt" >"$POKO_WORK/events.txt"
}
poko_event() { awk -v e="$1" '$1 == e { print $2; exit }' "$POKO_WORK/events.txt"; }

# Clicks おわり with the holes watched (poko_closing_queries) until the program ends,
# which it must within 8 s, and stops the recording. The times of poko_closing_events
# are empty when never seen.
poko_watch_closing() {
    local watcher
    poko_closing_queries
    poko_eye --watch 5000 40 "${POKO_QUERIES[@]}" >"$POKO_WORK/watch.txt" &
    watcher=$!
    # The watch is running before the click: the moles may come at once.
    sleep 0.3
    poko_click_on ゲーム Command2
    POKO_CLOSED_AT=$POKO_CLICKED_AT
    # With POKO_STRAY_KEYS set, keys pressed by accident on the way out change nothing.
    if [ -n "${POKO_STRAY_KEYS:-}" ]; then
        sleep 0.5
        poko_stray_keys "in the closing sequence"
    fi
    poko_wait_exit 8 || poko_fail "the program still runs 8 s after おわり"
    wait "$watcher"
    poko_record_stop
    poko_closing_events "$POKO_CLOSED_AT"
    POKO_UP_AT=$(poko_event up) POKO_OUT_AT=$(poko_event out) POKO_MOUTHS_AT=$(poko_event mouths)
}

# The closing seen and heard: a mole up in all nine holes, then all nine fully out, then all
# nine mouths open with owari.wav; the program ended with status 0.
poko_check_closing() {
    poko_log "program ended with status $POKO_STATUS $(printf %.2f \
        "$(poko_calc "$POKO_ENDED_AT - $POKO_CLOSED_AT")")s after おわり"
    [ -n "$POKO_UP_AT" ] || poko_fail "never a mole in all nine holes after おわり (watch.txt)"
    [ -n "$POKO_OUT_AT" ] || poko_fail "never all nine moles fully out after おわり"
    [ -n "$POKO_MOUTHS_AT" ] || poko_fail "never all nine mouths open after おわり"
    poko_test "$POKO_UP_AT <= $POKO_OUT_AT && $POKO_OUT_AT < $POKO_MOUTHS_AT" ||
        poko_fail "moles up, out and mouths open out of order"
    poko_check_owari "$POKO_MOUTHS_AT"
    [ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS"
}
