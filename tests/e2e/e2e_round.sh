#!/usr/bin/env bash
# A whole 30-second round played as a player would: メニュー → ゲーム → スタート, the
# countdown seen and heard, music during play, moles hit by clicking their eyes (hit
# sound, dazed face) and clicks on the bare board (miss sound), the results panel after
# 30-32 s with points that add up, 判定 with the figure the rate earns and its sound,
# and もどる.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin round "$1"
# A 30 s round; quick moles so that many come out; the largest target.
poko_write_settings '1,5,1,3\r\n'
SPEED=5 SIZE=1 COUNT=3

poko_record_start
poko_launch
poko_to_game
poko_shot before-start

# ---- The countdown: the numerals in the red disc, watched every 40 ms.
# The watch starts before the click: a step can come at once.
poko_eye --watch 7500 40 "numeral $(poko_place ゲーム 'Image11(1)')" \
    "frac $(poko_place ゲーム Command3) 0402fc 40" "frac $(poko_place ゲーム Command1) 0402fc 40" \
    >"$POKO_WORK/countdown.txt" &
watcher=$!
sleep 0.4
poko_click_on ゲーム Command1
start_click=$POKO_CLICKED_AT
wait $watcher
poko_shot after-countdown
# Up to the end of the countdown (moles may come out over the disc after it): runs of
# the same numeral as "TIME NUMERAL" at each change, single unclear frames dropped.
awk -v click="$start_click" '$1 < click { next }
     $2 == "-" && last == "1" { print $1, $2; exit }
     $2 != "?" && $2 != last { print $1, $2; last = $2 }
     $3 >= 0.9 && $4 >= 0.9 { gone = 1 }
     ($3 < 0.9 || $4 < 0.9) && (gone || $1 > click + 0.5) { print $1, "buttons" }
     ' "$POKO_WORK/countdown.txt" \
    >"$POKO_WORK/countdown-steps.txt"
grep -q buttons "$POKO_WORK/countdown-steps.txt" &&
    poko_fail "the board buttons did not go with スタート for the countdown (countdown.txt)"
steps=$(awk '{printf "%s ", $2}' "$POKO_WORK/countdown-steps.txt")
poko_log "countdown seen: $steps"
# The 3 may come with the next tick after the click, before the board is seen bare.
[ "${steps#- }" = "3 2 1 - " ] || poko_fail "countdown seen as '$steps', not '3 2 1 -'"
read -r t3 t2 t1 play_start < <(awk '$2 != "-" || NR > 1 {printf "%s ", $1} END {print ""}' \
    "$POKO_WORK/countdown-steps.txt")
for gap in "$t2 - $t3" "$t1 - $t2" "$play_start - $t1"; do
    poko_test "$gap >= 0.5 && $gap <= 1.6" ||
        poko_fail "countdown step of $(poko_calc "$gap")s (numerals should be about a second apart)"
done
poko_test "$t3 - $start_click <= 2" || poko_fail "the 3 came $(poko_calc "$t3 - $start_click")s after スタート"

# ---- Play: find moles that are fully out by their open eyes, click the eyes.
# One watch over the whole of play grabs the board every 25 ms: the loop picks its targets
# from the newest grab, and after play every hit is judged by the grabs taken from the
# moment its click was sent, so a dazed face is seen however soon its mole sinks.
queries=()
for hole in 0 1 2 3 4 5 6 7 8; do
    box=$(poko_eye_box $hole)
    # Eye whites of a mole that is out; the black stars of the dazed face.
    queries+=("frac $box ffffff 30" "frac $box 000000 40")
done
play_end_us=$(printf '%.0f' "$(poko_calc "($play_start + 24) * 1000000")")
poko_eye --watch $(((play_end_us - $(poko_us)) / 1000 + 1000)) 25 "${queries[@]}" \
    >"$POKO_WORK/play-watch.txt" &
