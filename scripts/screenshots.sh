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
game=""
trap '[ -z "$game" ] || kill "$game" 2>/dev/null; harness_cleanup; rm -rf "$folder"' EXIT
harness_prepare_program "$build/pokopenpan" "$folder" 1,3,1,5 # a short round with wide targets and many moles

harness_start_x
"$folder/pokopenpan" 2>/dev/null &
game=$!

# The client area of the window last found, from its top-left corner.
shot() { import -window root -crop "${2}x${3}+$WX+$WY" +repage "$out/$1.png"; echo "$out/$1.png"; }

harness_wait_window メニュー 30 "$game"
# The title takes 3.5 s to spell out; then the moles begin to come up.
sleep 5
shot menu 639 397
harness_button 40 13 89 27 && sleep 0.5 # 遊び方
shot how-to-play 639 397
harness_button 464 309 89 27 # もどる
sleep 0.5
harness_button 512 13 89 27 # ゲーム
harness_wait_window ゲーム 15 "$game"
sleep 1
shot game 639 400
harness_button 512 13 89 27 && sleep 2.2 # スタート
shot countdown 639 400
sleep 2.5
# Click every hit target in turn.
end=$((SECONDS + 33))
shots=0
while [ $SECONDS -lt $end ]; do
    for hole in "${HARNESS_HOLES[@]}"; do
        harness_click $hole
        sleep 0.12
    done
    if [ $shots -eq 0 ] && [ $SECONDS -gt $((end - 20)) ]; then
        shot round 639 400
        shots=1
    fi
done
sleep 1
harness_button 438 294 89 27 && sleep 0.8 # 判定
shot results 639 400
harness_button 525 19 89 27 && sleep 0.5 # もどる
harness_game_to_settings "$game"
shot settings 304 377
