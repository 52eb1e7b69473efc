#!/usr/bin/env bash
# Runs a command of the project, ./test unless told otherwise, on a fresh minimal Debian
# of the given release, as a new player or a new CI machine would: debootstrap makes a
# minbase system from the mirror this machine's apt already uses, the committed project is
# cloned into it, and the command runs there as root with nothing installed by hand.
#
# The system lives in its own mount and process namespaces: /proc, /sys, /dev/pts and
# /dev/shm are mounted there alone, so they vanish with the last process, and every process
# started inside ends with the command. Nothing is bound from this machine's /dev, /proc or
# /sys, and the folder is removed afterwards whatever the outcome, never across a mount.
#
# usage: tests/harness/fresh-debian.sh RELEASE [COMMAND ARG...]     e.g. fresh-debian.sh trixie ./test
# POKO_CHROOT_KEEP=1 keeps the folder for a look (it is printed).
set -euo pipefail
release=${1:?usage: tests/harness/fresh-debian.sh RELEASE [COMMAND ARG...]}
shift
[ $# -gt 0 ] || set -- ./test
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/setup.sh"

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-debian.sh: making a Debian system and mounting inside it need root" >&2
    exit 1
fi
setup_install debootstrap git

# The mirror of this machine's own Debian, so the fresh one is made from the same source.
mirror=$(apt-cache policy | awk '$1 ~ /^[0-9]+$/ && $2 ~ /^(https?|file):/ &&
    $3 ~ /\/main$/ && $3 !~ /security/ { print $2; exit }')
[ -n "$mirror" ] || {
    echo "fresh-debian.sh: no Debian mirror found in apt's sources" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/var/tmp}/poko-$release.XXXXXX")
system=$work/system
inside=""
finish() {
    local status=$?
    # Killing the namespace's first process ends every process in it, and with them its
    # mounts; only then is the folder plain files again.
    if [ -n "$inside" ] && kill -0 "$inside" 2>/dev/null; then
        kill -KILL "$inside" 2>/dev/null
        wait "$inside" 2>/dev/null
    fi
    if [ "${POKO_CHROOT_KEEP:-0}" = 1 ]; then
        echo "fresh-debian.sh: kept $work"
    elif grep -qF " $work/" /proc/self/mountinfo; then
        echo "fresh-debian.sh: something is still mounted under $work; left in place" >&2
        status=1
    else
        rm -rf --one-file-system "$work"
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT TERM

started=$SECONDS
echo "fresh-debian.sh: making a minimal Debian $release in $system"
debootstrap --variant=minbase "$release" "$system" "$mirror" >"$work/debootstrap.log" 2>&1 || {
    tail -20 "$work/debootstrap.log" >&2
    echo "fresh-debian.sh: debootstrap failed" >&2
    exit 1
}
echo "fresh-debian.sh: system ready after $((SECONDS - started)) s"
cp /etc/resolv.conf "$system/etc/resolv.conf"
git clone --quiet --no-hardlinks "$root" "$system/root/pokopenpan"

# The namespace's own view: kernel file systems of its own, a private pty instance and
# shared memory, then the command in the chroot with a bare environment.
setup='
    set -e
    mount -t proc proc "$1/proc"
    mount -t sysfs -o ro sysfs "$1/sys"
    mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$1/dev/pts"
    rm -f "$1/dev/ptmx" && ln -s pts/ptmx "$1/dev/ptmx"
    mkdir -p "$1/dev/shm" && mount -t tmpfs -o mode=1777,nosuid,nodev shm "$1/dev/shm"
    exec chroot "$1" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd /root/pokopenpan && exec \"\$@\"" command "${@:2}"
'
echo "fresh-debian.sh: running $* in Debian $release"
unshare --mount --pid --fork --kill-child --propagation private -- \
    bash -c "$setup" setup "$system" "$@" </dev/null &
inside=$!
status=0
wait "$inside" || status=$?
inside=""
echo "fresh-debian.sh: $* in Debian $release ended with status $status after $((SECONDS - started)) s"
exit "$status"
