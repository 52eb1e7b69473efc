#!/usr/bin/env bash
# The journey between the screens, as a player goes: the menu at its size with its
# buttons; ゲーム, the menu gone; 設定 with sliders moved by clicks and 設定完了 writing
# exactly the new values; a fresh game screen; おわり with nine open mouths and owari.wav,
# stray keys changing nothing on the way out; the program ending with status 0. (A whole
# round is e2e.round's, the title's spelling e2e.startup's.)
source "$(dirname "$0")/../harness/harness.sh"
poko_begin journey "$1"
poko_write_settings '1,5,1,3\r\n'

poko_record_start
poko_launch

# ---- The menu, then ゲーム: the game screen in its place.
poko_wait_menu
poko_window_sized メニュー
poko_shot menu
poko_click_on メニュー Command1
poko_wait_game
poko_window_gone メニュー || poko_fail "the menu stayed open under the game screen"

# ---- 設定: time stays at 1 (its end), size 1 → 2, count 3 → 2, each by a click.
poko_open_settings
poko_slider_press 0 left-arrow stays
poko_slider_press 2 right-arrow moves
poko_slider_press 3 left-trough moves
poko_shot chosen
poko_settings_are '1,5,1,3\r\n' || poko_fail "the settings file changed before 設定完了"
poko_settings_done '1,5,2,2\r\n' "the file holds the new values"
poko_fresh_game
poko_shot fresh-game

# ---- おわり: a mole up in all nine holes, all fully out, all mouths open, then the end.
poko_no_moles_or_mouths || poko_fail "moles or mouths on the fresh game screen before おわり"
POKO_STRAY_KEYS=1 poko_watch_closing
echo "closed $POKO_CLOSED_AT ended $POKO_ENDED_AT rec_end $POKO_REC_END" >>"$POKO_WORK/timeline.txt"
poko_check_closing
poko_log "the whole run took $(printf %.1f "$(poko_since "$POKO_T0")")s"
poko_pass