play_watch=$!
misses=0
: >"$POKO_WORK/clicks.txt"
last_click_on=(0 0 0 0 0 0 0 0 0)
rounds=0
while [ "$(poko_us)" -lt "$play_end_us" ]; do
    poko_running || poko_fail "the program ended during play"
    rounds=$((rounds + 1))
    # Now and then a click on the bare board between the holes.
    if [ $((rounds % 25)) -eq 0 ] && [ "$misses" -lt 5 ]; then
        poko_board_click "$misses"
        misses=$((misses + 1))
        continue
    fi
    # The gap before the next click is waited out before looking, so that the mole found
    # is clicked at once, while it is still out.
    poko_click_gap 250
    # The first hole with open eyes in a grab at most 0.1 s old, not clicked within the
    # double-click interval.
    now_us=$(poko_us)
    target=$(tail -n 1 "$POKO_WORK/play-watch.txt" | awk -v now="$now_us" -v last="${last_click_on[*]}" '
        NF == 19 && now - $1 * 1000000 < 100000 {
          split(last, t, " ")
          for (h = 0; h < 9; h++)
              if ($(2 * h + 2) > 0.05 && now - t[h + 1] > 600000) { print h; exit } }')
    if [ -z "$target" ]; then
        sleep 0.03
        continue
    fi
    poko_click $(poko_hole_xy "$target")
    last_click_on[$target]=$POKO_LAST_CLICK_US
    echo "$POKO_CLICKED_AT $POKO_CLICK_SENT_AT mole $target" >>"$POKO_WORK/clicks.txt"
done
kill "$play_watch" 2>/dev/null
wait "$play_watch" 2>/dev/null
# The dazed face at a clicked hole (black stars on skin, no eye whites) in the grabs of
# the 0.6 s after its click was sent (the same hole is not clicked again sooner): each
# click on a mole gains when it was first seen, or "-", and how many grabs were looked at.
awk 'NR == FNR {
         if (NF == 19) {
             at[++n] = $1 + 0
             for (h = 0; h < 9; h++) { white[n, h] = $(2 * h + 2) + 0; black[n, h] = $(2 * h + 3) + 0 }
         }
         next }
     $3 != "mole" { print; next }
     { seen = "-"; grabs = 0
       for (i = 1; i <= n; i++)
           if (at[i] >= $2 + 0 && at[i] <= $2 + 0.6) {
               grabs++
               if (seen == "-" && white[i, $4] < 0.02 && black[i, $4] > 0.12) seen = sprintf("%.3f", at[i])
           }
       print $0, seen, grabs }' "$POKO_WORK/play-watch.txt" "$POKO_WORK/clicks.txt" >"$POKO_WORK/clicks-seen.txt"
poko_log "play: $(grep -c ' mole ' "$POKO_WORK/clicks.txt") clicks on moles ($(awk '$3 == "mole" &&
    $5 != "-"' "$POKO_WORK/clicks-seen.txt" | wc -l) dazed faces seen), $(grep -c ' board ' \
    "$POKO_WORK/clicks.txt") on the board"

# ---- The results panel: navy over the whole window.
poko_test "$(poko_now) - $play_start < 29.8" ||
    poko_fail "play loop overran: cannot time the results panel"
poko_wait_results "$play_start" 12

# ---- 判定: the figure and its sound, chosen by the rate shown.
poko_verdict "$results"
sleep 2.8
poko_record_stop
echo "play_start $play_start panel_at $panel_at verdict $verdict_click rec_end $POKO_REC_END" >>"$POKO_WORK/timeline.txt"

# The sounds of play: every click on a mole answered by the hit or the miss sound.
poko_load_heard_clicks
hits=0 green=0 pink=0 blue=0 unseen=0 unseen_looks=""
colour_of_hole=(green pink blue blue green pink pink blue green)
while read -r t sent kind a b c; do
    if [ "$kind" = board ]; then
        poko_take_heard x "$t" "$sent" || poko_fail "no miss sound after the click on the bare board at ($a,$b)"
        continue
    fi
    # b: when the dazed face was first seen ("-" for never), c: grabs looked at.
    poko_take_sound "$t" "$sent" || poko_fail "neither the hit nor the miss sound after the click on hole $a"
    if [ "$POKO_TAKEN" = o ]; then
        hits=$((hits + 1))
        case ${colour_of_hole[$a]} in
        green) green=$((green + 1)) ;; pink) pink=$((pink + 1)) ;; blue) blue=$((blue + 1)) ;;
        esac
        if [ "$b" = - ]; then
            unseen=$((unseen + 1))
            unseen_looks+=" hole $a, $c grabs;"
        fi
    else
        [ "$b" != - ] && poko_fail "a dazed face at hole $a without the hit sound"
    fi
