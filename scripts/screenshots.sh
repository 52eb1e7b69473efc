#!/usr/bin/env bash
# Plays through the game in a private X server and saves the README's screenshots into
# docs/: the menu, how to play, the game screen, the countdown, a round in progress, the
# results with a rating figure, and the settings screen.
#
# usage: scripts/screenshots.sh [OUT_DIR]   (the program from build/, or from $POKO_BUILD)
set -euo pipefail
cd "$(dirname "$0")/.."
source tests/harness/harness.sh
out=${1:-docs}
build=${POKO_BUILD:-build}
mkdir -p "$out"
folder=$(mktemp -d)
poko_on_exit rm -rf "$folder"
poko_prepare_program "$build/pokopenpan" "$folder" 1,3,1,5 # a short round with wide targets and many moles
poko_start_x
poko_launch

# The client area of the window last found.
shot() { import -window root -crop "${POKO_WW}x${POKO_WH}+$POKO_WX+$POKO_WY" +repage "$out/$1.png"; echo "$out/$1.png"; }

poko_wait_window メニュー 30
# The title takes 3.5 s to spell out; then the moles begin to come up.
sleep 5
shot menu
poko_click_on メニュー Command3 && sleep 0.5 # 遊び方
shot how-to-play
poko_click_on メニュー Command4 # もどる
sleep 0.5
poko_click_on メニュー Command1 # ゲーム
poko_wait_game
sleep 1
shot game
poko_click_on ゲーム Command1 && sleep 2.2 # スタート
shot countdown
sleep 2.5
# Click every hit target in turn.
end=$((SECONDS + 33))
shots=0
while [ $SECONDS -lt $end ]; do
    for hole in 0 1 2 3 4 5 6 7 8; do
        poko_click_hole $hole
        sleep 0.12
    done
    if [ $shots -eq 0 ] && [ $SECONDS -gt $((end - 20)) ]; then
        shot round
        shots=1
    fi
done
sleep 1
poko_click_on ゲーム Command4 && sleep 0.8 # 判定
shot results
poko_click_on ゲーム Command5 && sleep 0.5 # もどる
poko_open_settings
shot settings
