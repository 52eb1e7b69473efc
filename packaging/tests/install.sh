#!/usr/bin/env bash
# What `cmake --install` and the archive put where: a self-contained program folder with
# its data beside the executable, the launcher, the desktop entry, the icons at every size
# and the AppStream metadata, all valid; and the .tar.gz holds the same tree.
#
# usage: install.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: install.sh BUILD_DIR}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/poko-install.XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"
command -v appstreamcli >/dev/null || {
    echo "FAIL: appstreamcli is needed (apt-get install appstream)" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    exit 1
}
app=$prefix/lib/pokopenpan
id=org.pokopenpan.Pokopenpan

check "the executable is in lib/pokopenpan" test -x "$app/pokopenpan" -a -f "$app/pokopenpan"
for sound in owari pipi pipipi bgm x o karasu kakasi jizou dame; do
    check "sound $sound.wav beside it, as built" cmp -s "$app/データ/音/$sound.wav" "$build/データ/音/$sound.wav"
done
for picture in からす 案山子 地蔵; do
    check "picture $picture.gif beside it, as built" cmp -s "$app/データ/絵/$picture.gif" "$build/データ/絵/$picture.gif"
done
check "the delivered settings, not the build tree's saved ones" \
    cmp -s "$app/データ/設定.dat" "$source_dir/データ/設定.dat"
check "the data is readable by everyone" \
    [ -z "$(find "$app/データ" ! -perm -o+r)" ]
check "the launcher is bin/pokopenpan" test -x "$prefix/bin/pokopenpan"

desktop=$prefix/share/applications/$id.desktop
check "a desktop entry" test -f "$desktop"
entry() { sed -n "s/^$1=//p" "$desktop"; }
check "Name ぽこぺんぱん" [ "$(entry 'Name')" = "ぽこぺんぱん" ]
check "Name[en] Pokopenpan" [ "$(entry 'Name\[en\]')" = "Pokopenpan" ]
check "Categories Game;ArcadeGame;" [ "$(entry Categories)" = "Game;ArcadeGame;" ]
check "Icon pokopenpan" [ "$(entry Icon)" = "pokopenpan" ]
check "Exec is the launcher's name" [ "$(entry Exec)" = "pokopenpan" ]
check "Type Application, no terminal" [ "$(entry Type)/$(entry Terminal)" = "Application/false" ]
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate accepts the entry" desktop-file-validate "$desktop"
else
    echo "note: desktop-file-validate not installed (package desktop-file-utils); checked by hand only"
fi

# PNG width and height from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/pokopenpan.png
    check "icon at $size px" test -f "$icon"
    [ -f "$icon" ] || continue
    check "icon at $size px is a PNG" [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]
    check "icon at $size px is ${size}x$size ($(png_size "$icon"))" [ "$(png_size "$icon")" = "${size}x$size" ]
done
check "the 16 px and 256 px icons differ in size" \
    [ "$(stat -c %s "$prefix/share/icons/hicolor/16x16/apps/pokopenpan.png")" -lt \
      "$(stat -c %s "$prefix/share/icons/hicolor/256x256/apps/pokopenpan.png")" ]

metainfo=$prefix/share/metainfo/$id.metainfo.xml
check "appstreamcli validate --no-net accepts the metadata" \
    appstreamcli validate --no-net "$metainfo"
check "the metadata names the desktop entry" grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
check "the metadata carries the project's version" grep -q "version=\"$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")\"" "$metainfo"

# Nothing else is installed.
expected_top=$'bin\nlib\nshare'
check "only bin, lib and share at the top" [ "$(ls "$prefix")" = "$expected_top" ]

# The archive: the same tree under one top folder, to unpack anywhere.
(cd "$build" && cpack -G TGZ -B "$work/packages" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
archive=$(ls "$work"/packages/*.tar.gz 2>/dev/null | head -1)
check "cpack made a .tar.gz" test -f "$archive"
if [ -f "$archive" ]; then
    mkdir "$work/unpacked"
    tar -xzf "$archive" -C "$work/unpacked"
    top=$(ls "$work/unpacked")
    check "the archive has one top folder ($top)" [ "$(ls "$work/unpacked" | wc -l)" -eq 1 ]
    check "the archive holds the installed tree" \
        [ "$(cd "$work/unpacked/$top" && find . | sort)" = "$(cd "$prefix" && find . | sort)" ]
    # CPACK_STRIP_FILES is on: smaller than the installed program, which keeps its symbols.
    check "the archive's program is stripped" \
        [ "$(stat -c %s "$work/unpacked/$top/lib/pokopenpan/pokopenpan")" -lt "$(stat -c %s "$app/pokopenpan")" ]
    check "the archive's data equals the installed data" \
        diff -r "$work/unpacked/$top/lib/pokopenpan/データ" "$app/データ"
fi

checks_summary install
