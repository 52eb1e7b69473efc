# Where the program's controls are, by name: the build writes build/places.tsv from the
# screens' designs and the game's own placing of its hit targets (tools/places), and the
# scripts click and look there; the few places that hold no control are named below. Part
# of tests/harness.
#
#   poko_place SCREEN NAME      "X Y W H" of a control in its window's client area: NAME as
#                               Command1, Image13(5), Image13(5)@2 (the hit target at size
#                               level 2), HScroll1< and HScroll1> (a slider's arrows),
#                               window (the window's own size)
#   poko_centre SCREEN NAME     "X Y", the control's centre
#   poko_click_on SCREEN NAME   a click at the control's centre (poko_click)
#   poko_hole_xy H              the centre of hole H's hit target (H 0-8, row by row)
#   poko_click_hole H           a click there
#   poko_eye_box H              where the eyes of hole H's mole are when it is fully out
#                               (its hit mark's place)
#   poko_bare_spot K ...        places that hold no control, see below
#   poko_mole_band SCREEN PICTURE HOLE
#                               "X Y W H" above hole HOLE's rim (Hole(5)) that only the mole
#                               picture PICTURE (Image2(2)) covers: bare board when no mole
#                               is out

POKO_PLACES=${POKO_PLACES:-}

poko_not_empty() { [ -s "$1" ]; }
poko_find_places() {
    POKO_PLACES=$(poko_first poko_not_empty "$POKO_PLACES" \
        "$(dirname "${POKO_EXE:-/}")/places.tsv" "$POKO_SOURCE_DIR/build/places.tsv") || {
        echo "no places.tsv of the controls (cmake --build build writes it)" >&2
        return 1
    }
}

poko_place() {
    [ -n "$POKO_PLACES" ] || poko_find_places || exit 1
    local place
    place=$(awk -F '\t' -v s="$1" -v n="$2" '$1 == s && $2 == n { print $3, $4, $5, $6; exit }' \
        "$POKO_PLACES")
    if [ -z "$place" ]; then
        echo "no control $2 on $1 in $POKO_PLACES" >&2
        exit 1
    fi
    echo "$place"
}

poko_centre() {
    local x y w h
    read -r x y w h < <(poko_place "$1" "$2")
    echo "$((x + w / 2)) $((y + h / 2))"
}

poko_click_on() { poko_click $(poko_centre "$1" "$2"); }

poko_hole_xy() { poko_centre ゲーム "Image13($(($1 + 1)))@3"; }
poko_click_hole() { poko_click $(poko_hole_xy "$1"); }
poko_eye_box() { poko_place ゲーム "Image10($(($1 + 1)))"; }

# The places that hold no control, the only ones given here by number rather than read
# from places.tsv, in the game screen's client area (the first two on the menu too):
#   poko_bare_spot K    clicked: at a hole's height, halfway between the mole pictures of
#                       two neighbouring holes (1|2, 5|6, 7|8, 2|3, 4|5), where no mole
#                       ever shows, so a click there can only miss
#   poko_board_corner   the board's top-left corner, blue on the menu and the game screen
#   poko_top_strip      the board's top edge, above the buttons and every mole
#   poko_bottom_strip   the window's bottom, below the lowest holes: navy only under a panel
#   poko_panel_patches  two patches of the board the results panel covers
#   poko_row_gap        the bare board between the first holes of the top and middle rows
#   poko_row_band       a band across the board between the top and middle rows
POKO_BARE_PAIRS=(1 5 7 2 4)
poko_bare_spot() {
    local left=${POKO_BARE_PAIRS[$1]} lx lw rx y
    read -r lx _ lw _ < <(poko_place ゲーム "Image${left}(2)")
    read -r rx _ < <(poko_place ゲーム "Image$((left + 1))(2)")
    read -r _ y < <(poko_hole_xy $((left - 1)))
    echo "$(((lx + lw + rx) / 2)) $y"
}
poko_board_corner() { echo "5 5"; }
poko_top_strip() { echo "0 0 $POKO_WW 10"; }
poko_bottom_strip() { echo "0 300 $POKO_WW 97"; }
poko_panel_patches() { printf '%s\n' "0 340 200 55" "560 300 70 60"; }
poko_row_gap() { echo "200 140 40 50"; }
poko_row_band() { echo "0 140 639 45"; }

poko_mole_band() {
    local x y w hole_y
    read -r x y w _ < <(poko_place "$1" "$2")
    read -r _ hole_y _ _ < <(poko_place "$1" "$3")
    echo "$x $y $w $((hole_y - y))"
}
