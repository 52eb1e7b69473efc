#!/usr/bin/env bash
# Start-up: the menu shows the bare board, spells out its title one character every half
# second in the six outer holes, shows its three buttons once the title is complete
# (about 3.5 s), then lets moles pop up in the middle row; 遊び方 opens the how-to-play
# page and もどる closes it. A restart of the sound server meanwhile is said on stderr, and
# the next round's countdown is heard; so is the music after a restart during the round.
# Started again as a launcher does, it ends the launcher's startup notice when the menu
# maps, and a screen reader reads the application and every button by name, and presses
# ゲーム.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin startup "$1"

# Watch for 8 s: the inside of the six title holes (yellow ink), the three button
# places (board blue while hidden), above the middle holes (board blue while no mole
# is up) and everything else, against the first sight of the board. (Made
# ready before the launch: the first character comes half a second after the menu.)
POKO_QUERIES=() POKO_COLUMNS=()
excluded=""
for k in 1 2 3 4 5 6; do
    read -r x y w h < <(poko_place メニュー "Image1($k)")
    # Inside the character's picture, clear of its edges.
    poko_query "title$k" "frac $((x + 4)) $((y + 6)) $((w - 8)) $((h - 11)) $POKO_TITLE_YELLOW 60"
    excluded+="$x,$y,$w,$h,"
done
for button in Command3 Command2 Command1; do
    poko_query "$button" "frac $(poko_place メニュー $button) $POKO_BOARD_BLUE 40"
done
for mole in 2 3 4; do
    poko_query "mole$mole" "frac $(poko_mole_band メニュー "Image$mole(2)" "Hole($((mole + 2)))") $POKO_BOARD_BLUE 40"
done
poko_query elsewhere "diffout ${excluded%,}"
poko_launch
poko_wait_window メニュー 20
# The board once painted: blue, with black holes (centre of the middle one).
painted() {
    [ "$(poko_eye "rgb $(poko_board_corner)" "rgb $(poko_centre メニュー 'Hole(5)')")" = "$POKO_BOARD_BLUE $POKO_BLACK" ]
}
poko_wait_until "the board is painted" 10 painted
board=$POKO_WORK/board.ppm
poko_eye "save $board" >/dev/null

poko_eye --ref "$board" --watch 8000 50 "${POKO_QUERIES[@]}" >"$POKO_WORK/watch.txt"
poko_shot after-title
poko_window_sized メニュー

poko_awk_columns "t ${POKO_COLUMNS[*]}" '
function shown(k) { return col("title" k) > 0.15 }
function clear(m) { return col("mole" m) }
{
    t = col("t")
    n = 0
    for (k = 1; k <= 6; k++) if (shown(k)) n = k
    for (k = 1; k <= n; k++)
        if (!shown(k)) { printf "order %s title %d missing while %d shows\n", t, k, n; exit 1 }
    for (k = 1; k <= n; k++) if (!(k in first)) { first[k] = t; printf "title%d %s\n", k, t }
    buttons = (col("Command3") < 0.5) + (col("Command2") < 0.5) + (col("Command1") < 0.5)
    if (buttons > 0 && !seenButtons) { seenButtons = 1; printf "buttons %s %d\n", t, buttons; next }
    if (seenButtons && buttons < 3) { printf "buttonsgone %s %d\n", t, buttons; exit 1 }
    if (!seenButtons && col("elsewhere") > 0) { printf "other %s %d\n", t, col("elsewhere"); exit 1 }
    if (!seenButtons && (clear(2) < 0.98 || clear(3) < 0.98 || clear(4) < 0.98)) { printf "earlymole %s\n", t; exit 1 }
    if (seenButtons && (clear(2) < 0.9 || clear(3) < 0.9 || clear(4) < 0.9) && !mole) { mole = 1; printf "mole %s\n", t }
}' "$POKO_WORK/watch.txt" >"$POKO_WORK/events.txt"
status=$?
while read -r what rest; do poko_log "$what $rest"; done <"$POKO_WORK/events.txt"
[ $status -eq 0 ] || poko_fail "$(tail -1 "$POKO_WORK/events.txt") (see watch.txt)"

previous=""
for k in 1 2 3 4 5 6; do
    t=$(poko_event title$k)
    [ -n "$t" ] || poko_fail "title character $k never showed"
    if [ -n "$previous" ]; then
        gap=$(poko_calc "$t - $previous")
        poko_test "$gap >= 0.3 && $gap <= 0.8" ||
            poko_fail "title character $k came ${gap}s after the one before, not about 0.5 s"
    fi
    previous=$t
done
buttons=$(poko_event buttons)
[ -n "$buttons" ] || poko_fail "the buttons never showed"
[ "$(awk '$1 == "buttons" { print $3 }' "$POKO_WORK/events.txt")" = 3 ] ||
    poko_fail "the three buttons did not show together"
# Half a second after the last character: 3.5 s after the title began (0.5 s before the
# first character).
gap=$(poko_calc "$buttons - $(poko_event title6)")
poko_test "$gap >= 0.3 && $gap <= 0.8" || poko_fail "buttons ${gap}s after the last character"
since_first=$(poko_calc "$buttons - $(poko_event title1) + 0.5")
poko_test "$since_first >= 3.2 && $since_first <= 3.9" ||
    poko_fail "buttons at ${since_first}s of the title, not about 3.5 s"
[ -n "$(poko_event mole)" ] || poko_fail "no mole came up in the middle row after the title"

