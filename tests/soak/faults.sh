#!/usr/bin/env bash
# Every data file can be missing or bad, and the game keeps working.
#
# The real program runs from a private copy of its folder under a private X server, with
# its data damaged, and is played through by clicks: menu → ゲーム → スタート → a full round
# → 判定 → もどる → 設定 → 設定完了 → おわり. At every step it must still be running; each
# damaged file must be named on stderr; at the end it must close normally.
#
# Faults: missing, empty, truncated (cut inside its header), cut in half, garbage under
# the right name, a folder in its place, unreadable (only when not root: root reads
# anything). The settings file also as a link to a zero device and as a 10 MB file; the
# data folder itself missing, empty, half-filled, a file in its place, unreadable.
#
# Special files: a named pipe, a socket, an endless device (a private urandom node as
# root, a link to /dev/urandom otherwise), a link to a pipe, to a socket and to a zero
# device, and a file past every size bound. Reading any of them could block or never end,
# which would freeze every window; the game must refuse each like a missing file. The
# settings file meets each of them; the sounds and pictures meet them in three more round
# runs, chosen so that every sound and every picture kind meets every special kind.
#
# The 13 sounds and pictures used in a round are covered with few rounds: in run k every
# one of them is damaged at once, file i with fault (i + k) mod (number of faults), so
# that across the runs every file meets every fault. Each run plays three rounds, to
# reach each rating (crow: no hits; jizo: hits everywhere; scarecrow: hits at some holes)
# and so load each rating's picture and sounds. Runs go in parallel on separate displays.
# The settings file and the folder faults need no round: load, save, leave.
#
# usage: faults.sh PATH/TO/pokopenpan   (POKO_SOAK_LANES: runs at once, default 3, or all;
#        POKO_SOAK_ONLY=rounds|special|settings|folder to run one part; special: only the
#        round runs with special files)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../harness/harness.sh"
POKO_NAME=faults
exe=$(readlink -f "${1:?usage: faults.sh PROGRAM}")
data_src=$(dirname "$exe")/データ
[ -x "$exe" ] && [ -d "$data_src" ] || { echo "no program or data folder at $exe" >&2; exit 1; }
lanes=${POKO_SOAK_LANES:-3}
only=${POKO_SOAK_ONLY:-}
work=$(mktemp -d /tmp/poko-faults.XXXXXX)
started=$(date +%s)
poko_on_exit 'chmod -R u+rwX "$work" 2>/dev/null; rm -rf "$work"'

if [ "$(id -u)" -eq 0 ]; then
    FAULTS=(missing empty truncated half garbage folder)
    poko_log "running as root: permission faults (unreadable file or folder) do not bite root, so those cases are skipped"
else
    FAULTS=(missing empty truncated half garbage folder unreadable)
fi
SPECIAL=(fifo socket endless fifolink socketlink devzero big)
# The runs of the special kinds: with these offsets the three pictures (files 10 to 12)
# meet all seven kinds, and the ten sounds meet all seven in each run.
SPECIAL_RUNS=(0 2 4)
ROUND_FILES=(音/pipi.wav 音/pipipi.wav 音/bgm.wav 音/o.wav 音/x.wav 音/karasu.wav 音/dame.wav
    音/kakasi.wav 音/jizou.wav 音/owari.wav 絵/からす.gif 絵/案山子.gif 絵/地蔵.gif)
GARBAGE_LINE='ごみ garbage 0123456789 !"#$%&()=~|'

# The levels of every fresh program folder: what a short round needs.
LEVELS=1,5,5,5

