#!/usr/bin/env bash
# The whole program in one run, as a player meets it: the menu spells its title and shows
# its buttons; ゲーム, スタート from the keyboard (Tab to it, Enter) and a whole 30-second
# round with a few moles hit, Space and Enter pressed by accident in the countdown and in
# play, which change nothing; the
# results panel with points that add up and match the hits heard; 判定 with a figure and
# its sound; もどる; 設定 with sliders moved by clicks and 設定完了 writing exactly the
# new values; a fresh game screen with its three buttons and no results panel; おわり
# with nine open mouths and owari.wav, stray keys again changing nothing; and the program
# ending with status 0.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin journey "$1"
# A 30 s round; quick moles; the largest target.
poko_write_settings '1,5,1,3\r\n'
SPEED=5 SIZE=1 COUNT=3

poko_record_start
poko_launch

# ---- The menu: the title spelt in the six outer holes, then the three buttons.
poko_wait_menu
[ "$WW" = 639 ] && [ "$WH" = 397 ] || poko_fail "menu window is ${WW}x${WH}, not 639x397"
title=()
for k in 1 2 3 4 5 6; do
    read -r x y w h < <(poko_place メニュー "Image1($k)")
    # Inside the character's picture, clear of its edges.
    title+=("frac $((x + 4)) $((y + 6)) $((w - 8)) $((h - 11)) fcfc00 60")
done
ink=$(poko_eye "${title[@]}" "frac $(poko_place メニュー Command3) 0402fc 40" \
    "frac $(poko_place メニュー Command2) 0402fc 40")
poko_log "menu: title ink ${ink% * *}"
awk '{ for (k = 1; k <= 6; k++) if ($k <= 0.15) exit 1; exit !($7 < 0.5 && $8 < 0.5) }' <<<"$ink" ||
    poko_fail "the menu shows its buttons without the whole title and all three buttons ($ink)"
poko_shot menu

# ---- ゲーム → スタート: the countdown, then play.
poko_click_on メニュー Command1
poko_wait_window ゲーム 10
poko_window_gone メニュー || poko_fail "the menu stayed open under the game screen"
poko_wait_until "スタート shows" 10 poko_frac_is $(poko_place ゲーム Command1) 0402fc '< 0.5'
poko_eye --watch 7500 40 "numeral $(poko_place ゲーム 'Image11(1)')" >"$POKO_WORK/countdown.txt" &
watcher=$!
sleep 0.4
# Tab goes 設定, おわり, スタート; Enter presses the focused button.
poko_keys Tab Tab Tab Return
start_click=$POKO_KEYED_AT
poko_wait_until "Enter on the focused スタート hides the board buttons" 1 \
    poko_frac_is $(poko_place ゲーム Command1) 0402fc '>= 0.9'
sleep 0.5
poko_stray_keys "in the countdown"
wait $watcher
# Runs of the same numeral as "TIME NUMERAL" at each change, unclear frames dropped; the
# bare disc after the 1 is the start of play.
awk -v click="$start_click" '$1 < click { next }
     $2 == "-" && last == "1" { print $1, $2; exit }
     $2 != "?" && $2 != last { print $1, $2; last = $2 }' "$POKO_WORK/countdown.txt" \
    >"$POKO_WORK/countdown-steps.txt"
steps=$(awk '{printf "%s ", $2}' "$POKO_WORK/countdown-steps.txt")
poko_log "countdown seen: $steps"
[ "${steps#- }" = "3 2 1 - " ] || poko_fail "countdown seen as '$steps', not '3 2 1 -'"
play_start=$(awk 'END { print $1 }' "$POKO_WORK/countdown-steps.txt")

