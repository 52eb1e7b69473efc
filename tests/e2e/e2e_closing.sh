#!/usr/bin/env bash
# The closing sequence: おわり on the game screen brings a mole up in all nine holes,
# then all nine fully out, then all nine open their mouths with owari.wav, and the
# program ends with status 0 within 4 s of the click.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin closing "$1"
poko_write_settings '3,3,3,3\r\n'

poko_record_start
poko_launch
poko_to_game

poko_no_moles_or_mouths || poko_fail "moles or mouths on the board before おわり"

# おわり, then the first times at which all nine holes show a mole, a fully out mole, an
# open mouth.
poko_watch_closing
took=$(poko_calc "$POKO_ENDED_AT - $closed_click")
poko_log "program ended with status $POKO_STATUS $(printf %.2f "$took")s after おわり"
[ -n "$up" ] || poko_fail "never a mole in all nine holes (watch.txt)"
[ -n "$out" ] || poko_fail "never all nine moles fully out"
[ -n "$mouths" ] || poko_fail "never all nine mouths open"
poko_test "$up <= $out && $out < $mouths" || poko_fail "moles up, out and mouths open out of order"
poko_log "after おわり: moles up $(printf %.2f "$(poko_calc "$up - $closed_click")")s, out $(printf %.2f \
    "$(poko_calc "$out - $closed_click")")s, mouths open $(printf %.2f "$(poko_calc "$mouths - $closed_click")")s"
partial=$(awk '$1 == "partial"' "$POKO_WORK/events.txt" | wc -l)
[ "$partial" -le 1 ] || poko_fail "the mouths opened one by one, not all at once"

poko_check_owari "$mouths"

[ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS"
poko_test "$took >= 2.5 && $took <= 4.0" || poko_fail "the program ended ${took}s after おわり, not 2.7-3.8 s"
poko_pass
