# Judgements of the recording (session.sh's poko_record_start): which of the data folder's
# sounds were heard, when, and how loud. Part of tests/harness. Sourced, not run.
#
#   poko_heard SOUND [ARGS]         wall-clock start and score of each time SOUND is heard
#   poko_level FROM LEN             the recording's RMS level (dBFS) over that time
#   poko_hear_clicks [LATE]         the click sound that answered each click of clicks.txt
#   poko_check_rating_sounds RATE SUM CLICK
#                                   the figure the rate earns heard, no other: POKO_RATING
#   poko_check_owari MOUTHS_AT      owari.wav heard once, with the mouths opening

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
    poko_heard "$@" | while read -r t _; do
        printf '%.2f\n' "$(poko_calc "$t - $reference")"
    done
}

# RMS level (dBFS) of the recording over [from, from+len] given as wall-clock time.
poko_level() {
    "$POKO_TOOLS/pokoear" level "$POKO_REC" "$(poko_calc "$POKO_REC_END - $1")" "$2"
}

# The starts of the hit (o) or miss (x) sound. Only their openings are matched, so a sound
# cut short by the next click is still found; at a score of 0.4 and at least 0.4 of their
# level, above what the music under them reaches.
poko_heard_click_sound() { poko_heard "$1" --len 0.15 --min 0.4 --gain 0.4 | awk '{print $1}'; }

# Each click of clicks.txt ("DONE SENT KIND ...", KIND board or mole) with the click sound
# that answered it appended, o, x or - for none, into clicks-heard.txt; the hit and miss
# sounds heard into heard-o.txt and heard-x.txt. A click's sound starts after the click was
# sent and within LATE s (0.4) of its being done, and answers one click only. A click on
# the bare board can only be answered by a miss; a click on a mole by the earliest sound
# in its window, for the next click's sound may fall in it too.
poko_hear_clicks() { # [LATE]
    poko_heard_click_sound o | sort -g >"$POKO_WORK/heard-o.txt"
    poko_heard_click_sound x | sort -g >"$POKO_WORK/heard-x.txt"
    awk -v late="${1:-0.4}" '
        BEGIN { split("", o); split("", x); split("", taken_o); split("", taken_x) }
        function first(onsets, n, taken, done, sent,   i) {
            for (i = 1; i <= n; i++)
                if (!(i in taken) && onsets[i] >= sent - 0.05 && onsets[i] <= done + late) return i
            return 0 }
        FILENAME == ARGV[1] { o[++no] = $1; next }
        FILENAME == ARGV[2] { x[++nx] = $1; next }
        { hit = $3 == "board" ? 0 : first(o, no, taken_o, $1, $2)
          miss = first(x, nx, taken_x, $1, $2)
          sound = "-"
          if (hit && (!miss || o[hit] < x[miss])) { taken_o[hit] = 1; sound = "o" }
          else if (miss) { taken_x[miss] = 1; sound = "x" }
          print $0, sound }' "$POKO_WORK/heard-o.txt" "$POKO_WORK/heard-x.txt" "$POKO_WORK/clicks.txt" \
        >"$POKO_WORK/clicks-heard.txt"
}

# The rating marks for each sum of speed, size and count (3 to 15), as the game's rating
# table gives them: a rate at or below the low mark earns the crow, at or above the high
# mark the jizo, between them the scarecrow.
#                S:  0 1 2  3  4  5  6  7  8  9 10 11 12 13 14 15
POKO_HIGH_MARK=(- - - 95 93 92 90 87 84 81 78 74 70 65 60 55)
POKO_LOW_MARK=(- - - 65 63 62 60 57 54 51 48 44 40 35 30 25)

# The rating heard after the click on 判定 at CLICK for a rate of RATE % when speed, size
# and count add up to SUM: the figure the rate earns heard once right after the press and no
# other; the crow's second sound about a second later, and only the crow's. Sets
# POKO_RATING to karasu, kakasi or jizou.
poko_check_rating_sounds() { # RATE SUM CLICK
    local rate=$1 sum=$2 click=$3 high low figure heard dame crow due
    [ "$sum" -ge 3 ] && [ "$sum" -le 15 ] || poko_fail "no rating marks for a level sum of $sum"
    high=${POKO_HIGH_MARK[$sum]} low=${POKO_LOW_MARK[$sum]}
    if [ "$rate" -le "$low" ]; then
        POKO_RATING=karasu
    elif [ "$rate" -lt "$high" ]; then
        POKO_RATING=kakasi
    else
        POKO_RATING=jizou
    fi
    for figure in karasu kakasi jizou; do
        mapfile -t heard < <(poko_heard_after "$click" "$figure" --len 0.3 --min 0.6)
        if [ "$figure" = "$POKO_RATING" ]; then
            [ ${#heard[@]} -eq 1 ] && poko_test "${heard[0]} >= -0.05 && ${heard[0]} <= 0.5" ||
                poko_fail "$figure.wav not heard once right after 判定 (heard at: ${heard[*]:-never})"
            crow=${heard[0]}
        else
            [ ${#heard[@]} -eq 0 ] || poko_fail "$figure.wav heard for a rate of $rate% (marks $low/$high)"
        fi
    done
    mapfile -t dame < <(poko_heard_after "$click" dame --len 0.3 --min 0.6)
    if [ "$POKO_RATING" = karasu ]; then
        # The press is stamped with its whole second (the crow's own sound marks when it was
        # handled, and it was not handled before it was sent); the second sound is due on
        # the first tick of the 100 ms timer once more than a second has passed since then.
        due=$(poko_calc "int($click + ($crow > 0 ? $crow : 0) + 0.5) + 1 - $click")
        [ ${#dame[@]} -eq 1 ] && poko_test "${dame[0]} - $due >= -0.05 && ${dame[0]} - $due <= 0.25" ||
            poko_fail "the crow's second sound not heard on the first tick a second after the press's whole second (at: ${dame[*]:-never}; due at $due; the crow's at $crow)"
        poko_log "the crow's second sound $(poko_calc "${dame[0]} - $due")s from the tick it was due on"
    else
        [ ${#dame[@]} -eq 0 ] || poko_fail "the crow's second sound without the crow"
    fi
}

# owari.wav heard once in the recording, within 0.3 s of the mouths opening at $1.
poko_check_owari() {
    local owari
    mapfile -t owari < <(poko_heard owari --len 0.3 --min 0.6 | awk '{print $1}')
    [ ${#owari[@]} -eq 1 ] || poko_fail "owari.wav heard ${#owari[@]} times, not once"
    poko_test "(${owari[0]} - $1)^2 <= 0.3^2" ||
        poko_fail "owari.wav $(poko_calc "${owari[0]} - $1")s away from the mouths opening"
}
