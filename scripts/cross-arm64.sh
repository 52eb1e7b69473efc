#!/usr/bin/env bash
# The game cross-built for arm64 (a Raspberry Pi's or an ARM Chromebook's Debian 12) in a
# fresh minimal Debian 12 made by tests/harness/fresh-debian.sh, never on this machine: only
# that throwaway system gets the arm64 architecture added to its dpkg.
#
# There, with Debian's cross toolchain and the arm64 -dev packages, the game is built with
# cmake/aarch64-linux-gnu.cmake, every target; the sound, figure and icon generators and
# the controls' places run under qemu-user during the build, then the unit suites and the
# fuzz corpus replays run under it too (ctest -L 'unit|fuzz'). The end-to-end tests are not run: under emulation their timing
# means nothing. Last, the arm64 .deb is built with cpack, judged by lintian as
# packaging/tests/deb.sh judges the amd64 one, and its program must be an ARM aarch64 ELF.
#
# usage: scripts/cross-arm64.sh          (as root; 13 to 18 minutes on two cores)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" != --inside ]; then
    exec tests/harness/fresh-debian.sh bookworm scripts/cross-arm64.sh --inside
fi
# fresh-debian.sh runs its command as the first process of the system's own namespaces.
if [ $$ -ne 1 ] || [ "$(id -u)" -ne 0 ]; then
    echo "cross-arm64.sh --inside: only inside the system fresh-debian.sh makes (it adds arm64 to dpkg)" >&2
    exit 1
fi
source scripts/setup.sh
source tests/harness/harness.sh
POKO_NAME=cross-arm64.sh
step_started=$SECONDS
step() {
    echo "cross-arm64.sh: $1 took $((SECONDS - step_started)) s"
    step_started=$SECONDS
}

# The project's own package list, its libraries taken for arm64; compiler and build tools
# run here and come for amd64, the fonts are the same on every architecture.
packages=(crossbuild-essential-arm64 lintian appstream dpkg-dev file)
for package in "${setup_packages[@]}"; do
    case "$package" in
    g++) ;;
    cmake | make | pkg-config | fonts-* | fontconfig) packages+=("$package") ;;
    *) packages+=("$package:arm64") ;;
    esac
done
packages+=(libx11-dev:arm64) # the end-to-end tests' helpers look at an X server
dpkg --add-architecture arm64
# A throwaway system: dpkg need not sync every file it unpacks to disk.
echo force-unsafe-io >/etc/dpkg/dpkg.cfg.d/cross-arm64-unsafe-io
setup_install "${packages[@]}" >/root/cross-apt.log 2>&1 || {
    tail -30 /root/cross-apt.log
    echo "cross-arm64.sh: installing the packages failed" >&2
    exit 1
}
# Debian 12's own qemu (7.2) refuses clone(CLONE_PIDFD), which Qt's QProcess uses: a suite
# that starts a program would fail under it and nowhere else. The backport (10.0) has it.
mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list)
echo "deb $mirror bookworm-backports main" >/etc/apt/sources.list.d/backports.list
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    -t bookworm-backports qemu-user >/dev/null
step "installing the cross toolchain and the arm64 packages"

# Every target, as on amd64: the benchmarks and the end-to-end tests' helpers too, though
# only the unit suites and fuzz replays run here; cpack then builds nothing more
# (CMAKE_SKIP_INSTALL_ALL_DEPENDENCY).
build=build-arm64
# The packaged program is stripped, so the debugging information is left out: the same code
# as RelWithDebInfo's, in less time.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" -j2
step "building every target for arm64 (the build's tools under qemu)"

(cd "$build" && ctest --output-on-failure -j2 --timeout 900 -L 'unit|fuzz')
step "the unit suites and fuzz corpora under qemu"
# For comparing with an amd64 build: the generated data, which need not match it byte for byte.
(cd "$build/データ" && sha256sum 音/*.wav 絵/*.gif) | sed 's/^/cross-arm64.sh: data /'

work=$(mktemp -d)
(cd "$build" && cpack -G DEB -B "$work/packages" >"$work/cpack.log" 2>&1) || {
    tail -30 "$work/cpack.log"
    echo "cross-arm64.sh: cpack failed" >&2
    exit 1
}
deb=$(ls "$work"/packages/*_arm64.deb)
echo "cross-arm64.sh: built $(basename "$deb") ($(stat -c %s "$deb") bytes)"
echo "cross-arm64.sh: Depends: $(dpkg-deb -f "$deb" Depends)"
mkdir "$work/contents"
dpkg-deb -x "$deb" "$work/contents"
described=$(file -b "$work/contents/usr/games/pokopenpan")
echo "cross-arm64.sh: usr/games/pokopenpan: $described"
grep -q 'ARM aarch64' <<<"$described" || poko_fail "the packaged program is not an ARM aarch64 program"
faults=$(poko_lintian_faults "$deb" "$work/contents" "$work/lintian.log")
sed 's/^/[lintian] /' "$work/lintian.log"
[ -z "$faults" ] || poko_fail "lintian found faults: $faults"
step "cpack and lintian"
echo "cross-arm64.sh: the arm64 build, its tests under qemu and its package all passed"
