#!/usr/bin/env bash
# The Debian package, end to end, as on a player's machine: build it with cpack, check its
# dependencies against what the program links, install it, and let an ordinary user start
# the game from its desktop entry under a private X server, save settings through the real
# settings screen, start again and find them back; the installed files stay untouched.
# Finally the package is removed. Needs root (to install packages and create a user):
# skipped otherwise.
#
# usage: deb.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: deb.sh BUILD_DIR}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../../tests/soak/lib.sh"
SK_NAME=deb
if [ "$(id -u)" -ne 0 ]; then
    echo "skipped: installing the package and creating a user need root"
    exit 77
fi
for tool in dpkg-deb dpkg cpack useradd userdel setpriv Xvfb xdotool; do
    command -v "$tool" >/dev/null || {
        echo "FAIL: $tool is needed" >&2
        exit 1
    }
done
if dpkg-query -W -f='${Status}' pokopenpan 2>/dev/null | grep -q "install ok installed"; then
    echo "FAIL: a pokopenpan package is already installed here; this test would replace it" >&2
    exit 1
fi

work=$(mktemp -d /tmp/poko-deb.XXXXXX)
chmod 755 "$work"
user=pokotest$$
PID=""
installed=0
finish() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    sk_cleanup
    [ "$installed" -eq 1 ] && dpkg -r pokopenpan >/dev/null 2>&1
    id "$user" >/dev/null 2>&1 && userdel -r "$user" >/dev/null 2>&1
    rm -rf "$work"
}
trap finish EXIT
die() {
    sk_log "FAIL: $*"
    [ -n "${DISPLAY:-}" ] && xwininfo -root -tree 2>&1 | grep -E '^ +0x' | sed 's/^ */[windows] /'
    [ -n "$PID" ] && ps -o pid,user,stat,args --ppid "$PID" -p "$PID" 2>/dev/null | sed 's/^/[process] /'
    for log in "$work"/*.log; do
        [ -f "$log" ] && sed "s/^/[$(basename "$log")] /" "$log" | tail -20
    done
    exit 1
}

# 1. The package and its dependencies.
(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) || die "cpack failed"
deb=$(ls "$work"/packages/*.deb 2>/dev/null | head -1)
[ -f "$deb" ] || die "cpack made no .deb"
sk_log "built $(basename "$deb") ($(stat -c %s "$deb") bytes)"
depends=$(dpkg-deb -f "$deb" Depends)
has_dependency() { tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qx "$1"; }
# Every library the program links comes from a package the .deb depends on.
mkdir "$work/contents"
dpkg-deb -x "$deb" "$work/contents"
program=$work/contents/usr/lib/pokopenpan/pokopenpan
[ -x "$program" ] || die "the package has no usr/lib/pokopenpan/pokopenpan"
for library in $(readelf -d "$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    path=$(ldconfig -p | awk -v lib="$library" '$1 == lib && /x86-64/ {print $NF; exit}')
    [ -n "$path" ] || die "$library is not on this system"
    package=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -1 | cut -d: -f1)
    [ -n "$package" ] || package=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1)
    has_dependency "$package" || die "the program links $library from $package, which Depends lacks: $depends"
done
for package in libqt6widgets6 libqt6svg6 libpulse0 fonts-ipafont-mincho fonts-ipafont-gothic qt6-qpa-plugins; do
    has_dependency "$package" || die "Depends lacks $package: $depends"
done
sk_log "Depends covers every linked library and the fonts: $depends"

# 2. Install it.
dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || die "dpkg -i failed"
installed=1
shared=/usr/lib/pokopenpan
desktop=/usr/share/applications/org.pokopenpan.Pokopenpan.desktop
[ -f "$desktop" ] || die "no desktop entry at $desktop"
[ -f /usr/share/icons/hicolor/48x48/apps/pokopenpan.png ] || die "no icon in the hicolor theme"
[ -x /usr/bin/pokopenpan ] || die "no launcher at /usr/bin/pokopenpan"
shared_sum() { (cd "$shared" && find . -exec stat -c '%n %s %Y %a %U' {} + | sort && find . -type f -exec md5sum {} + | sort); }
shared_before=$(shared_sum)
delivered=$(od -An -c "$shared/データ/設定.dat")
sk_log "installed; the delivered settings are: $delivered"

# 3. An ordinary user and a display that user may use.
useradd -m -d "$work/home" -s /bin/sh "$user" || die "useradd failed"
sk_start_x -ac || die "no X server"
# A sound server the user may play through, as on a desktop.
mkdir -p "$work/sound"
sk_start_sound "$work/sound" anyone || die "no sound server"
exec_line=$(sed -n 's/^Exec=//p' "$desktop" | head -1 | sed 's/ *%[fFuUdDnNickvm]//g')
[ -n "$exec_line" ] || die "the desktop entry has no Exec"
mine=$work/home/.local/share/pokopenpan

# Starts the game as the user, the way the desktop does: the Exec line, found on PATH.
start_game() {
    # setpriv becomes the user and execs, so PID is the game's own process in the end.
    setpriv --reuid="$user" --regid="$user" --init-groups env -i HOME="$work/home" USER="$user" LANG=C.UTF-8 PATH=/usr/local/bin:/usr/bin:/bin \
        DISPLAY="$DISPLAY" PULSE_SERVER="unix:$work/sound/pulse/native" sh -c "cd && exec $exec_line" \
        >"$work/game-$1.log" 2>&1 &
    PID=$!
    sk_wait_window メニュー 30 "$PID" || die "no menu window as $user"
    local exe
    exe=$(readlink "/proc/$PID/exe")
    [ "$exe" = "$mine/pokopenpan" ] || die "the game runs from $exe, not from $mine/pokopenpan"
    [ "$(stat -c %U "/proc/$PID")" = "$user" ] || die "the game does not run as $user"
    sk_menu_to_game "$PID" || die "no game screen"
    sk_game_to_settings "$PID" || die "no settings screen"
}
# 設定完了, back to the game, おわり, and a normal end.
save_and_quit() {
    sk_button 162 338 89 27 # 設定完了
    sk_wait_window ゲーム 15 "$PID" || die "the save did not lead back to the game"
    sleep 0.5
    sk_button 410 13 89 27 # おわり
    sk_wait_exit "$PID" 10 || die "the game did not end after おわり"
    [ "$SK_EXIT_STATUS" -eq 0 ] || die "the game ended with status $SK_EXIT_STATUS"
    PID=""
}

# 4. First start: move every slider and save. From 3,3,3,3: time 2, speed 4, size 1, count 5.
sk_log "first start as $user from the desktop entry ($exec_line)"
start_game first
sk_click 76 57                                 # time: left arrow, 3 → 2
sk_click 223 135                               # speed: right arrow, 3 → 4
sk_click 76 213 && sk_click 76 213             # size: left arrow twice, 3 → 1
sk_click 223 291 && sk_click 223 291           # count: right arrow twice, 3 → 5
sleep 0.3
save_and_quit
saved=$mine/データ/設定.dat
cmp -s "$saved" <(printf '2,4,1,5\r\n') || die "the user's settings file holds $(od -An -c "$saved")"
[ "$(stat -c %U "$saved")" = "$user" ] || die "the saved settings do not belong to $user"
sk_log "saved: $(od -An -c "$saved" | tr -s ' ')"

# 5. Second start: the sliders come back as saved, so saving unchanged writes the same line.
sk_log "second start"
start_game second
save_and_quit
cmp -s "$saved" <(printf '2,4,1,5\r\n') ||
    die "after a restart the settings came back as $(od -An -c "$saved")"
sk_log "the saved values were back after a restart"

# 6. Nothing but the settings file was written: the installed files are as delivered, and
# the user's folder holds the copy, the two links and the settings.
[ "$(shared_sum)" = "$shared_before" ] || die "the installed files changed"
[ "$(od -An -c "$shared/データ/設定.dat")" = "$delivered" ] || die "the installed 設定.dat changed"
listing=$(cd "$mine" && find . | sort | tr '\n' ' ')
[ "$listing" = ". ./pokopenpan ./データ ./データ/絵 ./データ/設定.dat ./データ/音 " ] ||
    die "the user's program folder holds more than expected: $listing"
[ -L "$mine/データ/音" ] && [ -L "$mine/データ/絵" ] || die "sounds and pictures are not shared"
[ ! -L "$mine/pokopenpan" ] || die "the user's program is a link"
grep -h "pokopenpan:" "$work"/game-*.log && die "the game reported problems"

# 7. Remove the package: its files go, the user's own settings stay.
dpkg -r pokopenpan >"$work/dpkg-remove.log" 2>&1 || die "dpkg -r failed"
installed=0
[ ! -e "$shared" ] && [ ! -e /usr/bin/pokopenpan ] && [ ! -e "$desktop" ] ||
    die "files remain after removing the package"
[ -f "$saved" ] || die "removing the package removed the user's settings"
sk_log "passed"