# ---- 遊び方 and もどる.
# The page's bare navy: below its もどる button, and between its picture and もどる.
read -r page_x page_y page_w page_h < <(poko_place メニュー Label1)
read -r back_x back_y _ back_h < <(poko_place メニュー Command4)
read -r _ picture_y _ picture_h < <(poko_place メニュー Image6)
panel_shows() {
    poko_frac_is "$page_x" $((back_y + back_h)) "$page_w" $((page_y + page_h - back_y - back_h)) \
        "$POKO_PANEL_NAVY" '> 0.9' &&
        poko_frac_is "$back_x" $((picture_y + picture_h)) $((page_x + page_w - back_x)) \
            $((back_y - picture_y - picture_h)) "$POKO_PANEL_NAVY" '> 0.9'
}
poko_click_on メニュー Command3
poko_wait_until "the how-to-play page shows" 5 panel_shows
poko_shot how-to-play
# Its text and pictures: the panel is not bare navy.
poko_frac_is $(poko_place メニュー Label1) "$POKO_PANEL_NAVY" '< 0.8' || poko_fail "the how-to-play page is empty"
# Its もどる button, red as the others.
poko_frac_is $(poko_place メニュー Command4) "$POKO_PANEL_NAVY" '< 0.2' || poko_fail "no もどる button on the how-to-play page"
poko_click_on メニュー Command4
poko_wait_until "the how-to-play page closes onto the board" 5 poko_no_panel
poko_button_shows メニュー Command1 || poko_fail "the buttons went with the how-to-play page"
poko_running || poko_fail "the program ended"

# ---- The sound server restarts while the menu is up: the game says so once, finds the
# new server by itself and says so once, and the countdown of the next round is heard.
said() { [ "$(grep -c "$1" "$POKO_LOG")" = "$2" ]; }
restart_sound() { # TIMES: how often it will have been said
    poko_stop_sound
    poko_wait_until "the game says the sound stopped" 5 said "sound stopped" "$1"
    sleep 1.5 # an attempt or two find no server
    poko_session_sound
    poko_wait_until "the game says the sound is back" 5 said "sound is back" "$1"
}
restart_sound 1
poko_record_start restart
poko_to_game
poko_click_on ゲーム Command1
sleep 4
poko_record_stop
[ "$(poko_heard pipi --min 0.6 | grep -c .)" = 2 ] && [ "$(poko_heard pipipi --min 0.6 | grep -c .)" = 1 ] ||
    poko_fail "the countdown's beeps were not heard after the sound server came back"

# Once more while the music plays: it goes on when the server is back.
restart_sound 2
poko_record_start music
sleep 2
poko_record_stop
level=$(poko_level "$(poko_calc "$POKO_REC_END - 1.5")" 1)
poko_test "$level > -30" || poko_fail "the music did not go on after the sound server came back ($level dBFS)"
[ "$(grep -c . "$POKO_LOG")" = 4 ] ||
    poko_fail "the program said more than that the sound stopped and came back: $(cat "$POKO_LOG")"

# ---- As a launcher starts it and a screen reader meets it: on a session bus with the
# accessibility bus, given a startup id. The notice ends once the menu maps; the names and
# roles are the captions of the screens' tables; ゲーム pressed by its action opens the board.
# (A slider's value is its level: tst_designs.)
poko_end_program
a11y=$POKO_WORK/a11y
mkdir "$a11y"
dbus-daemon --session --fork --print-address=1 --print-pid=1 >"$a11y/bus.txt" ||
    poko_fail "no session bus"
{ read -r DBUS_SESSION_BUS_ADDRESS && read -r bus_pid; } <"$a11y/bus.txt"
export DBUS_SESSION_BUS_ADDRESS
POKO_PIDS+=("$bus_pid")
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$a11y/launcher.log" 2>&1 &
POKO_PIDS+=($!)
"$POKO_TOOLS/startupwatch" 15 >"$a11y/startup.txt" &
POKO_PIDS+=($!)
poko_wait_until "the startup watch listens" 5 grep -q ready "$a11y/startup.txt"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 DESKTOP_STARTUP_ID=poko-e2e_TIME0 poko_launch
poko_wait_menu
poko_wait_until "the startup notice ends after the menu maps" 5 \
    sh -c "sed -n '/^map$/,\$p' '$a11y/startup.txt' | grep -qx 'remove: ID=poko-e2e_TIME0'"
reader() { /usr/bin/python3 "$(dirname "$0")/tools/pokoa11y.py" "$POKO_PID" "$@"; }
POKO_ON_FAIL+=('sed "s/^/[a11y] /" "$a11y/tree.txt" "$a11y/reader.log" 2>/dev/null')
# What the reader hears of the application and of the showing buttons and sliders, sorted.
heard() {
    reader list 2>>"$a11y/reader.log" | tee "$a11y/tree.txt" |
        grep -E '^(application|push button|scroll bar)'$'\t' | sort
}
hears() { [ "$(heard)" = "$(sort <<<"$1")" ]; }
menu=$'application\tぽこぺんぱん\npush button\tゲーム\npush button\tおわり\npush button\t遊び方'
poko_wait_until "the menu's buttons are read by their captions" 10 hears "$menu"
reader press ゲーム || poko_fail "ゲーム could not be pressed through AT-SPI"
poko_wait_game
board=$'application\tぽこぺんぱん\npush button\tスタート\npush button\tおわり\npush button\t設　定'
poko_wait_until "the board's buttons are read by their captions" 10 hears "$board"
poko_open_settings
settings=$'application\tぽこぺんぱん\npush button\t設定中止\npush button\t設定完了
scroll bar\tゲーム時間設定\nscroll bar\tもぐらスピード\nscroll bar\tポイントエリア\nscroll bar\t同時出現数設定'
poko_wait_until "the sliders are read by their titles" 10 hears "$settings"
poko_log "AT-SPI reads the application, every button and every slider by name; the startup notice ended"
poko_pass
