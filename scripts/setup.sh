# Shared by ./run and ./test: install what is missing, then configure and build in build/.
# Sourced, not run; its names begin with setup_, the test harness's with poko_.

setup_packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libqt6svg6 libgl-dev
    libpulse-dev libpipewire-0.3-dev libgif-dev
    fonts-ipafont-mincho fonts-ipafont-gothic fontconfig
)
setup_test_packages=(
    xvfb xauth xdotool x11-utils imagemagick
    pulseaudio pulseaudio-utils sox
    clang libclang-rt-dev appstream desktop-file-utils
    weston qt6-wayland lintian dpkg-dev file
    pipewire wireplumber pipewire-pulse dbus dbus-session-bus-common
    at-spi2-core python3-pyatspi
)

setup_install() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Configures build/ and builds TARGETS, or everything (the tests and their tools too).
setup_build() { # [TARGET...]
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" "${targets[@]}"
}
