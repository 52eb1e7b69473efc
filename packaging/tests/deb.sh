#!/usr/bin/env bash
# The Debian package, end to end, as on a player's machine: build it with cpack, let
# lintian judge it, check its dependencies against what the program links, install it, and
# let ordinary users start the game from its desktop entry under a private X server:
#   - one whose home is a tmpfs mounted noexec saves settings through the real settings
#     screen, starts again and finds them back;
#   - a second, with its own XDG_CONFIG_HOME, starts from the delivered settings, not the
#     first one's, and saves its own.
# Nothing but the settings is written into a home, the installed files stay untouched, and
# removing the package leaves nothing of it in /usr. Needs root (to install packages,
# create users and mount): skipped otherwise. Everything it made is undone at the end.
#
# usage: deb.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: deb.sh BUILD_DIR}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/harness/harness.sh"
POKO_NAME=deb
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the package, creating users and mounting need root"
    exit 77
fi
for tool in dpkg-deb dpkg dpkg-shlibdeps cpack lintian appstreamcli useradd userdel setpriv mount Xvfb xdotool; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is needed" >&2
        exit 1
    }
done
if dpkg-query -W -f='${Status}' pokopenpan 2>/dev/null | grep -q "install ok installed"; then
    echo "FAIL: a pokopenpan package is already installed here; this test would replace it" >&2
    exit 1
fi
ours_in_usr() { find /usr \( -name '*pokopenpan*' -o -name 'データ' \) -print 2>/dev/null; }
if [ -n "$(ours_in_usr)" ]; then
    echo "FAIL: /usr already holds files of the game: $(ours_in_usr | head -3)" >&2
    exit 1
fi

work=$(mktemp -d /tmp/poko-deb.XXXXXX)
chmod 755 "$work"
users=(pokoa$$ pokob$$)
installed=0
mounted=""
undo() {
    poko_stop_all
    [ "$installed" -eq 1 ] && dpkg --purge pokopenpan >/dev/null 2>&1
    local user
    for user in "${users[@]}"; do
        id "$user" >/dev/null 2>&1 && userdel "$user" >/dev/null 2>&1
    done
    [ -n "$mounted" ] && umount "$mounted"
    rm -rf "$work"
}
poko_on_exit undo
POKO_ON_FAIL+=('[ -n "${DISPLAY:-}" ] && xwininfo -root -tree 2>&1 | grep -E "^ +0x" | sed "s/^ */[windows] /"
[ -n "$POKO_PID" ] && ps -o pid,user,stat,args --ppid "$POKO_PID" -p "$POKO_PID" 2>/dev/null | sed "s/^/[process] /"
for log in "$work"/*.log; do
    [ -f "$log" ] && sed "s/^/[$(basename "$log")] /" "$log" | tail -20
done')
die() { poko_fail "$@"; }

# 1. The package and its dependencies.
(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) || die "cpack failed"
deb=$(ls "$work"/packages/*.deb 2>/dev/null | head -1)
[ -f "$deb" ] || die "cpack made no .deb"
poko_log "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"
mkdir "$work/contents"
dpkg-deb -x "$deb" "$work/contents"
faults=$(poko_lintian_faults "$deb" "$work/contents" "$work/lintian.log")
[ -z "$faults" ] || die "lintian found faults: $faults"
poko_log "lintian: no errors or warnings; $(grep -c '^I:' "$work/lintian.log") notes"
grep '^I:' "$work/lintian.log" | sed 's/^/[lintian] /'
[ "$(dpkg-deb -f "$deb" Recommends)" = qt6-wayland ] || die "the package does not recommend qt6-wayland"
depends=$(dpkg-deb -f "$deb" Depends)
has_dependency() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qx "$1"; }
# Every library the program links comes from a package the .deb depends on.
program=$work/contents/usr/games/pokopenpan
[ -x "$program" ] || die "the package has no usr/games/pokopenpan"
# The version Depends asks of a package, empty when it asks none.
required_version() {
    tr ',' '\n' <<<"$depends" | sed -n "s/^ *$1 *(>= *\([^)]*\)).*/\1/p" | head -1
}
# This machine's own libraries (x86_64-linux-gnu, aarch64-linux-gnu), not another architecture's.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for library in $(readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v lib="$library" -v dir="/$multiarch/" '$1 == lib && index($NF, dir) {print $NF; exit}')
    [ -n "$path" ] || die "$library is not on this system"
    package=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$package" ] || package=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
    has_dependency "$package" || die "the program links $library from $package, which Depends lacks: $depends"
    # A program built with Qt 6.N carries Qt 6.N's version tag and starts on no older Qt,
    # so the package must not install beside one.
    if [ "$library" = libQt6Core.so.6 ]; then
        built_with=$(dpkg-query -W -f='${Version}' "$package" | sed 's/^[0-9]*://; s/^\([0-9]*\.[0-9]*\).*/\1/')
        asked=$(required_version "$package")
        [ -n "$asked" ] && dpkg --compare-versions "$asked" ge "$built_with" ||
            die "Depends asks $package (>= ${asked:-nothing}) of a program built with Qt $built_with"
    fi