# Damages a file in place. A fault that leaves a readable file (cut in half) is one the
# loaders may accept: the game then plays or shows what is there.
apply_fault() {
    local path=$1 kind=$2 size
    case $kind in
    missing) rm -rf "$path" ;;
    empty) rm -rf "$path" && : >"$path" ;;
    truncated)
        # Cut inside the header: 40 bytes, or half of a file shorter than 80.
        size=$(stat -c %s "$path")
        [ "$size" -lt 80 ] && size=$((size / 2)) || size=40
        head -c "$size" "$path" >"$path.cut" && mv "$path.cut" "$path"
        ;;
    half)
        size=$(stat -c %s "$path")
        head -c $((size / 2)) "$path" >"$path.cut" && mv "$path.cut" "$path"
        ;;
    garbage) rm -rf "$path" && yes "$GARBAGE_LINE" | head -c 3000 >"$path" ;;
    folder) rm -rf "$path" && mkdir -p "$path/inside" ;;
    unreadable) chmod 000 "$path" ;;
    devzero)
        # Root could have a bad save replace the very device; a private node of the same
        # device (major 1, minor 5) keeps /dev/zero out of harm's way.
        rm -f "$path"
        if [ "$(id -u)" -eq 0 ]; then
            { [ -c "$(dirname "$path")/../zero" ] || mknod "$(dirname "$path")/../zero" c 1 5; } &&
                ln -s ../zero "$path"
        else
            ln -s /dev/zero "$path"
        fi
        ;;
    big) rm -f "$path" && head -c 10485760 /dev/zero | tr '\0' 'A' >"$path" ;;
    # Sparse, so it costs no disk: past the bound of every kind of data file (32 MiB).
    huge) rm -f "$path" && truncate -s 40M "$path" ;;
    fifo) rm -rf "$path" && mkfifo "$path" ;;
    socket) rm -rf "$path" && make_socket "$path" ;;
    endless)
        rm -rf "$path"
        if [ "$(id -u)" -eq 0 ]; then
            mknod "$path" c 1 9
        else
            ln -s /dev/urandom "$path"
        fi
        ;;
    fifolink) rm -rf "$path" && mkfifo "$path.pipe" && ln -s "$(basename "$path").pipe" "$path" ;;
    socketlink) rm -rf "$path" && make_socket "$path.sock" && ln -s "$(basename "$path").sock" "$path" ;;
    esac
}
# A socket file that stays after its maker has gone, as a crashed server leaves one.
make_socket() {
    perl -MIO::Socket::UNIX -e \
        'IO::Socket::UNIX->new(Type => SOCK_STREAM(), Local => $ARGV[0], Listen => 1) or die "$!\n"' "$1"
}
# What a special file in the settings file's place must still be after a save was refused.
still_special() {
    local path=$1 kind=$2
    case $kind in
    fifo) [ -p "$path" ] ;;
    socket) [ -S "$path" ] ;;
    endless) [ -c "$path" ] || [ -L "$path" ] ;;
    *) [ -L "$path" ] ;;
    esac
}
reported_fault() { [ "$1" != half ]; }

