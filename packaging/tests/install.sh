#!/usr/bin/env bash
# What `cmake --install` and the archive put where. Installed: the program in bin/, its
# data in share/pokopenpan/データ, the desktop entry, the icons at every size, the AppStream
# metadata, copyright, changelog and manual page, all valid. Portable: the .tar.gz holds one
# program folder, the program with データ beside it, and played from there it saves its
# settings beside itself and nowhere else.
#
# usage: install.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: install.sh BUILD_DIR}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/poko-install.XXXXXX)
source "$(dirname "$0")/../../tests/harness/harness.sh"
poko_on_exit rm -rf "$work"
POKO_NAME=install
command -v appstreamcli >/dev/null || {
    echo "FAIL: appstreamcli is needed (apt-get install appstream)" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    exit 1
}
app=$prefix/share/pokopenpan
id=org.pokopenpan.Pokopenpan

poko_check "the executable is bin/pokopenpan" test -x "$prefix/bin/pokopenpan" -a -f "$prefix/bin/pokopenpan"
poko_check "bin/ holds nothing else" [ "$(ls "$prefix/bin")" = pokopenpan ]
poko_check "no data beside the installed program (that would make it portable)" test ! -e "$prefix/bin/データ"
for sound in owari pipi pipipi bgm x o karasu kakasi jizou dame; do
    poko_check "sound $sound.wav in share/pokopenpan, as built" cmp -s "$app/データ/音/$sound.wav" "$build/データ/音/$sound.wav"
done
for picture in からす 案山子 地蔵; do
    poko_check "picture $picture.gif in share/pokopenpan, as built" cmp -s "$app/データ/絵/$picture.gif" "$build/データ/絵/$picture.gif"
done
poko_check "the delivered settings, not the build tree's saved ones" \
    cmp -s "$app/データ/設定.dat" "$source_dir/データ/設定.dat"
poko_check "the data is readable by everyone" \
    [ -z "$(find "$app/データ" ! -perm -o+r)" ]
doc=$prefix/share/doc/pokopenpan
poko_check "a copyright file in the Debian format" \
    grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
poko_check "a changelog for this version, compressed without a time stamp" \
    [ "$(zcat "$doc/changelog.gz" | head -1 | sed 's/.*(\(.*\)).*/\1/')/$(od -An -tu4 -j4 -N4 "$doc/changelog.gz" | tr -d ' ')" = \
      "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")/0" ]
poko_check "a manual page in section 6" sh -c "zcat '$prefix/share/man/man6/pokopenpan.6.gz' | grep -q '^.TH POKOPENPAN 6'"

desktop=$prefix/share/applications/$id.desktop
poko_check "a desktop entry" test -f "$desktop"
entry() { sed -n "s/^$1=//p" "$desktop"; }
# Unsuffixed in English, for every desktop language but Japanese, which has its own.
poko_check "Name Pokopenpan, Name[ja] ぽこぺんぱん" [ "$(entry Name)/$(entry 'Name\[ja\]')" = "Pokopenpan/ぽこぺんぱん" ]
poko_check "GenericName in English and Japanese" \
    [ "$(entry GenericName)/$(entry 'GenericName\[ja\]')" = "Whack-the-mole game/もぐらたたき" ]
poko_check "Comment in English and Japanese" [ "$(entry Comment)/$(entry 'Comment\[ja\]')" = \
    "Whack the moles as they pop out of their holes/穴から出てくるもぐらをたたくゲーム" ]
