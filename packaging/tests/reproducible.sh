#!/usr/bin/env bash
# The packages build the same twice, as Debian expects of every package it rebuilds: the
# .deb and the .tar.gz of BUILD_DIR are packed, then the same sources are copied into a
# folder of another path and length, configured, built and packed again, minutes later and
# under another umask; both packages must be the same bytes. When they are not, says which
# package, the first differing byte and every member that differs, and keeps both builds.
#
# BUILD_DIR is a build made from nothing (./test's in a fresh clone, as in CI): a build
# folder that has lived through changes of the build's own settings may keep outputs that
# a new build would make otherwise.
#
# usage: reproducible.sh BUILD_DIR
set -uo pipefail
build=$(readlink -f "${1:?usage: reproducible.sh BUILD_DIR}")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
source "$source_dir/tests/harness/harness.sh"
POKO_NAME=reproducible
work=$(mktemp -d /tmp/poko-reproducible.XXXXXX)
keep=0
poko_on_exit '[ "$keep" = 1 ] && echo "both builds are kept in $work" >&2 || rm -rf "$work"'
started=$SECONDS

# The first build is the one given; its packages, as they come out of it.
(cd "$build" && cpack -B "$work/first" >"$work/first.log" 2>&1) || {
    cat "$work/first.log" >&2
    poko_fail "cpack failed in $build"
}
# Both builds are of the same commit, so they take its time; a copy has no history to read
# it from.
epoch=$(sed -n 's/^set(CPACK_POKO_SOURCE_DATE_EPOCH "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$epoch" ] || poko_fail "$build/CPackConfig.cmake names no SOURCE_DATE_EPOCH"

# The second: the same files, tracked or new, in another folder.
copy=$work/another/folder/of/a/longer/path/pokopenpan
mkdir -p "$copy"
(cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
    while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
    tar --null -T - -cf -) | tar -xf - -C "$copy" || poko_fail "could not copy the sources"
(
    umask 002
    SOURCE_DATE_EPOCH=$epoch cmake -S "$copy" -B "$copy/../build" -DBUILD_TESTING=OFF \
        -DCMAKE_BUILD_TYPE="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")" &&
        cmake --build "$copy/../build" -j"$(nproc)" &&
        cd "$copy/../build" && cpack -B "$work/second"
) >"$work/second.log" 2>&1 || {
    tail -30 "$work/second.log" >&2
    poko_fail "the second build failed"
}
poko_log "the second build and its packages took $((SECONDS - started)) s"

# Lists every member of a package (recursing into a .deb's two archives) with its size,
# mode, owner, time and checksum, one line each.
members() {
    case $1 in
    *.deb)
        local unpacked=$work/members-$2
        mkdir -p "$unpacked" && (cd "$unpacked" && ar x "$1")
        (cd "$unpacked" && for part in *; do
            echo "$part $(sha256sum <"$part" | cut -c1-16)"
            case $part in
            *.tar.*) tar -tvf "$part" --full-time | sed "s|^|$part: |" ;;
            esac
        done)
        ar tv "$1" | sed 's/^/ar: /'
        for part in "$unpacked"/*.tar.*; do
            mkdir -p "$part.d" && tar -xf "$part" -C "$part.d" &&
                (cd "$part.d" && find . -type f -exec sha256sum {} + | sort -k2 |
                    sed "s|^|$(basename "$part") content: |")
        done
        ;;
    *.tar.gz)
        tar -tvzf "$1" --full-time
        mkdir -p "$work/members-$2" && tar -xzf "$1" -C "$work/members-$2" &&
            (cd "$work/members-$2" && find . -type f -exec sha256sum {} + | sort -k2)
        ;;
    esac
}

status=0
for package in "$work"/first/*.deb "$work"/first/*.tar.gz; do
    [ -f "$package" ] || poko_fail "the first build made no $(basename "$package")"
    name=$(basename "$package")
    other=$work/second/$name
    [ -f "$other" ] || poko_fail "the second build made no $name"
    sum=$(sha256sum <"$package" | cut -d' ' -f1)
    if [ "$sum" = "$(sha256sum <"$other" | cut -d' ' -f1)" ]; then
        poko_log "$name: the same twice, sha256 $sum"
        continue
    fi
    status=1
    keep=1
    poko_log "FAIL: $name differs between the two builds: $(cmp "$package" "$other" 2>&1 | head -1)" >&2
    diff <(members "$package" "first-$name") <(members "$other" "second-$name") |
        sed "s|^|[$name] |" | head -40 >&2
done
[ "$status" -eq 0 ] && poko_log "both packages the same twice in $((SECONDS - started)) s"
exit "$status"