# Checks the program is alive after a step; stops the run if not.
alive_after() {
    poko_running || poko_fail_run "the program died after: $1"
}
# Runs a harness step, failing the run with the reason it gives. (Not in $(...): the step
# sets the window the clicks aim at.)
step() {
    "$@" 2>"$work/why.$BASHPID" || poko_fail_run "$(cat "$work/why.$BASHPID")"
}
menu_to_game() {
    step poko_to_game || return 1
    alive_after "menu → ゲーム"
}
# play_round N: a round at TimeLevel 1, clicking the first N holes of a shuffled order over
# and over (0: no clicks at all); ends on the results panel.
play_round() {
    local count=$1 begin now chosen=() hole
    poko_click_on ゲーム Command1 # スタート
    begin=$(date +%s%N)
    alive_after "スタート" || return 1
    mapfile -t chosen < <(for hole in $(shuf -e 0 1 2 3 4 5 6 7 8 | head -n "$count"); do
        poko_hole_xy "$hole"
    done)
    sleep 3.6
    while :; do
        now=$(date +%s%N)
        [ $(((now - begin) / 1000000)) -ge 33300 ] && break
        if [ "$count" -eq 0 ]; then
            sleep 0.5
            continue
        fi
        poko_sweep "${chosen[@]}"
    done
    # The round ends 30 s after play starts, about 3.5 s after スタート: its panel's 判定.
    step poko_wait_until "the results panel shows" 10 poko_panel_up || return 1
    alive_after "a full round" || return 1
}
shown_pictures() { grep -c "cannot show" "$POKO_LOG"; }
# Presses 判定 and tells which rating came up: crow, scarecrow or jizo (by the picture
# named on stderr, or by elimination when the picture on show could be read).
judge() {
    local before after line
    before=$(shown_pictures)
    poko_click_on ゲーム Command4 # 判定
    sleep 2 # the crow's second sound comes a second later
    alive_after "判定" || return 1
    after=$(shown_pictures)
    RATING=unknown
    if [ "$after" -gt "$before" ]; then
        line=$(grep "cannot show" "$POKO_LOG" | tail -1)
        case $line in
        *からす.gif*) RATING=crow ;;
        *案山子.gif*) RATING=scarecrow ;;
        *地蔵.gif*) RATING=jizo ;;
        esac
    else
        RATING=${READABLE_RATING:-unknown}
    fi
    poko_click_on ゲーム Command5 # もどる
    step poko_wait_until "the board buttons show again" 5 poko_button_shows ゲーム Command1 || return 1
    alive_after "もどる"
}
settings_and_leave() {
    local expect_saved=$1
    step poko_open_settings || return 1
    alive_after "ゲーム → 設定" || return 1
    poko_click_on 設定 Command2 # 設定完了
    if [ "$expect_saved" = saved ]; then
        step poko_wait_game || return 1
    else
        sleep 1.5
        alive_after "設定完了 (a save that cannot succeed)" || return 1
        poko_find_window 設定 || {
            poko_fail_run "after a failed save the settings screen is gone"
            return 1
        }
        poko_click_on 設定 Command1 # 設定中止
        step poko_wait_game || return 1
    fi
    alive_after "設定完了" || return 1
    poko_click_on ゲーム Command2 # おわり
    if ! poko_wait_exit 10; then
        poko_fail_run "the program did not end after おわり"
        return 1
    fi
    [ "$POKO_STATUS" -eq 0 ] || poko_fail_run "the program ended with status $POKO_STATUS after おわり"
}
# mentions NAME MIN MAX: stderr names the file between MIN and MAX times.
mentions() {
    local n
    n=$(grep -cF -- "$1" "$POKO_LOG")
    if [ "$n" -lt "$2" ] || [ "$n" -gt "$3" ]; then
        poko_fail_run "stderr names $1 $n times, expected $2 to $3 (fault: $4)"
    fi
}

