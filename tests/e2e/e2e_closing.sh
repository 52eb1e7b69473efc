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
poko_check_closing
poko_log "after おわり: moles up $(printf %.2f "$(poko_calc "$POKO_UP_AT - $POKO_CLOSED_AT")")s, out $(printf %.2f \
    "$(poko_calc "$POKO_OUT_AT - $POKO_CLOSED_AT")")s, mouths open $(printf %.2f "$(poko_calc "$POKO_MOUTHS_AT - $POKO_CLOSED_AT")")s"
partial=$(awk '$1 == "partial"' "$POKO_WORK/events.txt" | wc -l)
[ "$partial" -le 1 ] || poko_fail "the mouths opened one by one, not all at once"
took=$(poko_calc "$POKO_ENDED_AT - $POKO_CLOSED_AT")
poko_test "$took >= 2.5 && $took <= 4.0" || poko_fail "the program ended ${took}s after おわり, not 2.7-3.8 s"
poko_pass
