#!/bin/sh
# Starts ぽこぺんぱん from an installed copy.
#
# The game finds its data in the folder beside its own executable and saves its settings
# there. An installed copy (DIR/lib/pokopenpan, usually owned by root) is shared, so each
# player gets a program folder of their own on first start:
#   ${XDG_DATA_HOME:-~/.local/share}/pokopenpan/
#       pokopenpan          a copy of the installed executable, refreshed when that changes
#       データ/音, データ/絵  links to the shared sounds and pictures
#       データ/設定.dat      the player's own settings, first a copy of the delivered file
# A copy that you unpacked yourself (it belongs to you and you may write to it) is played
# in place, settings and all.
set -eu

self=$(readlink -f "$0")
shared=$(cd "$(dirname "$self")/../lib/pokopenpan" 2>/dev/null && pwd -P) || {
    echo "pokopenpan: the program folder is missing beside $self" >&2
    exit 1
}
if [ ! -x "$shared/pokopenpan" ]; then
    echo "pokopenpan: no program at $shared/pokopenpan" >&2
    exit 1
fi

# Played in place: the folder is yours and writable, and you are not the administrator
# (whose own game must never change the system-wide copy).
if [ "$(id -u)" -ne 0 ] && [ -O "$shared/データ" ] && [ -w "$shared/データ" ]; then
    exec "$shared/pokopenpan" "$@"
fi

base=${XDG_DATA_HOME:-}
case $base in
/*) ;;
*) base=${HOME:?pokopenpan: HOME is not set}/.local/share ;;
esac
mine=$base/pokopenpan
mkdir -p "$mine/データ"

# The executable: a real copy, since the game resolves its own path to find its data.
# A new copy replaces the old one in one step, so a game already running keeps its own.
if ! cmp -s "$shared/pokopenpan" "$mine/pokopenpan"; then
    cp "$shared/pokopenpan" "$mine/.pokopenpan.new.$$"
    chmod 755 "$mine/.pokopenpan.new.$$"
    mv -f "$mine/.pokopenpan.new.$$" "$mine/pokopenpan"
fi

# Sounds and pictures stay shared; the links follow the installed folder if it moved.
for folder in 音 絵; do
    if [ -L "$mine/データ/$folder" ] || [ ! -e "$mine/データ/$folder" ]; then
        ln -sfn "$shared/データ/$folder" "$mine/データ/$folder"
    fi
done

# The delivered settings, once: after that the file is the player's.
if [ ! -e "$mine/データ/設定.dat" ] && [ ! -L "$mine/データ/設定.dat" ] &&
    [ -f "$shared/データ/設定.dat" ]; then
    cp "$shared/データ/設定.dat" "$mine/データ/設定.dat"
    chmod 644 "$mine/データ/設定.dat"
fi

exec "$mine/pokopenpan" "$@"