# Run k of the sound and picture faults, in its own X server, with the faults of the named
# set (FAULTS or SPECIAL).
round_faults_run() {
    local k=$1 set=$2 i kind rating tries count
    local -n kinds=$set
    local n=${#kinds[@]} dir=$work/round-$set-$k
    POKO_RUN_NAME="round faults $set #$k"
    POKO_FAILED=0
    POKO_RESULT=$work/result-round-$set-$k
    : >"$POKO_RESULT"
    poko_start_x || {
        poko_fail_run "no X server"
        return
    }
    poko_prepare_program "$exe" "$dir" "$LEVELS"
    declare -A fault_of
    READABLE_RATING=""
    local plan=""
    for i in "${!ROUND_FILES[@]}"; do
        kind=${kinds[$(((i + k) % n))]}
        [ "$kind" = big ] && kind=huge # 10 MB is within a sound's bound
        fault_of[${ROUND_FILES[$i]}]=$kind
        apply_fault "$dir/データ/${ROUND_FILES[$i]}" "$kind"
        plan+=" $(basename "${ROUND_FILES[$i]}")=$kind"
        if ! reported_fault "$kind"; then
            case ${ROUND_FILES[$i]} in
            */からす.gif) READABLE_RATING=crow ;;
            */案山子.gif) READABLE_RATING=scarecrow ;;
            */地蔵.gif) READABLE_RATING=jizo ;;
            esac
        fi
    done
    poko_log "$POKO_RUN_NAME:$plan"
    poko_launch "$dir"
    local seen=""
    if menu_to_game; then
        # crow: no clicks; jizo: every hole; scarecrow: some holes, more or fewer by the
        # outcome. At most seven rounds: under load one count of holes can give a crow in
        # one round and a jizo in the next.
        local scarecrow_holes=4 rounds
        for rounds in 1 2 3 4 5 6 7; do
            rating=""
            for tries in crow jizo scarecrow; do
                [[ $seen == *" $tries"* ]] || {
                    rating=$tries
                    break
                }
            done
            [ -n "$rating" ] || break
            case $rating in crow) count=0 ;; jizo) count=9 ;; scarecrow) count=$scarecrow_holes ;; esac
            play_round "$count" || break
            judge || break
            poko_log "$POKO_RUN_NAME: round clicking $count holes: $RATING"
            seen+=" $RATING"
            if [ "$rating" = scarecrow ]; then
                case $RATING in crow) scarecrow_holes=$((count + 2)) ;; jizo) scarecrow_holes=$((count - 1)) ;; esac
            fi
        done
        for rating in crow jizo scarecrow; do
            [[ $seen == *" $rating"* ]] || poko_fail_run "no round reached the $rating rating (seen:$seen)"
        done
        [ "$POKO_FAILED" -eq 0 ] && settings_and_leave saved
    fi
    if [ "$POKO_FAILED" -eq 0 ]; then
        local file
        for file in "${ROUND_FILES[@]}"; do
            kind=${fault_of[$file]}
            reported_fault "$kind" || continue
            case $file in
            *.wav) mentions "/$file" 1 1 "$kind" ;; # reported once, not per play
            *.gif) mentions "/$file" 1 3 "$kind" ;; # once per 判定 showing it
            esac
        done
        # The settings file was fine: nothing may be said about it; and the sound was on.
        mentions 設定.dat 0 0 "none"
        mentions "no sound" 0 0 "none"
    fi
    poko_stop_all
    [ "$POKO_FAILED" -eq 0 ] && echo "PASS $POKO_RUN_NAME:$plan" >>"$POKO_RESULT"
}

# The settings file with one fault: load, save, leave.
settings_fault_run() {
    local kind=$1 dir=$work/settings-$1 expect=saved
    POKO_RUN_NAME="settings file $kind"
    POKO_FAILED=0
    POKO_RESULT=$work/result-settings-$kind
    : >"$POKO_RESULT"
    poko_prepare_program "$exe" "$dir" "$LEVELS"
    apply_fault "$dir/データ/設定.dat" "$kind"
    # Only a regular file is replaced by a save: never a folder, a pipe, a socket, a device.
    case $kind in folder | devzero | fifo | socket | endless | fifolink | socketlink) expect=unsaved ;; esac
    poko_launch "$dir"
    if menu_to_game; then
        settings_and_leave "$expect"
    fi
    if [ "$POKO_FAILED" -eq 0 ]; then
        # Named when the game screen loads, again when the settings screen does, and
        # again when the game screen comes back after a save.
        mentions 設定.dat 1 6 "$kind"
        if [ "$expect" = saved ]; then
            local bytes
            bytes=$(od -An -c "$dir/データ/設定.dat" | tr -s ' ')
            [ -f "$dir/データ/設定.dat" ] && [ ! -L "$dir/データ/設定.dat" ] &&
                [ "$(stat -c %s "$dir/データ/設定.dat")" -eq 9 ] ||
                poko_fail_run "after saving, 設定.dat is not one 9-byte line: $bytes"
        elif [ "$kind" = folder ]; then
            [ -d "$dir/データ/設定.dat/inside" ] || poko_fail_run "the folder in the settings file's place changed"
        else
            still_special "$dir/データ/設定.dat" "$kind" || poko_fail_run "the $kind in the settings file's place was replaced"
        fi
        [ "$kind" != devzero ] || [ "$(id -u)" -ne 0 ] || [ -c "$dir/zero" ] ||
            poko_fail_run "the device the settings file linked to was replaced"
    fi
    poko_end_program
    [ "$POKO_FAILED" -eq 0 ] && echo "PASS $POKO_RUN_NAME" >>"$POKO_RESULT"
}

