#!/usr/bin/env bash
# A whole 30-second round played as a player would: メニュー → ゲーム → スタート pressed
# from the keyboard, the countdown seen and heard, music during play, moles hit by clicking
# their eyes (hit sound, dazed face) and clicks on the bare board (miss sound), stray keys
# in the countdown and in play changing nothing, the results panel after 30-32 s with
# points that add up, 判定 with the figure the rate earns and its sound, もどる, and the
# game screen fresh again after 設定.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin round "$1"
# A 30 s round; quick moles so that many come out; the largest target.
poko_write_settings '1,5,1,3\r\n'
SPEED=5 SIZE=1 COUNT=3

poko_record_start
sound_report=$POKO_WORK/sound-report.txt
POKO_SOUND_REPORT=$sound_report poko_launch
poko_to_game
poko_shot before-start

# ---- The countdown: the numerals in the red disc, watched every 40 ms from before the
# start (a step can come at once), with the places of the board buttons.
poko_eye --watch 7500 40 "numeral $(poko_place ゲーム 'Image11(1)')" \
    "frac $(poko_place ゲーム Command3) $POKO_BOARD_BLUE 40" "frac $(poko_place ゲーム Command1) $POKO_BOARD_BLUE 40" \
    >"$POKO_WORK/countdown.txt" &
watcher=$!
sleep 0.4
# Tab goes 設定, おわり, スタート; Enter presses the focused button.
poko_keys Tab Tab Tab Return
start_click=$POKO_KEYED_AT
poko_wait_until "Enter on the focused スタート hides the board buttons" 1 \
    poko_frac_is $(poko_place ゲーム Command1) "$POKO_BOARD_BLUE" '>= 0.9'
sleep 0.5
poko_stray_keys "in the countdown"
wait $watcher
poko_shot after-countdown
# Up to the end of the countdown (moles may come out over the disc after it): runs of
# the same numeral as "TIME NUMERAL" at each change, single unclear frames dropped.
poko_awk_columns "t numeral settings start" '
     col("t") < click { next }
     col("numeral") == "-" && last == "1" { print col("t"), "-"; exit }
     col("numeral") != "?" && col("numeral") != last { print col("t"), col("numeral"); last = col("numeral") }
     col("settings") >= 0.9 && col("start") >= 0.9 { gone = 1 }
     (col("settings") < 0.9 || col("start") < 0.9) && (gone || col("t") > click + 0.5) { print col("t"), "buttons" }
     ' click="$start_click" "$POKO_WORK/countdown.txt" >"$POKO_WORK/countdown-steps.txt"
grep -q buttons "$POKO_WORK/countdown-steps.txt" &&
    poko_fail "the board buttons did not go with スタート for the countdown (countdown.txt)"
steps=$(awk '{printf "%s ", $2}' "$POKO_WORK/countdown-steps.txt")
poko_log "countdown seen: $steps"
# The 3 may come with the next tick after the key, before the board is seen bare.
[ "${steps#- }" = "3 2 1 - " ] || poko_fail "countdown seen as '$steps', not '3 2 1 -'"
read -r t3 t2 t1 play_start < <(awk '$2 != "-" || NR > 1 {printf "%s ", $1} END {print ""}' \
    "$POKO_WORK/countdown-steps.txt")
for gap in "$t2 - $t3" "$t1 - $t2" "$play_start - $t1"; do
    poko_test "$gap >= 0.5 && $gap <= 1.6" ||
        poko_fail "countdown step of $(poko_calc "$gap")s (numerals should be about a second apart)"
done
poko_test "$t3 - $start_click <= 2" || poko_fail "the 3 came $(poko_calc "$t3 - $start_click")s after スタート"

