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
POKO_NAME=saving
exe=$(readlink -f "${1:?usage: saving.sh PROGRAM}")
work=$(mktemp -d /tmp/poko-saving.XXXXXX)
MOUNTS=()
passes=0
skips=0
unmount_all() {
    local m
    for m in "${MOUNTS[@]}"; do umount "$m" 2>/dev/null; done
    chmod -R u+rwX "$work" 2>/dev/null
    rm -rf "$work"
}
poko_on_exit unmount_all
OLD=$'2,4,1,5\r\n'
root=0
[ "$(id -u)" -eq 0 ] && root=1

# A program folder whose data folder may live on a file system of its own: the sounds and
# pictures are links into the build's data folder, so a tiny disk holds only the settings.
prepare() {
    CASE=$1
    DIR=$work/$1
    DATA=$DIR/データ
    POKO_RUN_NAME=$1
    poko_prepare_program "$exe" "$DIR" && rm -rf "$DATA" && mkdir -p "$DATA"
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
        poko_fail_run "the old settings file is gone"
        return 1
    }
    cmp -s "$DATA/設定.dat" <(printf '%s' "$OLD") || {
        poko_fail_run "the old settings file changed: $(od -An -c "$DATA/設定.dat" | tr -s ' ')"
        return 1
    }
}

# Menu → ゲーム → 設定, one slider moved, ready to save.
to_settings() {
    poko_launch "$DIR"
    poko_to_game || poko_fail_run "no game screen" || return 1
    poko_open_settings || poko_fail_run "no settings screen" || return 1
    poko_click_on 設定 'HScroll1>' # the time slider's right arrow: 2 → 3
    sleep 0.3
    poko_running || poko_fail_run "the program died after moving a slider"
}
# 設定完了 on a save that must fail: still on the settings screen, with a message.
save_must_fail() {
    local before
    before=$(grep -c "保存できませんでした" "$POKO_LOG")
    poko_click_on 設定 Command2 # 設定完了
    sleep 1.5
    poko_running || poko_fail_run "the program died after 設定完了 ($1)" || return 1
    poko_find_window 設定 || poko_fail_run "the settings screen closed as if the save had worked; the file now holds: $(od -An -c "$DATA/設定.dat" 2>&1 | tr -s ' ')" || return 1
    [ "$(grep -c "保存できませんでした" "$POKO_LOG")" -gt "$before" ] ||
        poko_fail_run "no message that the settings were not saved" || return 1
    grep "保存できませんでした" "$POKO_LOG" | tail -1 | grep -q "データ" ||
        poko_fail_run "the message does not name the data folder or file" || return 1
    # In a subshell, so that later clicks still aim at the settings screen.
    (poko_find_window ぽこぺんぱん) || poko_fail_run "no message box on the screen" || return 1
}
# 設定中止 → ゲーム → おわり, and a normal end.
leave() {
    poko_click_on 設定 Command1 # 設定中止
    poko_wait_game || poko_fail_run "設定中止 did not lead back to the game" || return 1
    poko_click_on ゲーム Command2 # おわり
    poko_wait_exit 10 || {
        poko_fail_run "the program did not end after おわり"
        return 1
    }
    [ "$POKO_STATUS" -eq 0 ] || poko_fail_run "the program ended with status $POKO_STATUS" || return 1
}
pass() {
    poko_log "$CASE: passed"
    passes=$((passes + 1))
}
skip() {
    poko_log "$CASE: skipped: $*"
    skips=$((skips + 1))
}

poko_start_x || poko_fail "no X server"

# 1. A data folder that cannot be written.
prepare read-only-folder
populate
if [ "$root" -eq 1 ]; then
    # Permissions do not stop root: a read-only file system does.
    rm -f "$DATA"/* && mount_small && populate && mount -o remount,ro "$DATA" &&
        poko_log "$CASE: as root, the data folder is a read-only tmpfs (folder permissions do not stop root)"
else
    chmod 555 "$DATA"
fi
if to_settings && save_must_fail "read-only folder" && old_file_intact; then
    if [ "$(ls -A "$DATA" | sort)" != "$(printf '%s\n' 設定.dat 絵 音 | sort)" ]; then
        poko_fail_run "something new in the folder: $(ls -A "$DATA" | tr '\n' ' ')"
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
        poko_click_on 設定 Command2 # 設定完了, again
        if poko_wait_window ゲーム 10 2>/dev/null; then
            if cmp -s "$DATA/設定.dat" <(printf '3,4,1,5\r\n'); then
                leave && pass
            else
                poko_fail_run "after room was made the saved file is $(od -An -c "$DATA/設定.dat")"
            fi
        else
            poko_fail_run "with room on the disk again, the save still did not go through"
        fi
    fi
else
    poko_fail_run "could not mount a small tmpfs"
fi

# 3. The data folder removed while the settings screen is open.
prepare folder-removed
populate
if to_settings; then
    rm -rf "$DATA"
    if save_must_fail "data folder removed"; then
        if [ -e "$DATA" ]; then
            poko_fail_run "the save created $(find "$DATA" | tr '\n' ' ')"
        else
            leave && pass
        fi
    fi
fi

echo "saving.sh: $passes passed, $POKO_FAILURES failed, $skips skipped"
[ "$POKO_FAILURES" -eq 0 ]
