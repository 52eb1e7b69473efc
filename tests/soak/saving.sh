#!/usr/bin/env bash
# Saving never loses the old settings. Through the real settings screen, a save is tried
# where it cannot succeed: a read-only data folder, a full disk, the data folder removed
# while the settings screen is open. Each time the game must stay alive on its settings
# screen with a message, the old file must be intact byte for byte (where it still
# exists), and nothing may be created in its stead.
#
# A read-only folder does not stop root, so as root the folder is a read-only tmpfs
# instead; the full disk is a 64 KiB tmpfs and needs root (skipped otherwise).
#
# usage: saving.sh PATH/TO/pokopenpan
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness/harness.sh"
HARNESS_NAME=saving
exe=$(readlink -f "${1:?usage: saving.sh PROGRAM}")
work=$(mktemp -d /tmp/poko-saving.XXXXXX)
PID=""
MOUNTS=()
failures=0
passes=0
skips=0
finish() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    local m
    for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null; done
    harness_cleanup
    chmod -R u+rwX "$work" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT
OLD=$'2,4,1,5\r\n'
root=0
[ "$(id -u)" -eq 0 ] && root=1

fail() {
    harness_log "$CASE: FAIL: $*"
    [ -f "$DIR/stderr.log" ] && sed "s/^/[$CASE stderr] /" "$DIR/stderr.log"
    failures=$((failures + 1))
    [ -n "$PID" ] && kill "$PID" 2>/dev/null
    PID=""
    return 1
}
alive() { harness_alive "$PID" || fail "the program died after: $1"; }

# A program folder whose data folder may live on a file system of its own: the sounds and
# pictures are links into the build's data folder, so a tiny disk holds only the settings.
prepare() {
    CASE=$1
    DIR=$work/$1
    DATA=$DIR/データ
    harness_prepare_program "$exe" "$DIR" && mkdir -p "$DATA"
}
populate() {
    local source
    source=$(dirname "$exe")/データ
    ln -s "$source/音" "$DATA/音"
    ln -s "$source/絵" "$DATA/絵"
    printf '%s' "$OLD" >"$DATA/設定.dat"
}
mount_small() {
    mount -t tmpfs -o size=64k tmpfs "$DATA" || return 1
    MOUNTS+=("$DATA")
}
old_file_intact() {
    [ -f "$DATA/設定.dat" ] || {
        fail "the old settings file is gone"
        return 1
    }
    cmp -s "$DATA/設定.dat" <(printf '%s' "$OLD") || {
        fail "the old settings file changed: $(od -An -c "$DATA/設定.dat" | tr -s ' ')"
        return 1
    }
}

# Menu → ゲーム → 設定, one slider moved, ready to save.
to_settings() {
    harness_launch "$DIR"
    PID=$HARNESS_PID
    harness_menu_to_game "$PID" || fail "no game screen" || return 1
    harness_game_to_settings "$PID" || fail "no settings screen" || return 1
    harness_click 223 57 # the time slider's right arrow: 2 → 3
    sleep 0.3
    alive "moving a slider"
}
# 設定完了 on a save that must fail: still on the settings screen, with a message.
save_must_fail() {
    local before
    before=$(grep -c "保存できませんでした" "$DIR/stderr.log")
    harness_button 162 338 89 27 # 設定完了
    sleep 1.5
    alive "設定完了 ($1)" || return 1
    harness_find_window 設定 || fail "the settings screen closed as if the save had worked; the file now holds: $(od -An -c "$DATA/設定.dat" 2>&1 | tr -s ' ')" || return 1
    [ "$(grep -c "保存できませんでした" "$DIR/stderr.log")" -gt "$before" ] ||
        fail "no message that the settings were not saved" || return 1
    grep "保存できませんでした" "$DIR/stderr.log" | tail -1 | grep -q "データ" ||
        fail "the message does not name the data folder or file" || return 1
    # In a subshell, so that later clicks still aim at the settings screen.
    (harness_find_window ぽこぺんぱん) || fail "no message box on the screen" || return 1
}
# 設定中止 → ゲーム → おわり, and a normal end.
leave() {
    harness_button 48 338 89 27 # 設定中止
    harness_wait_window ゲーム 15 "$PID" || fail "設定中止 did not lead back to the game" || return 1
    sleep 0.5
    harness_button 410 13 89 27 # おわり
    harness_wait_exit "$PID" 10 || {
        fail "the program did not end after おわり"
        return 1
    }
    PID=""
    [ "$HARNESS_EXIT_STATUS" -eq 0 ] || fail "the program ended with status $HARNESS_EXIT_STATUS" || return 1
}
pass() {
    harness_log "$CASE: passed"
    passes=$((passes + 1))
}
skip() {
    harness_log "$CASE: skipped: $*"
    skips=$((skips + 1))
}

harness_start_x || {
    echo "no X server" >&2
    exit 1
}

# 1. A data folder that cannot be written.
prepare read-only-folder
populate
if [ "$root" -eq 1 ]; then
    # Permissions do not stop root: a read-only file system does.
    rm -f "$DATA"/* && mount_small && populate && mount -o remount,ro "$DATA" &&
        harness_log "$CASE: as root, the data folder is a read-only tmpfs (folder permissions do not stop root)"
else
    chmod 555 "$DATA"
fi
if to_settings && save_must_fail "read-only folder" && old_file_intact; then
    if [ "$(ls -A "$DATA" | sort)" != "$(printf '%s\n' 設定.dat 絵 音 | sort)" ]; then
        fail "something new in the folder: $(ls -A "$DATA" | tr '\n' ' ')"
    else
        leave && pass
    fi
fi

# 2. A full disk: the save fails, the old file stays; with room again, the save works.
prepare full-disk
if [ "$root" -eq 0 ]; then
    skip "mounting a small tmpfs needs root"
elif mount_small && populate; then
    dd if=/dev/zero of="$DATA/filler" bs=4k >/dev/null 2>&1
    if to_settings && save_must_fail "full disk" && old_file_intact; then
        rm -f "$DATA/filler"
        harness_button 162 338 89 27 # 設定完了, again
        if harness_wait_window ゲーム 10 "$PID" 2>/dev/null; then
            if cmp -s "$DATA/設定.dat" <(printf '3,4,1,5\r\n'); then
                leave && pass
            else
                fail "after room was made the saved file is $(od -An -c "$DATA/設定.dat")"
            fi
        else
            fail "with room on the disk again, the save still did not go through"
        fi
    fi
else
    fail "could not mount a small tmpfs"
fi

# 3. The data folder removed while the settings screen is open.
prepare folder-removed
populate
if to_settings; then
    rm -rf "$DATA"
    if save_must_fail "data folder removed"; then
        if [ -e "$DATA" ]; then
            fail "the save created $(find "$DATA" | tr '\n' ' ')"
        else
            leave && pass
        fi
    fi
fi

echo "saving.sh: $passes passed, $failures failed, $skips skipped"
[ "$failures" -eq 0 ]