done <"$POKO_WORK/clicks-seen.txt"
poko_log "hits heard: $hits (green $green, pink $pink, blue $blue), $unseen without a face seen; \
faces first seen $(awk '$3 == "mole" && $5 != "-" { d = $5 - $2; if (!n++ || d < lo) lo = d; if (d > hi) hi = d }
    END { printf "%.3f-%.3f", lo, hi }' "$POKO_WORK/clicks-seen.txt") s after their clicks were sent"
[ "$hits" -ge 3 ] || poko_fail "only $hits hits in a whole round: moles not found or not hittable"
# A hit mole can sink at once and take its face along before we look, but not often.
[ $((unseen * 3)) -le "$hits" ] ||
    poko_fail "$unseen of $hits hits heard without the dazed face in the grabs after them (${unseen_looks# })"
heard_in_play=$(awk -v a="$play_start" -v b="$panel_at" '$1 > a && $1 < b' "$POKO_WORK/heard-o.txt" | wc -l)
[ "$heard_in_play" -eq "$hits" ] || poko_fail "$heard_in_play hit sounds during play for $hits hits"

# Countdown beeps with the numerals, music from the start of play. Each numeral's beep is
# the countdown sound that matches best within 0.3 s of it: the short one for 3 and 2, the
# long one for 1. A busy machine can chop a beep (the cues' stream is kept short for quick
# hits), which lowers its match and may match the short sound twice or the long one as the
# short one; so a beep is judged against the other beep, not against a fixed bar, and
# neither sound may be heard clearly anywhere else.
{
    poko_heard pipi --min 0.45 | sed 's/$/ pipi/'
    poko_heard pipipi --min 0.45 | sed 's/$/ pipipi/'
} >"$POKO_WORK/heard-countdown.txt"
for pair in "$t3 3 pipi" "$t2 2 pipi" "$t1 1 pipipi"; do
    read -r shown numeral expected <<<"$pair"
    read -r heard sound < <(awk -v t="$shown" '($1 - t)^2 <= 0.3^2 && $2 > best {
        best = $2; line = $1 " " $3 } END { print line }' "$POKO_WORK/heard-countdown.txt")
    [ "${sound:-}" = "$expected" ] ||
        poko_fail "the beep of $numeral: heard '${sound:-nothing}' within 0.3 s, not $expected (heard-countdown.txt)"
    poko_log "the beep of $numeral: $sound, $(poko_calc "$heard - $shown")s from its numeral"
done
stray=$(awk -v a="$t3" -v b="$t2" -v c="$t1" '$2 >= 0.6 &&
    ($1 - a)^2 > 0.3^2 && ($1 - b)^2 > 0.3^2 && ($1 - c)^2 > 0.3^2' "$POKO_WORK/heard-countdown.txt")
[ -z "$stray" ] || poko_fail "a countdown beep away from the numerals: $stray"
mapfile -t music < <(poko_heard bgm --from 0 --len 2 --min 0.6 | awk '{print $1}')
[ ${#music[@]} -ge 1 ] || poko_fail "the music's opening was not heard"
poko_test "(${music[0]} - $play_start)^2 <= 0.3^2" ||
    poko_fail "music began $(poko_calc "${music[0]} - $play_start")s from the start of play"
level=$(poko_level "$(poko_calc "$play_start + 5")" 15)
poko_test "$level > -45" || poko_fail "no music during play (level $level dBFS)"
level=$(poko_level "$(poko_calc "$panel_at + 0.1")" 0.3)
poko_test "$level < -60" || poko_fail "music still playing with the results shown ($level dBFS)"

# ---- The numbers on the panel, read against digits drawn in the panel's font.
poko_read_panel "$results"
[ "$points" = "$hits" ] || poko_fail "the panel shows $points points for $hits hits"
[ "$shown_green $shown_pink $shown_blue" = "$green $pink $blue" ] ||
    poko_fail "colour counts $shown_green/$shown_pink/$shown_blue, hit $green/$pink/$blue"
[ "$rate" -ge 1 ] && [ "$rate" -le 100 ] || poko_fail "a rate of $rate% after $hits hits"

# The figure earned: harder settings lower the marks.
poko_check_rating_sounds "$rate" $((SPEED + SIZE + COUNT)) "$verdict_click"
poko_log "rating for $rate%: $RATING"

# ---- もどる hides the panel: the board with its buttons again.
poko_back_to_board
poko_running || poko_fail "the program ended"
poko_pass
