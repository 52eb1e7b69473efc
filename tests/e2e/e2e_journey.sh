#!/usr/bin/env bash
# The whole program in one run, as a player meets it: the menu spells its title and shows
# its buttons; ゲーム, スタート and a whole 30-second round with a few moles hit; the
# results panel with points that add up and match the hits heard; 判定 with a figure and
# its sound; もどる; 設定 with sliders moved by clicks and 設定完了 writing exactly the
# new values; a fresh game screen with its three buttons and no results panel; おわり
# with nine open mouths and owari.wav; and the program ending with status 0.
source "$(dirname "$0")/lib.sh"
poko_begin journey "$1"
# A 30 s round; quick moles; the largest target.
poko_write_settings '1,5,1,3\r\n'
SPEED=5 SIZE=1 COUNT=3

poko_record_start
poko_launch

# ---- The menu: the title spelt in the six outer holes, then the three buttons.
poko_wait_window メニュー 20
[ "$WW" = 639 ] && [ "$WH" = 397 ] || poko_fail "menu window is ${WW}x${WH}, not 639x397"
poko_wait_until "the menu's buttons show" 20 poko_frac_is 512 13 89 27 0402fc '< 0.5'
title=()
for slot in "100 82" "300 82" "500 82" "100 332" "300 332" "500 332"; do
    read -r x y <<<"$slot"
    title+=("frac $((x + 4)) $((y + 6)) 34 36 fcfc00 60")
done
ink=$(poko_eye "${title[@]}" "frac 40 13 89 27 0402fc 40" "frac 410 13 89 27 0402fc 40")
poko_log "menu: title ink ${ink% * *}"
awk '{ for (k = 1; k <= 6; k++) if ($k <= 0.15) exit 1; exit !($7 < 0.5 && $8 < 0.5) }' <<<"$ink" ||
    poko_fail "the menu shows its buttons without the whole title and all three buttons ($ink)"
poko_shot menu >/dev/null

# ---- ゲーム → スタート: the countdown, then play.
poko_click 556 26
poko_wait_window ゲーム 10
poko_window_gone メニュー || poko_fail "the menu stayed open under the game screen"
poko_wait_until "スタート shows" 10 poko_frac_is 512 13 89 27 0402fc '< 0.5'
poko_eye --watch 7500 40 "numeral 230 104 180 180" >"$POKO_WORK/countdown.txt" &
watcher=$!
sleep 0.4
poko_click 556 26
start_click=$POKO_CLICKED_AT
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
eye_box() { echo "$((100 + 200 * $1)) $((30 + 125 * $2)) 30 21"; }
queries=()
for hole in 0 1 2 3 4 5 6 7 8; do
    queries+=("frac $(eye_box $((hole % 3)) $((hole / 3))) ffffff 30")
done
: >"$POKO_WORK/clicks.txt"
play_end_us=$(printf '%.0f' "$(poko_calc "($play_start + 24) * 1000000")")
last_click_on=(0 0 0 0 0 0 0 0 0)
mole_clicks=0
while [ "$mole_clicks" -lt 8 ] && [ "$(poko_us)" -lt "$play_end_us" ]; do
    poko_running || poko_fail "the program ended during play"
    if [ "$mole_clicks" -eq 4 ] && ! grep -q ' board ' "$POKO_WORK/clicks.txt"; then
        poko_click 420 190
        echo "$POKO_CLICKED_AT board 420 190" >>"$POKO_WORK/clicks.txt"
        sleep 0.25
        continue
    fi
    now_us=$(poko_us)
    target=$(poko_eye "${queries[@]}" | awk -v now="$now_us" -v last="${last_click_on[*]}" '
        { split(last, t, " ")
          for (h = 0; h < 9; h++) if ($(h + 1) > 0.05 && now - t[h + 1] > 600000) { print h; exit } }')
    if [ -z "$target" ]; then
        sleep 0.03
        continue
    fi
    wait_us=$((250000 - ($(poko_us) - POKO_LAST_CLICK_US)))
    [ "$wait_us" -gt 0 ] && sleep "$(printf '0.%06d' "$wait_us")"
    poko_click $((116 + 200 * (target % 3))) $((45 + 125 * (target / 3)))
    last_click_on[$target]=$POKO_LAST_CLICK_US
    echo "$POKO_CLICKED_AT mole $target" >>"$POKO_WORK/clicks.txt"
    mole_clicks=$((mole_clicks + 1))
done
poko_log "play: $mole_clicks clicks on moles, $(grep -c ' board ' "$POKO_WORK/clicks.txt") on the board"
[ "$mole_clicks" -ge 3 ] || poko_fail "only $mole_clicks moles found to click in 24 s of play"

# ---- The results panel after the round's 30 s.
poko_wait_until "the results panel shows" "$(poko_calc "$play_start + 34 - $(poko_now)")" poko_panel_up
panel_at=$(poko_now)
after=$(poko_calc "$panel_at - $play_start")
poko_log "results panel $(printf %.2f "$after")s after play started"
poko_test "$after >= 29.8 && $after <= 32.3" || poko_fail "results panel after ${after}s of play, not 30-32 s"
sleep 0.5
results=$(poko_shot results)
poko_read_panel "$results"

# ---- 判定: a figure in the rating box; its sound is checked in the recording below.
poko_click 482 307
verdict_click=$POKO_CLICKED_AT
figure_shows() { poko_test "$(poko_eye --ref "$results" "diff 365 85 237 168") > 2000"; }
poko_wait_until "a figure shows in the rating box" 5 figure_shows
poko_shot rating >/dev/null
# The crow's second sound comes a second later: let it play before もどる.
sleep 2.2

# ---- もどる: the board with its buttons again.
poko_click 569 32
board_back() { poko_frac_is 0 140 639 45 0402fc '> 0.9' && poko_frac_is 512 13 89 27 0402fc '< 0.5'; }
poko_wait_until "the panel goes and the board shows" 5 board_back

# ---- 設定: time stays at 1 (its end), size 1 → 2, count 3 → 2, each by a click.
poko_click 84 26
poko_wait_window 設定 10
poko_window_gone ゲーム || poko_fail "the game screen stayed open under 設定"
[ "$WW" = 304 ] && [ "$WH" = 377 ] || poko_fail "設定 window is ${WW}x${WH}, not 304x377"
poko_wait_until "設定 is painted" 5 poko_frac_is 0 0 15 300 8080ff '> 0.95'
bar_top=(47 125 203 282)
bar() { echo "70 ${bar_top[$1]} 160 20"; }
# Clicks one place of slider g and says whether its bar changed (and nothing else).
press() { # GROUP PLACE(left-arrow|left-trough|right-trough|right-arrow) EXPECT(moves|stays)
    local g=$1 x inside outside
    case $2 in
    left-arrow) x=75 ;; left-trough) x=97 ;; right-trough) x=203 ;; right-arrow) x=225 ;;
    esac
    local before=$POKO_WORK/before.ppm
    poko_eye "save $before" >/dev/null
    poko_click "$x" $((bar_top[g] + 10))
    sleep 0.4
    read -r inside outside < <(poko_eye --ref "$before" "diff $(bar "$g")" "diffout $(bar "$g")")
    [ "$outside" -eq 0 ] || poko_fail "a click on slider $g ($2) changed the screen elsewhere"
    if [ "$3" = moves ]; then
        [ "$inside" -gt 20 ] || poko_fail "slider $g did not move on a click on its $2"
    else
        [ "$inside" -eq 0 ] || poko_fail "slider $g moved past its end on a click on its $2"
    fi
}
press 0 left-arrow stays
press 2 right-arrow moves
press 3 left-trough moves
poko_shot chosen >/dev/null
cmp -s "$POKO_SETTINGS" <(printf '1,5,1,3\r\n') || poko_fail "the settings file changed before 設定完了"
poko_click 206 351
poko_wait_window ゲーム 10
poko_window_gone 設定 || poko_fail "設定 stayed open after 設定完了"
poko_wait_until "the file holds the new values" 5 cmp -s "$POKO_SETTINGS" <(printf '1,5,2,2\r\n')
poko_log "設定完了 wrote $(od -An -c "$POKO_SETTINGS" | tr -s ' ')"