poko_check "no other language" [ -z "$(grep -E '^[A-Za-z]+\[' "$desktop" | grep -v '\[ja\]=')" ]
poko_check "Categories Game;ArcadeGame;" [ "$(entry Categories)" = "Game;ArcadeGame;" ]
poko_check "Icon is the app id" [ "$(entry Icon)" = "$id" ]
# One game at a time (no "New Window"); Qt ends the launcher's startup notice when the
# first window maps (e2e.startup watches it).
poko_check "SingleMainWindow and StartupNotify" [ "$(entry SingleMainWindow)/$(entry StartupNotify)" = true/true ]
poko_check "Exec is the program's name" [ "$(entry Exec)" = "pokopenpan" ]
poko_check "StartupWMClass is the entry's own name, as the windows' X11 class is" [ "$(entry StartupWMClass)" = "$id" ]
poko_check "Type Application, no terminal" [ "$(entry Type)/$(entry Terminal)" = "Application/false" ]
# desktop-file-validate before 0.27 (Debian 12 has 0.26) knows the entry format up to 1.4,
# not 1.5's SingleMainWindow: that one finding is allowed there, any other fails.
desktop_findings() {
    local known=0.27 version
    version=$(dpkg-query -W -f='${Version}' desktop-file-utils 2>/dev/null)
    desktop-file-validate "$desktop" 2>&1 | if dpkg --compare-versions "${version:-$known}" lt "$known"; then
        grep -v 'file contains key "SingleMainWindow" in group "Desktop Entry", but keys extending the format should start with "X-"'
    else
        cat
    fi
}
if command -v desktop-file-validate >/dev/null; then
    poko_check "desktop-file-validate accepts the entry" [ -z "$(desktop_findings)" ]
    desktop_findings | sed 's/^/[desktop-file-validate] /' >&2
else
    echo "note: desktop-file-validate not installed (package desktop-file-utils); checked by hand only"
fi

# PNG width and height from the IHDR chunk.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}'; }
for size in 16 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$id.png
    poko_check "icon at $size px" test -f "$icon"
    [ -f "$icon" ] || continue
    poko_check "icon at $size px is a PNG" [ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ]
    poko_check "icon at $size px is ${size}x$size ($(png_size "$icon"))" [ "$(png_size "$icon")" = "${size}x$size" ]
done
poko_check "the 16 px and 256 px icons differ in size" \
    [ "$(stat -c %s "$prefix/share/icons/hicolor/16x16/apps/$id.png")" -lt \
      "$(stat -c %s "$prefix/share/icons/hicolor/256x256/apps/$id.png")" ]
poko_check "the scalable icon is the drawing the PNGs are made from" \
    cmp -s "$prefix/share/icons/hicolor/scalable/apps/$id.svg" "$source_dir/src/assets/pictures/program-icon.svg"
poko_check "no icon under another name" [ -z "$(find "$prefix/share/icons" -type f ! -name "$id.*")" ]

metainfo=$prefix/share/metainfo/$id.metainfo.xml
# AppStream 1.0 warns when no homepage is named, and the game has none; that one warning
# is allowed, every other warning or error fails. AppStream 0.16 does not ask for one.
appstream_findings() {
    appstreamcli validate --no-net "$metainfo" 2>&1 | grep -E '^[EW]: ' |
        grep -v '^W: [^ ]*: url-homepage-missing$'
}
poko_check "appstreamcli validate --no-net finds no error and no warning but the missing homepage" \
    [ -z "$(appstream_findings)" ]
appstream_findings | sed 's/^/[appstreamcli] /' >&2
poko_check "appstreamcli knows the developer's name" \
    grep -q '<developer id="org.pokopenpan">' "$metainfo"
poko_check "the metadata names the desktop entry" grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo"
# The release is the changelog's top entry, as dpkg reads it.
changelog=$source_dir/packaging/debian/changelog
release="version=\"$(dpkg-parsechangelog -l "$changelog" -S Version)\" date=\"$(date -u -d "$(dpkg-parsechangelog -l "$changelog" -S Date)" +%F)\""
poko_check "the metadata's release is the changelog's top entry ($release)" \
    sh -c "grep '<release ' '$metainfo' | head -1 | grep -q '<release $release>'"
# Each entry a release, described by its items: the metadata has as many releases, items
# and described releases as the changelog has entries and items.
count_of() { grep -c "$1" "$2"; }
poko_check "one release for each changelog entry, each described by its items" [ \
    "$(count_of '<release ' "$metainfo")/$(count_of '<description>' "$metainfo")/$(count_of '<li>' "$metainfo")" = \
    "$(count_of '^pokopenpan (' "$changelog")/$(($(count_of '^pokopenpan (' "$changelog") + 1))/$(count_of '^  \* ' "$changelog")" ]