# ---- Play: moles that are fully out clicked on their eyes, now and then the bare board.
# One watch grabs the holes every 25 ms over the whole of play: the clicks pick their moles
# from it, and each hit's dazed face is looked for afterwards in the grabs after its click.
play_end_us=$(printf '%.0f' "$(poko_calc "($play_start + 24) * 1000000")")
play_stat=$(poko_cpu_stat)
poko_play_watch $(((play_end_us - $(poko_us)) / 1000 + 1000))
misses=0 rounds=0 mole_clicks=0
: >"$POKO_WORK/clicks.txt"
while [ "$(poko_us)" -lt "$play_end_us" ]; do
    poko_running || poko_fail "the program ended during play"
    rounds=$((rounds + 1))
    if [ "$mole_clicks" -eq 2 ] && [ -z "${keyed_in_play:-}" ]; then
        poko_stray_keys "in play"
        keyed_in_play=1
    fi
    if [ $((rounds % 25)) -eq 0 ] && [ "$misses" -lt 5 ]; then
        poko_board_click "$misses"
        misses=$((misses + 1))
    elif poko_click_out_mole; then
        mole_clicks=$((mole_clicks + 1))
    else
        sleep 0.03
    fi
done
poko_play_watch_stop
# The dazed face at a clicked hole (black stars on skin, no eye whites) in the grabs of
# the 0.6 s after its click was sent (the same hole is not clicked again sooner): each
# click gains when it was first seen, or "-", and how many grabs were looked at.
poko_awk_columns "t $POKO_PLAY_COLUMNS" '
    FILENAME == ARGV[1] {
        if (whole()) {
            at[++n] = col("t") + 0
            for (h = 0; h < 9; h++) { white[n, h] = col("white" h) + 0; black[n, h] = col("black" h) + 0 }
        }
        next }
    { sent = $2; kind = $3; hole = $4 }
    kind != "mole" { print $0, "-", 0; next }
    { seen = "-"; grabs = 0
      for (i = 1; i <= n; i++)
          if (at[i] >= sent && at[i] <= sent + 0.6) {
              grabs++
              if (seen == "-" && white[i, hole] < 0.02 && black[i, hole] > 0.12) seen = sprintf("%.3f", at[i])
          }
      print $0, seen, grabs }' "$POKO_WORK/play-watch.txt" "$POKO_WORK/clicks.txt" >"$POKO_WORK/clicks-seen.txt"
mv "$POKO_WORK/clicks-seen.txt" "$POKO_WORK/clicks.txt"
poko_log "play: $mole_clicks clicks on moles ($(awk '$3 == "mole" && $6 != "-"' "$POKO_WORK/clicks.txt" |
    wc -l) dazed faces seen), $misses on the board"

# ---- The results panel: navy over the whole window.
poko_test "$(poko_now) - $play_start < 29.8" ||
    poko_fail "play loop overran: cannot time the results panel"
poko_wait_results "$play_start" 12
busy=$(poko_busy_since "$play_stat")

# ---- 判定: the figure and its sound, chosen by the rate shown. Pressed 0.55 s into a
# second, whose stamp rounds up however late the press is handled: the crow's second sound
# is due about 1.45 s later, a moment after the crow's own (1.17 s) has ended, and must not
# wait behind what the sound server still holds of it.
poko_at_fraction 0.55
poko_verdict "$POKO_RESULTS"
sleep 2.8
poko_record_stop
echo "play_start $play_start panel_at $POKO_PANEL_AT verdict $POKO_VERDICT_AT rec_end $POKO_REC_END" >>"$POKO_WORK/timeline.txt"

# The sounds of play: every click answered by the hit or the miss sound, the board's by a miss.
poko_hear_clicks
hits=0 green=0 pink=0 blue=0 unseen=0 unseen_looks=""
colour_of_hole=(green pink blue blue green pink pink blue green)
# HOLE (X Y on the board), SEEN: when the dazed face was first seen ("-" for never),
# GRABS: grabs looked at.
while read -r _ _ kind hole y seen grabs sound; do
    if [ "$kind" = board ]; then
        [ "$sound" = x ] || poko_fail "no miss sound after the click on the bare board at ($hole,$y)"
        continue
    fi
    case $sound in
    o)
        hits=$((hits + 1))
        case ${colour_of_hole[$hole]} in
        green) green=$((green + 1)) ;; pink) pink=$((pink + 1)) ;; blue) blue=$((blue + 1)) ;;
        esac
        if [ "$seen" = - ]; then
            unseen=$((unseen + 1))
            unseen_looks+=" hole $hole, $grabs grabs;"
        fi
        ;;
    x) [ "$seen" != - ] && poko_fail "a dazed face at hole $hole without the hit sound" ;;
    *) poko_fail "neither the hit nor the miss sound after the click on hole $hole" ;;
    esac