# ---- The fresh game screen: three buttons, the bare board, no results panel.
three_buttons() {
    poko_frac_is 40 13 89 27 0402fc '< 0.5' && poko_frac_is 410 13 89 27 0402fc '< 0.5' &&
        poko_frac_is 512 13 89 27 0402fc '< 0.5'
}
poko_wait_until "the fresh game screen shows its three buttons" 10 three_buttons
sleep 0.3
poko_frac_is 0 300 639 97 0000c0 '< 0.01' || poko_fail "results panel colours on the fresh game screen"
poko_frac_is 200 140 40 50 0402fc '> 0.95' || poko_fail "the fresh game screen's board is not bare"
poko_shot fresh-game >/dev/null

# ---- おわり: a mole up in all nine holes, all fully out, all mouths open, then the end.
mapfile -t closing < <(poko_closing_queries)
poko_no_moles_or_mouths "${closing[@]}" ||
    poko_fail "moles or mouths on the fresh game screen before おわり"
poko_eye --watch 5000 40 "${closing[@]}" >"$POKO_WORK/watch.txt" &
watcher=$!
sleep 0.3
poko_click 454 26
closed_click=$POKO_CLICKED_AT
poko_wait_exit 8 || poko_fail "the program still runs 8 s after おわり"
wait "$watcher"
poko_record_stop
echo "play_start $play_start panel_at $panel_at verdict $verdict_click closed $closed_click" \
    "ended $POKO_ENDED_AT rec_end $POKO_REC_END" >>"$POKO_WORK/timeline.txt"
poko_log "program ended with status $POKO_STATUS $(printf %.2f \
    "$(poko_calc "$POKO_ENDED_AT - $closed_click")")s after おわり"
poko_closing_events "$closed_click"
up=$(poko_event up) out=$(poko_event out) mouths=$(poko_event mouths)
[ -n "$up" ] || poko_fail "never a mole in all nine holes after おわり (watch.txt)"
[ -n "$out" ] || poko_fail "never all nine moles fully out after おわり"
[ -n "$mouths" ] || poko_fail "never all nine mouths open after おわり"
poko_test "$up <= $out && $out < $mouths" || poko_fail "moles up, out and mouths open out of order"
[ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS"

# ---- The recording of the whole run.
# Every click in play answered by the hit or the miss sound; the hits are the points.
poko_load_heard_clicks
hits=0
while read -r t kind a b; do
    if [ "$kind" = board ]; then
        poko_take_heard x "$t" || poko_fail "no miss sound after the click on the bare board at ($a,$b)"
    elif poko_take_heard o "$t"; then
        hits=$((hits + 1))
    else
        poko_take_heard x "$t" || poko_fail "neither the hit nor the miss sound after the click on hole $a"
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
mapfile -t owari < <(poko_heard owari --len 0.3 --min 0.6 | awk '{print $1}')
[ ${#owari[@]} -eq 1 ] || poko_fail "owari.wav heard ${#owari[@]} times, not once"
poko_test "(${owari[0]} - $mouths)^2 <= 0.3^2" ||
    poko_fail "owari.wav $(poko_calc "${owari[0]} - $mouths")s away from the mouths opening"
poko_log "the whole run took $(printf %.1f "$(poko_since "$POKO_T0")")s"
poko_pass
