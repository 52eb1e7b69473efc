#!/usr/bin/env bash
# The launcher (bin/pokopenpan) on a made-up installation whose "program" only reports
# where it runs from: the per-user program folder it builds, what it keeps and what it
# refreshes, and the in-place start of a copy that belongs to the player.
#
# usage: launcher.sh PATH/TO/pokopenpan-launcher.sh
set -uo pipefail
launcher=$(readlink -f "${1:?usage: launcher.sh LAUNCHER}")
work=$(mktemp -d /tmp/poko-launcher.XXXXXX)
trap 'chmod -R u+rwX "$work"; rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

# An installation: PREFIX/bin/pokopenpan, PREFIX/lib/pokopenpan/{pokopenpan,データ/...}.
# The program prints the folder it was started from, as the real one finds its data.
install_fake() {
    local prefix=$1 version=$2
    mkdir -p "$prefix/bin" "$prefix/lib/pokopenpan/データ/音" "$prefix/lib/pokopenpan/データ/絵"
    cp "$launcher" "$prefix/bin/pokopenpan"
    cat >"$prefix/lib/pokopenpan/pokopenpan" <<PROGRAM
#!/bin/sh
# version $version
echo "folder=\$(dirname "\$(readlink -f "\$0")")"
PROGRAM
    chmod 755 "$prefix/lib/pokopenpan/pokopenpan" "$prefix/bin/pokopenpan"
    printf 'RIFF' >"$prefix/lib/pokopenpan/データ/音/bgm.wav"
    printf 'GIF89a' >"$prefix/lib/pokopenpan/データ/絵/からす.gif"
    printf '3,3,3,3\r\n' >"$prefix/lib/pokopenpan/データ/設定.dat"
}
checksum() { (cd "$1" && find . -exec stat -c '%n %s %Y %a' {} + | sort && find . -type f -exec md5sum {} + | sort); }

# Shared mode is what everybody gets from an installation they do not own; root gets it
# too. Here the shared folder is made read-only, which makes it shared for anyone.
prefix=$work/usr
install_fake "$prefix" 1
chmod 555 "$prefix/lib/pokopenpan/データ"
home=$work/home
mkdir -p "$home"
run() { env -u XDG_DATA_HOME HOME="$home" "$@"; }

out=$(run "$prefix/bin/pokopenpan")
mine=$home/.local/share/pokopenpan
check "first start runs the program from the player's folder ($out)" \
    [ "$out" = "folder=$mine" ]
check "the executable is a real copy, not a link" \
    test -f "$mine/pokopenpan" -a ! -L "$mine/pokopenpan" -a -x "$mine/pokopenpan"
check "the copy is the installed program" cmp -s "$mine/pokopenpan" "$prefix/lib/pokopenpan/pokopenpan"
check "sounds are a link to the shared sounds" \
    [ "$(readlink -f "$mine/データ/音")" = "$(readlink -f "$prefix/lib/pokopenpan/データ/音")" ]
check "pictures are a link to the shared pictures" \
    [ "$(readlink -f "$mine/データ/絵")" = "$(readlink -f "$prefix/lib/pokopenpan/データ/絵")" ]
check "the delivered settings are copied as a file of the player's" \
    test -f "$mine/データ/設定.dat" -a ! -L "$mine/データ/設定.dat" -a -w "$mine/データ/設定.dat"
check "the copied settings are the delivered bytes" \
    cmp -s "$mine/データ/設定.dat" "$prefix/lib/pokopenpan/データ/設定.dat"
check "nothing else in the player's folder" \
    [ "$(cd "$mine" && find . | sort | tr '\n' ' ')" = ". ./pokopenpan ./データ ./データ/絵 ./データ/設定.dat ./データ/音 " ]

# The player's settings survive later starts.
printf '1,2,3,4\r\n' >"$mine/データ/設定.dat"
run "$prefix/bin/pokopenpan" >/dev/null
check "saved settings are kept at the next start" \
    cmp -s "$mine/データ/設定.dat" <(printf '1,2,3,4\r\n')