summary=$(sed -n 's:.*<summary>\(.*\)</summary>.*:\1:p' "$metainfo")
poko_check "a summary of at most 35 characters (${#summary})" [ -n "$summary" ] && [ "${#summary}" -le 35 ]
poko_check "a content rating for cartoon violence" \
    grep -q '<content_attribute id="violence-cartoon">mild</content_attribute>' "$metainfo"
poko_check "the changelog's version is the project's" \
    [ "$(dpkg-parsechangelog -l "$changelog" -S Version)" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ]
poko_check "the metadata says the game plays with a pointing device or a touch screen, and requires neither" \
    sh -c "tr -d ' \n' <'$metainfo' | grep -q '<supports><control>pointing</control><control>touch</control></supports>' &&
        ! grep -q '<requires>' '$metainfo'"

# Nothing else is installed.
expected_top=$'bin\nshare'
poko_check "only bin and share at the top" [ "$(ls "$prefix")" = "$expected_top" ]

# The archive: one program folder to unpack anywhere and play.
(cd "$build" && cpack -G TGZ -B "$work/packages" >"$work/cpack.log" 2>&1) || {
    cat "$work/cpack.log"
    exit 1
}
archive=$(ls "$work"/packages/*.tar.gz 2>/dev/null | head -1)
poko_check "cpack made a .tar.gz" test -f "$archive"
[ -f "$archive" ] || {
    poko_checks_summary install
    exit 1
}
mkdir "$work/unpacked"
tar -xzf "$archive" -C "$work/unpacked"
top=$(ls "$work/unpacked")
folder=$work/unpacked/$top
poko_check "the archive has one top folder ($top)" [ "$(ls "$work/unpacked" | wc -l)" -eq 1 ]
poko_check "the top folder holds the program and データ" [ "$(ls "$folder" | tr '\n' ' ')" = "pokopenpan データ " ]
# CPACK_STRIP_FILES is on: smaller than the installed program, which keeps its symbols.
poko_check "the archive's program is stripped" \
    [ "$(stat -c %s "$folder/pokopenpan")" -lt "$(stat -c %s "$prefix/bin/pokopenpan")" ]
poko_check "the archive's data equals the installed data" diff -r "$folder/データ" "$app/データ"

# Played from the unpacked folder, with a home of its own: the round length moved from
# 3 to 2 is saved in the folder's データ/設定.dat, and the home stays empty.
if [ -f "$folder/pokopenpan" ]; then
    mkdir -m 700 "$work/home"
    unset XDG_CONFIG_HOME
    if ! poko_start_x; then
        poko_check "an X server for the portable game" false
    else
        poko_log "playing the unpacked archive"
        HOME=$work/home poko_launch "$folder"
        played() {
            poko_to_game && poko_open_settings || return 1
            poko_click_on 設定 'HScroll1<' # time: left arrow, 3 → 2
            sleep 0.3
            poko_click_on 設定 Command2 # 設定完了
            poko_wait_game || return 1
            poko_click_on ゲーム Command2 # おわり
            poko_wait_exit 10 && [ "$POKO_STATUS" -eq 0 ]
        }
        poko_check "the portable game plays, saves and ends with status 0" played
        poko_end_program
        poko_check "the portable game saved beside its executable ($(od -An -c "$folder/データ/設定.dat" | tr -s ' '))" \
            cmp -s "$folder/データ/設定.dat" <(printf '2,3,3,3\r\n')
        poko_check "the portable game wrote nothing into the home ($(cd "$work/home" && find . -mindepth 1 | tr '\n' ' '))" \
            [ -z "$(find "$work/home" -name '*pokopenpan*')" ]
        poko_check "the portable game wrote nothing on stderr or stdout" test ! -s "$POKO_LOG"
    fi
fi

poko_checks_summary install