done <"$POKO_WORK/clicks-heard.txt"
poko_log "hits heard: $hits (green $green, pink $pink, blue $blue), $unseen without a face seen; \
faces first seen $(awk '$3 == "mole" && $6 != "-" { d = $6 - $2; if (!n++ || d < lo) lo = d; if (d > hi) hi = d }
    END { printf "%.3f-%.3f", lo, hi }' "$POKO_WORK/clicks.txt") s after their clicks were sent"
[ "$hits" -ge 3 ] || poko_fail "only $hits hits in a whole round: moles not found or not hittable"
# A hit mole can sink at once and take its face along before we look, but not often.
[ $((unseen * 3)) -le "$hits" ] ||
    poko_fail "$unseen of $hits hits heard without the dazed face in the grabs after them (${unseen_looks# })"
heard_in_play=$(awk -v a="$play_start" -v b="$POKO_PANEL_AT" '$1 > a && $1 < b' "$POKO_WORK/heard-o.txt" | wc -l)
[ "$heard_in_play" -eq "$hits" ] || poko_fail "$heard_in_play hit sounds during play for $hits hits"

# Countdown beeps with the numerals, music from the start of play. Each numeral's beep is
# the countdown sound that matches best within 0.3 s of it (the short one for 3 and 2, the
# long one for 1), judged against the other beep rather than a fixed bar, for a busy
# machine can chop a beep; neither may be heard clearly anywhere else.
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
level=$(poko_level "$(poko_calc "$POKO_PANEL_AT + 0.1")" 0.3)
poko_test "$level < -60" || poko_fail "music still playing with the results shown ($level dBFS)"

# ---- The numbers on the panel, read against digits drawn in the panel's font.
poko_read_panel "$POKO_RESULTS"
[ "$POKO_POINTS" = "$hits" ] || poko_fail "the panel shows $POKO_POINTS points for $hits hits"
[ "$POKO_SHOWN_GREEN $POKO_SHOWN_PINK $POKO_SHOWN_BLUE" = "$green $pink $blue" ] ||
    poko_fail "colour counts $POKO_SHOWN_GREEN/$POKO_SHOWN_PINK/$POKO_SHOWN_BLUE, hit $green/$pink/$blue"
[ "$POKO_RATE" -ge 1 ] && [ "$POKO_RATE" -le 100 ] || poko_fail "a rate of $POKO_RATE% after $hits hits"

# The figure earned: harder settings lower the marks.
poko_check_rating_sounds "$POKO_RATE" $((SPEED + SIZE + COUNT)) "$POKO_VERDICT_AT"
poko_log "rating for $POKO_RATE%: $POKO_RATING"

# ---- もどる hides the panel: the board with its buttons again; after 設定 and 設定完了
# the game screen comes fresh, with no panel left of the round.
poko_back_to_board
poko_open_settings
poko_settings_done '1,5,1,3\r\n' "the file holds the same values"
poko_fresh_game
poko_running || poko_fail "the program ended"

# ---- No crackle on a quiet machine: the cue stream ran dry once at most in the round (the
# one time its latency steps up). Other work on the machine (more than half of it busy
# over play) may starve any program; then the count is only logged.
kill -TERM "$POKO_PID"
poko_wait_exit 10 || poko_fail "the game did not end within 10 s of SIGTERM"
underruns=$(sed -n 's/^cue: underruns \([0-9]*\),.*/\1/p' "$sound_report")
[ -n "$underruns" ] || poko_fail "no sound report: $(cat "$sound_report" 2>&1 | head -3)"
poko_log "cue underruns $underruns, the machine ${busy}% busy over play"
poko_test "$busy > 50" || [ "$underruns" -le 1 ] ||
    poko_fail "the hit and miss sounds ran dry $underruns times on a quiet machine (${busy}% busy)"
poko_pass