# The data folder itself with one fault.
folder_fault_run() {
    local kind=$1 dir=$work/folder-$1 data expect=unsaved
    POKO_RUN_NAME="data folder $kind"
    POKO_FAILED=0
    POKO_RESULT=$work/result-folder-$kind
    : >"$POKO_RESULT"
    poko_prepare_program "$exe" "$dir" "$LEVELS"
    data=$dir/データ
    case $kind in
    missing) rm -rf "$data" ;;
    empty) rm -rf "$data" && mkdir "$data" && expect=saved ;;
    half) rm -rf "$data/絵" "$data/音/bgm.wav" "$data/音/o.wav" "$data/音/karasu.wav" && expect=saved ;;
    garbage) rm -rf "$data" && yes "$GARBAGE_LINE" | head -c 3000 >"$data" ;;
    unreadable) chmod 000 "$data" ;;
    esac
    poko_launch "$dir"
    if menu_to_game; then
        if [ "$kind" = half ]; then
            # Its settings are intact: a whole round with pictures and some sounds gone.
            play_round 0 && judge
        fi
        [ "$POKO_FAILED" -eq 0 ] && settings_and_leave "$expect"
    fi
    if [ "$POKO_FAILED" -eq 0 ]; then
        case $kind in
        half)
            mentions /音/bgm.wav 1 1 "$kind"
            mentions /音/o.wav 1 1 "$kind"
            mentions /絵/からす.gif 1 1 "$kind"
            mentions 設定.dat 0 0 "none"
            ;;
        *) mentions データ 1 100 "$kind" ;;
        esac
        [ "$kind" != garbage ] || [ -f "$data" ] || poko_fail_run "the file in the data folder's place changed"
    fi
    poko_end_program
    [ "$POKO_FAILED" -eq 0 ] && echo "PASS $POKO_RUN_NAME" >>"$POKO_RESULT"
}

# The quick runs: one X server for the settings file's faults, one for the folder's.
settings_runs() {
    poko_start_x || {
        echo "FAIL no X server" >"$work/result-settings"
        return
    }
    local kind
    for kind in "${FAULTS[@]}" "${SPECIAL[@]}"; do
        settings_fault_run "$kind"
    done
    poko_stop_all
}
folder_runs() {
    poko_start_x || {
        echo "FAIL no X server" >"$work/result-folder"
        return
    }
    local kind folder_faults=(missing empty half garbage)
    [ "$(id -u)" -ne 0 ] && folder_faults+=(unreadable)
    for kind in "${folder_faults[@]}"; do
        folder_fault_run "$kind"
    done
    poko_stop_all
}

jobs_running() { jobs -rp | wc -l; }
if [ -z "$only" ] || [ "$only" = settings ]; then
    (settings_runs >"$work/log-settings" 2>&1) &
fi
if [ -z "$only" ] || [ "$only" = folder ]; then
    (folder_runs >"$work/log-folder" 2>&1) &
fi
if [ -z "$only" ] || [ "$only" = rounds ] || [ "$only" = special ]; then
    runs=("${SPECIAL_RUNS[@]/#/special:}")
    [ "$only" = special ] || runs=("${!FAULTS[@]}" "${runs[@]}")
    for run in "${runs[@]}"; do
        while [ "$lanes" != all ] && [ "$(jobs_running)" -ge "$lanes" ]; do sleep 1; done
        set_name=FAULTS
        [[ $run == special:* ]] && set_name=SPECIAL
        (round_faults_run "${run#special:}" "$set_name" >"$work/log-round-$run" 2>&1) &
    done
fi
wait
cat "$work"/log-* | grep -v '^$'
echo "---"
# The program's own words from every run that failed.
for result in "$work"/result-*; do
    grep -q '^FAIL' "$result" 2>/dev/null || continue
    run=${result#"$work"/result-}
    [ -f "$work/$run/program.log" ] && sed "s/^/[$run program] /" "$work/$run/program.log"
done
cat "$work"/result-* 2>/dev/null
passed=$(cat "$work"/result-* 2>/dev/null | grep -c '^PASS')
failed=$(cat "$work"/result-* 2>/dev/null | grep -c '^FAIL')
echo "faults.sh: $passed runs passed, $failed failures, in $(($(date +%s) - started)) s"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
