#!/usr/bin/env bash
# The closing sequence: おわり on the game screen brings a mole up in all nine holes,
# then all nine fully out, then all nine open their mouths with owari.wav, and the
# program ends with status 0 within 4 s of the click.
source "$(dirname "$0")/lib.sh"
poko_begin closing "$1"
poko_write_settings '3,3,3,3\r\n'

poko_record_start
poko_launch
poko_wait_window メニュー 20
poko_wait_until "the menu's buttons show" 20 poko_frac_is 512 13 89 27 0402fc '< 0.5'
poko_click 556 26
poko_wait_window ゲーム 10
poko_wait_until "おわり shows" 10 poko_frac_is 410 13 89 27 0402fc '< 0.5'

mapfile -t queries < <(poko_closing_queries)
poko_no_moles_or_mouths "${queries[@]}" || poko_fail "moles or mouths on the board before おわり"

poko_eye --watch 5000 40 "${queries[@]}" >"$POKO_WORK/watch.txt" &
watcher=$!
sleep 0.3
poko_click 454 26
clicked=$POKO_CLICKED_AT
poko_wait_exit 8 || poko_fail "the program still runs 8 s after おわり"
wait "$watcher"
poko_record_stop
took=$(poko_calc "$POKO_ENDED_AT - $clicked")
poko_log "program ended with status $POKO_STATUS $(printf %.2f "$took")s after おわり"

# First times at which all nine holes show a mole, a fully out mole, an open mouth.
poko_closing_events "$clicked"
up=$(poko_event up) out=$(poko_event out) mouths=$(poko_event mouths)
[ -n "$up" ] || poko_fail "never a mole in all nine holes (watch.txt)"
[ -n "$out" ] || poko_fail "never all nine moles fully out"
[ -n "$mouths" ] || poko_fail "never all nine mouths open"
poko_test "$up <= $out && $out < $mouths" || poko_fail "moles up, out and mouths open out of order"
poko_log "after おわり: moles up $(printf %.2f "$(poko_calc "$up - $clicked")")s, out $(printf %.2f \
    "$(poko_calc "$out - $clicked")")s, mouths open $(printf %.2f "$(poko_calc "$mouths - $clicked")")s"
partial=$(awk '$1 == "partial"' "$POKO_WORK/events.txt" | wc -l)
[ "$partial" -le 1 ] || poko_fail "the mouths opened one by one, not all at once"

mapfile -t owari < <(poko_heard owari --len 0.3 --min 0.6 | awk '{print $1}')
[ ${#owari[@]} -eq 1 ] || poko_fail "owari.wav heard ${#owari[@]} times, not once"
poko_test "(${owari[0]} - $mouths)^2 <= 0.3^2" ||
    poko_fail "owari.wav $(poko_calc "${owari[0]} - $mouths")s away from the mouths opening"

[ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS"
poko_test "$took >= 2.5 && $took <= 4.0" || poko_fail "the program ended ${took}s after おわり, not 2.7-3.8 s"
poko_pass
