#!/usr/bin/env bash
# Closing a screen's window through its frame (the window manager's close request,
# WM_DELETE_WINDOW) ends the program, with status 0, on every screen: the menu while its
# title is being spelt and once it is complete, the game screen idle and in the middle of
# its countdown, and the settings screen.
source "$(dirname "$0")/../harness/harness.sh"
poko_begin frame_close "$1"
poko_write_settings '1,3,3,3\r\n'

close_by_frame() { # WINDOW-NAME WHAT
    "$POKO_TOOLS/wmdelete" "$POKO_WIN" || poko_fail "cannot ask the $1 window to close ($2)"
    poko_wait_exit 5 || poko_fail "the program still runs 5 s after closing the $1 window ($2)"
    [ "$POKO_STATUS" -eq 0 ] || poko_fail "exit status $POKO_STATUS after closing the $1 window ($2)"
    poko_window_gone "$1" || poko_fail "the $1 window stayed after the program ended ($2)"
    poko_log "closing the $1 window ($2) ended the program"
}

poko_launch
poko_wait_window メニュー 20
sleep 1
close_by_frame メニュー "title being spelt"

poko_launch
poko_wait_menu
close_by_frame メニュー "title complete"

poko_launch
poko_to_game
close_by_frame ゲーム "idle"

poko_launch
poko_to_game
poko_click_on ゲーム Command1
sleep 1.5
close_by_frame ゲーム "countdown"

poko_launch
poko_to_game
poko_open_settings
close_by_frame 設定 "settings"
poko_settings_are '1,3,3,3\r\n' || poko_fail "closing 設定 by its frame changed the settings file"
poko_pass