# ---- Play: a few moles hit by clicks on their open eyes, one click on the bare board.
queries=()
for hole in 0 1 2 3 4 5 6 7 8; do queries+=("frac $(poko_eye_box $hole) ffffff 30"); done
: >"$POKO_WORK/clicks.txt"
play_end_us=$(printf '%.0f' "$(poko_calc "($play_start + 24) * 1000000")")
last_click_on=(0 0 0 0 0 0 0 0 0)
mole_clicks=0
while [ "$mole_clicks" -lt 8 ] && [ "$(poko_us)" -lt "$play_end_us" ]; do
    poko_running || poko_fail "the program ended during play"
    if [ "$mole_clicks" -eq 2 ] && [ -z "${keyed_in_play:-}" ]; then
        poko_stray_keys "in play"
        keyed_in_play=1
    fi
    if [ "$mole_clicks" -eq 4 ] && ! grep -q ' board ' "$POKO_WORK/clicks.txt"; then
        poko_board_click 1
        continue
    fi
    # The gap after the last click first: the mole found is then clicked at once.
    poko_click_gap 250
    now_us=$(poko_us)
    target=$(poko_eye "${queries[@]}" | awk -v now="$now_us" -v last="${last_click_on[*]}" '
        { split(last, t, " ")
          for (h = 0; h < 9; h++) if ($(h + 1) > 0.05 && now - t[h + 1] > 600000) { print h; exit } }')
    if [ -z "$target" ]; then
        sleep 0.03
        continue
    fi
    poko_click $(poko_hole_xy "$target")
    last_click_on[$target]=$POKO_LAST_CLICK_US
    echo "$POKO_CLICKED_AT $POKO_CLICK_SENT_AT mole $target" >>"$POKO_WORK/clicks.txt"
    mole_clicks=$((mole_clicks + 1))
done
poko_log "play: $mole_clicks clicks on moles, $(grep -c ' board ' "$POKO_WORK/clicks.txt") on the board"
[ "$mole_clicks" -ge 3 ] || poko_fail "only $mole_clicks moles found to click in 24 s of play"

# ---- The results panel after the round's 30 s.
poko_wait_results "$play_start" "$(poko_calc "$play_start + 34 - $(poko_now)")"
poko_read_panel "$results"

# ---- 判定: a figure in the rating box; its sound is checked in the recording below.
poko_verdict "$results"
# The crow's second sound comes a second later: let it play before もどる.
sleep 2.2

# ---- もどる: the board with its buttons again.
poko_back_to_board

# ---- 設定: time stays at 1 (its end), size 1 → 2, count 3 → 2, each by a click.
poko_open_settings
poko_slider_press 0 left-arrow stays
poko_slider_press 2 right-arrow moves
poko_slider_press 3 left-trough moves
poko_shot chosen
poko_settings_are '1,5,1,3\r\n' || poko_fail "the settings file changed before 設定完了"
poko_settings_done '1,5,2,2\r\n' "the file holds the new values"

# ---- The fresh game screen: three buttons, the bare board, no results panel.
three_buttons() {
    poko_frac_is $(poko_place ゲーム Command3) 0402fc '< 0.5' &&
        poko_frac_is $(poko_place ゲーム Command2) 0402fc '< 0.5' &&
        poko_frac_is $(poko_place ゲーム Command1) 0402fc '< 0.5'
}
poko_wait_until "the fresh game screen shows its three buttons" 10 three_buttons
sleep 0.3
poko_no_panel || poko_fail "results panel colours on the fresh game screen, or its board is not bare"
poko_shot fresh-game

# ---- おわり: a mole up in all nine holes, all fully out, all mouths open, then the end.
poko_no_moles_or_mouths || poko_fail "moles or mouths on the fresh game screen before おわり"
POKO_STRAY_KEYS=1 poko_watch_closing
echo "play_start $play_start panel_at $panel_at verdict $verdict_click closed $closed_click" \
    "ended $POKO_ENDED_AT rec_end $POKO_REC_END" >>"$POKO_WORK/timeline.txt"
poko_log "program ended with status $POKO_STATUS $(printf %.2f \
    "$(poko_calc "$POKO_ENDED_AT - $closed_click")")s after おわり"
[ -n "$up" ] || poko_fail "never a mole in all nine holes after おわり (watch.txt)"
[ -n "$out" ] || poko_fail "never all nine moles fully out after おわり"
[ -n "$mouths" ] || poko_fail "never all nine mouths open after おわり"
poko_test "$up <= $out && $out < $mouths" || poko_fail "moles up, out and mouths open out of order"
[ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS"

# ---- The recording of the whole run.
# Every click in play answered by the hit or the miss sound; the hits are the points.
poko_load_heard_clicks
hits=0
while read -r t sent kind a b; do
    if [ "$kind" = board ]; then
        poko_take_heard x "$t" "$sent" || poko_fail "no miss sound after the click on the bare board at ($a,$b)"
    else
        poko_take_sound "$t" "$sent" || poko_fail "neither the hit nor the miss sound after the click on hole $a"
        if [ "$POKO_TAKEN" = o ]; then hits=$((hits + 1)); fi
    fi
done <"$POKO_WORK/clicks.txt"
poko_log "hits heard: $hits of $mole_clicks clicks on moles"
[ "$hits" -ge 1 ] || poko_fail "no click on a mole was a hit"
heard_o=$(wc -l <"$POKO_WORK/heard-o.txt")
[ "$heard_o" -eq "$hits" ] || poko_fail "$heard_o hit sounds in the whole run for $hits hits"
[ "$points" = "$hits" ] || poko_fail "the panel shows $points points for $hits hits"
[ "$rate" -ge 1 ] && [ "$rate" -le 100 ] || poko_fail "a rate of $rate% after $hits hits"

# The figure's sound right after 判定, the one the rate earns, and no other.
poko_check_rating_sounds "$rate" $((SPEED + SIZE + COUNT)) "$verdict_click"
poko_log "rating for $rate%: $RATING, heard"

# owari.wav once, with the mouths opening.
poko_check_owari "$mouths"
poko_log "the whole run took $(printf %.1f "$(poko_since "$POKO_T0")")s"
poko_pass