done
# What Qt loads at run time and the fonts, which no linked library names.
for package in fonts-ipafont-mincho fonts-ipafont-gothic qt6-qpa-plugins; do
    has_dependency "$package" || die "Depends lacks $package: $depends"
done
poko_log "Depends covers every linked library, at the Qt the program was built with, and the fonts: $depends"

# 2. Install it.
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || die "dpkg -i failed"
installed=1
shared=/usr/share/pokopenpan
desktop=/usr/share/applications/org.pokopenpan.Pokopenpan.desktop
[ -f "$desktop" ] || die "no desktop entry at $desktop"
[ -f /usr/share/icons/hicolor/48x48/apps/org.pokopenpan.Pokopenpan.png ] &&
    [ -f /usr/share/icons/hicolor/scalable/apps/org.pokopenpan.Pokopenpan.svg ] ||
    die "no icon in the hicolor theme"
[ -x /usr/games/pokopenpan ] || die "no program at /usr/games/pokopenpan"
[ -f /usr/share/doc/pokopenpan/copyright ] && [ -f /usr/share/doc/pokopenpan/changelog.gz ] ||
    die "no copyright or changelog in /usr/share/doc/pokopenpan"
shared_sum() { (cd "$shared" && find . -exec stat -c '%n %s %Y %a %U' {} + | sort && find . -type f -exec md5sum {} + | sort); }
shared_before=$(shared_sum)
delivered=$(od -An -c "$shared/データ/設定.dat")
poko_log "installed; the delivered settings are: $delivered"

# 3. Two ordinary users and a display they may use. The first one's home is a tmpfs on
# which nothing may be executed; the second keeps its settings where XDG_CONFIG_HOME says.
home_a=$work/home-a
home_b=$work/home-b
mkdir "$home_a" "$home_b"
mount -t tmpfs -o noexec,nosuid,nodev,size=16m,mode=755 poko-home "$home_a" || die "cannot mount a tmpfs"
mounted=$home_a
for i in 0 1; do
    useradd -M -d "$work/home-$([ $i -eq 0 ] && echo a || echo b)" -s /bin/sh "${users[$i]}" ||
        die "useradd failed"
done
chown "${users[0]}:" "$home_a" && chown "${users[1]}:" "$home_b" && chmod 700 "$home_a" "$home_b"
# A desktop session gives each user a private runtime folder; so does this test.
for i in 0 1; do
    install -d -m 700 -o "${users[$i]}" "$work/run-$i"
