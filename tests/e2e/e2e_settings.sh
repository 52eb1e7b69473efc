#!/usr/bin/env bash
# Settings: 設定 from the game screen, the four sliders moved by clicks on their arrows
# and troughs (stopping at their ends), 設定完了 writing exactly "t,s,z,c\r\n" and
# opening a fresh game screen that plays by the new values (the size of the hit target),
# 設定中止 writing nothing.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin settings "$1"
poko_write_settings '3,3,3,3\r\n'

poko_record_start
poko_launch
poko_to_game

poko_open_settings

# From 3,3,3,3: time 2, 1, stays at 1; speed 4, 5, stays at 5; size 4, 3, 2; count 2, 3, 4.
poko_slider_press 0 left-arrow moves
poko_slider_press 0 left-trough moves
poko_slider_press 0 left-arrow stays
poko_slider_press 1 right-arrow moves
poko_slider_press 1 right-trough moves
poko_slider_press 1 right-arrow stays
poko_slider_press 2 right-trough moves
poko_slider_press 2 left-arrow moves
poko_slider_press 2 left-arrow moves
poko_slider_press 3 left-trough moves
poko_slider_press 3 right-arrow moves
poko_slider_press 3 right-arrow moves
chosen=$POKO_WORK/chosen.ppm
poko_eye "save $chosen" >/dev/null
poko_shot chosen
poko_settings_are '3,3,3,3\r\n' || poko_fail "the settings file changed before 設定完了"

# ---- 設定完了: the file holds the slider positions, a fresh game screen opens.
poko_settings_done '1,5,2,4\r\n' "the file is written"
poko_wait_game

# ---- 設定中止: the sliders as saved, moved again, and nothing written.
poko_open_settings
bars=""
for g in 0 1 2 3; do bars+="$(poko_slider_bar $g | tr ' ' ','),"; done
[ "$(poko_eye --ref "$chosen" "diff ${bars%,}")" -eq 0 ] ||
    poko_fail "設定 reopened with sliders other than those saved"
poko_slider_press 2 right-arrow moves
poko_slider_press 0 right-trough moves
poko_click_on 設定 Command1
poko_wait_window ゲーム 10
poko_window_gone 設定 || poko_fail "設定 stayed open after 設定中止"
sleep 0.5
poko_settings_are '1,5,2,4\r\n' || poko_fail "設定中止 changed the settings file"
poko_open_settings
[ "$(poko_eye --ref "$chosen" "diff ${bars%,}")" -eq 0 ] ||
    poko_fail "設定中止 kept slider moves"
poko_click_on 設定 Command2
poko_wait_window ゲーム 10
sleep 0.3
poko_settings_are '1,5,2,4\r\n' || poko_fail "設定完了 without moves changed the file"

# ---- The new size in play: at size 2 a click just inside the target's right edge hits (it
# would miss at the old size 3) and one just outside misses (it would hit at size 1). A
# mole at speed 5 may sink before a click inside reaches it, so at least two of five must
# hit; every click outside must miss.
right_edge() { # LEVEL: the x just past hole 5's target at that size level
    local x w
    read -r x _ w _ < <(poko_place ゲーム "Image13(5)@$1")
    echo $((x + w))
}
read -r centre _ < <(poko_hole_xy 4)
inside=$(($(right_edge 2) - 5 - centre))
outside=$(($(right_edge 2) + 5 - centre))
[ $((centre + inside)) -ge "$(right_edge 3)" ] && [ $((centre + outside)) -lt "$(right_edge 1)" ] ||
    poko_fail "the targets at sizes 1, 2 and 3 no longer differ enough for +$inside and +$outside px"
poko_wait_game
poko_click_on ゲーム Command1
sleep 4.5
: >"$POKO_WORK/clicks.txt"
still=()
for offset in $inside $outside $inside $outside $inside $outside $inside $outside $inside $outside; do
    deadline=$(($(poko_us) + 15000000))
    # A hole clicked in the last 3.5 s waits its turn: its mole may still show the mark.
    until poko_click_out_mole "$offset" 3500; do
        [ "$(poko_us)" -lt "$deadline" ] || poko_fail "no mole came out to be clicked"
        sleep 0.03
    done
    # Eyes or the hit mark's black stars just after the click: the mole was still out.
    box=$(poko_eye_box "$(awk 'END { print $4 }' "$POKO_WORK/clicks.txt")")
    read -r white black <<<"$(poko_eye "frac $box $POKO_WHITE 30" "frac $box $POKO_BLACK 40")"
    poko_test "$white > 0.05 || $black > 0.05" && still+=(1) || still+=(0)
    sleep 1
done
poko_record_stop
poko_hear_clicks 0.6
hits_inside=0 clicks_inside=0 misses_while_out=0 k=0
while read -r _ _ _ target offset sound; do
    if [ "$offset" = "$inside" ]; then
        clicks_inside=$((clicks_inside + 1))
        if [ "$sound" = o ]; then
            hits_inside=$((hits_inside + 1))
        else
            poko_log "the +$inside px click on hole $((target + 1)) missed (mole still out after it: ${still[k]})"
        fi
    else
        [ "$sound" = o ] && poko_fail "a click $outside px right of the eyes hit: the target is wider than at size 2"
        [ "$sound" = x ] || poko_fail "a click $outside px right of the eyes made no miss sound"
        [ "${still[k]}" = 1 ] && misses_while_out=$((misses_while_out + 1))
    fi
    k=$((k + 1))
done <"$POKO_WORK/clicks-heard.txt"
poko_log "$hits_inside of $clicks_inside clicks at +$inside px hit; $misses_while_out clicks at +$outside px missed a mole that was out"
[ "$hits_inside" -ge 2 ] || poko_fail "clicks $inside px right of the eyes missed: the target is narrower than at size 2"
[ "$misses_while_out" -ge 1 ] || poko_fail "no click at +$outside px landed while its mole was out"
poko_log "hit at +$inside px and missed at +$outside px: the game plays with the new size"
poko_pass