# Settings the player deleted come back as delivered.
rm "$mine/データ/設定.dat"
run "$prefix/bin/pokopenpan" >/dev/null
check "a deleted settings file is delivered again" \
    cmp -s "$mine/データ/設定.dat" "$prefix/lib/pokopenpan/データ/設定.dat"

# An update of the installed program reaches the copy.
chmod 755 "$prefix/lib/pokopenpan/データ"
install_fake "$prefix" 2
chmod 555 "$prefix/lib/pokopenpan/データ"
run "$prefix/bin/pokopenpan" >/dev/null
check "the copy is refreshed when the installed program changes" \
    cmp -s "$mine/pokopenpan" "$prefix/lib/pokopenpan/pokopenpan"
check "no temporary copy is left behind" \
    [ -z "$(find "$mine" -maxdepth 1 -name '.pokopenpan.new.*')" ]
# From here on the launcher must never write to the installation.
before=$(checksum "$prefix")

# XDG_DATA_HOME is honoured when absolute, and ignored when relative.
out=$(env HOME="$home" XDG_DATA_HOME="$work/xdg" "$prefix/bin/pokopenpan")
check "XDG_DATA_HOME chooses the player's folder ($out)" [ "$out" = "folder=$work/xdg/pokopenpan" ]
out=$(cd "$work" && env HOME="$home" XDG_DATA_HOME="relative" "$prefix/bin/pokopenpan")
check "a relative XDG_DATA_HOME is ignored ($out)" [ "$out" = "folder=$mine" ]
check "no folder is made for a relative XDG_DATA_HOME" [ ! -e "$work/relative" ]

# Started through a link elsewhere (as from /usr/games), the installation is still found.
mkdir -p "$work/games"
ln -s "$prefix/bin/pokopenpan" "$work/games/pokopenpan"
out=$(run "$work/games/pokopenpan")
check "started through a link, the player's folder is used ($out)" [ "$out" = "folder=$mine" ]

# If the installation moves, the links follow it.
chmod 755 "$prefix/lib/pokopenpan/データ"
mv "$prefix" "$work/opt"
chmod 555 "$work/opt/lib/pokopenpan/データ"
run "$work/opt/bin/pokopenpan" >/dev/null
check "the sound link follows a moved installation" \
    [ "$(readlink -f "$mine/データ/音")" = "$(readlink -f "$work/opt/lib/pokopenpan/データ/音")" ]
check "the installation itself is never written to" \
    [ "$(checksum "$work/opt")" = "$before" ]

# A broken installation says so.
rm "$work/opt/lib/pokopenpan/pokopenpan"
err=$(run "$work/opt/bin/pokopenpan" 2>&1 >/dev/null)
status=$?
check "a missing program is an error ($status: $err)" [ "$status" -ne 0 ]
check "the error names the missing program" grep -q "no program at" <<<"$err"

# A copy the player unpacked and owns is played in place, settings and all.
own=$work/unpacked
install_fake "$own" 1
if [ "$(id -u)" -eq 0 ]; then
    if id nobody >/dev/null 2>&1 && command -v runuser >/dev/null; then
        chown -R nobody "$own"
        chmod 755 "$work"
        out=$(runuser -u nobody -- env HOME="$work/nobody-home" "$own/bin/pokopenpan" 2>&1)
        check "an unpacked copy that belongs to the player runs in place ($out)" \
            [ "$out" = "folder=$own/lib/pokopenpan" ]
        check "no per-user folder is made for it" [ ! -e "$work/nobody-home" ]
        # Root itself never plays from the system-wide folder, even one it owns.
        out=$(env HOME="$home" "$own/bin/pokopenpan")
        check "root plays from a folder of its own ($out)" [ "$out" = "folder=$mine" ]
    else
        echo "skipped: the in-place start needs user nobody and runuser"
    fi
else
    out=$(env HOME="$work/own-home" "$own/bin/pokopenpan")
    check "an unpacked copy that belongs to the player runs in place ($out)" \
        [ "$out" = "folder=$own/lib/pokopenpan" ]
    check "no per-user folder is made for it" [ ! -e "$work/own-home" ]
fi

checks_summary launcher