done
poko_start_x -ac || die "no X server"
# A sound server the user may play through, as on a desktop.
mkdir -p "$work/sound"
poko_start_sound "$work/sound" anyone || die "no sound server"
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | head -1 | sed 's/ *%[fFuUdDnNickvm]//g')
[ -n "$exec_line" ] || die "the desktop entry has no Exec"
# The desktop ties a running window to its entry on X11 by the window's class, the second
# string of WM_CLASS, which must be the entry's StartupWMClass.
startup_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
[ -n "$startup_class" ] || die "the desktop entry has no StartupWMClass"
window_tied_to_entry() {
    local class
    poko_find_window "$1" || die "no $1 window"
    class=$(xprop -id "$POKO_WIN" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
    [ "$class" = "$startup_class" ] ||
        die "the $1 window's X11 class is '$class', the desktop entry's StartupWMClass '$startup_class'"
}
settings_a=$home_a/.config/pokopenpan/設定.dat
settings_b=$home_b/conf/pokopenpan/設定.dat

# Starts the game as USER the way the desktop does: the Exec line, found on Debian's PATH
# for users (which holds /usr/games).
start_game() {
    local user=$1 home=$2 extra=$3 run=$work/run-$([ "$1" = "${users[0]}" ] && echo 0 || echo 1)
    # setpriv becomes the user and execs, so PID is the game's own process in the end.
    setpriv --reuid="$user" --regid="$user" --init-groups env -i HOME="$home" USER="$user" LANG=C.UTF-8 \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games XDG_RUNTIME_DIR="$run" $extra \
        DISPLAY="$DISPLAY" PULSE_SERVER="unix:$work/sound/pulse/native" sh -c "cd && exec $exec_line" \
        >"$work/game-$4.log" 2>&1 &
    POKO_PID=$!
    poko_wait_window メニュー 30 || die "no menu window as $user"
    local exe
    exe=$(readlink "/proc/$POKO_PID/exe")
    [ "$exe" = /usr/games/pokopenpan ] || die "the game runs from $exe, not from /usr/games/pokopenpan"
    [ "$(stat -c %U "/proc/$POKO_PID")" = "$user" ] || die "the game does not run as $user"
    window_tied_to_entry メニュー
    poko_to_game || die "no game screen"
    window_tied_to_entry ゲーム
    poko_open_settings || die "no settings screen"
    window_tied_to_entry 設定
}
# 設定完了, back to the game, おわり, and a normal end.
save_and_quit() {
    poko_click_on 設定 Command2 # 設定完了
    poko_wait_game || die "the save did not lead back to the game"
    poko_click_on ゲーム Command2 # おわり
    poko_wait_exit 10 || die "the game did not end after おわり"
    [ "$POKO_STATUS" -eq 0 ] || die "the game ended with status $POKO_STATUS"
}
# What a home holds but caches: the game's settings, nothing else of the game, and nothing
# anyone could execute.
# What the game left in a home. The sound system's client library makes its own cookie in
# the config folder's pulse/ on a first connection, as every sound program does.
home_listing() {
    (cd "$1" && find . -mindepth 1 ! -path './.cache*' ! -path './.config/pulse*' \
        ! -path './conf/pulse*' | sort | tr '\n' ' ')
}

# 4. First user, first start: the delivered 3,3,3,3; move every slider and save.
# Time 2, speed 4, size 1, count 5.
poko_log "first start as ${users[0]} (noexec home) from the desktop entry ($exec_line)"
start_game "${users[0]}" "$home_a" "" a1
poko_click_on 設定 'HScroll1<'                                # time, 3 → 2
poko_click_on 設定 'HScroll2>'                                # speed, 3 → 4
poko_click_on 設定 'HScroll3<' && poko_click_on 設定 'HScroll3<' # size, 3 → 1
poko_click_on 設定 'HScroll4>' && poko_click_on 設定 'HScroll4>' # count, 3 → 5
sleep 0.3
save_and_quit
cmp -s "$settings_a" <(printf '2,4,1,5\r\n') || die "the settings file of ${users[0]} holds $(od -An -c "$settings_a" 2>&1)"
[ "$(stat -c %U "$settings_a")" = "${users[0]}" ] || die "the saved settings do not belong to ${users[0]}"
poko_log "saved: $(od -An -c "$settings_a" | tr -s ' ')"

# 5. Second start: the sliders come back as saved, so saving unchanged writes the same line.
poko_log "second start as ${users[0]}"
start_game "${users[0]}" "$home_a" "" a2
save_and_quit
cmp -s "$settings_a" <(printf '2,4,1,5\r\n') ||
    die "after a restart the settings came back as $(od -An -c "$settings_a")"
poko_log "the saved values were back after a restart"

# 6. Second user: starts from the delivered settings, whatever the first one saved, and
# keeps its own. Time one step longer: 4,3,3,3.
poko_log "first start as ${users[1]} with XDG_CONFIG_HOME=$home_b/conf"
start_game "${users[1]}" "$home_b" "XDG_CONFIG_HOME=$home_b/conf" b1
poko_click_on 設定 'HScroll1>' # time, 3 → 4
sleep 0.3
save_and_quit
cmp -s "$settings_b" <(printf '4,3,3,3\r\n') ||
    die "the settings file of ${users[1]} holds $(od -An -c "$settings_b" 2>&1)"
cmp -s "$settings_a" <(printf '2,4,1,5\r\n') || die "the second user's save changed the first one's"
[ ! -e "$home_b/.config/pokopenpan" ] || die "XDG_CONFIG_HOME was not followed"
poko_log "each user kept their own settings"

# 7. Nothing but the settings was written: the installed files are as delivered, and the
# homes hold the settings, no program.
[ "$(shared_sum)" = "$shared_before" ] || die "the installed files changed"
[ "$(od -An -c "$shared/データ/設定.dat")" = "$delivered" ] || die "the installed 設定.dat changed"
listing=$(home_listing "$home_a")
[ "$listing" = "./.config ./.config/pokopenpan ./.config/pokopenpan/設定.dat " ] ||
    die "the first user's home holds more than the settings: $listing"
listing=$(home_listing "$home_b")
[ "$listing" = "./conf ./conf/pokopenpan ./conf/pokopenpan/設定.dat " ] ||
    die "the second user's home holds more than the settings: $listing"
[ -z "$(find "$home_a" "$home_b" -type f -perm /111)" ] || die "a home holds an executable file"
grep -h . "$work"/game-*.log && die "the game wrote on stderr or stdout"

# 8. Remove the package: nothing of it is left in /usr; the users' settings stay.
packaged=$(dpkg -L pokopenpan)
dpkg -r pokopenpan >"$work/dpkg-remove.log" 2>&1 || die "dpkg -r failed"
dpkg --purge pokopenpan >>"$work/dpkg-remove.log" 2>&1 || die "dpkg --purge failed"
installed=0
left=$(ours_in_usr)
[ -z "$left" ] || die "files remain in /usr after removing the package: $left"
while read -r path; do
    [ -f "$path" ] && die "$path remains after removing the package"
done <<<"$packaged"
[ -f "$settings_a" ] && [ -f "$settings_b" ] || die "removing the package removed a user's settings"
poko_log "passed"
