# Sourced by ./run, ./test and bench/run: installs what is missing and builds into build/.
# ORVANE_BUILD_DIR and ORVANE_CMAKE_ARGS choose another build (the sanitizer pass uses them).

ORVANE_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-multimedia-dev libgl-dev
    fonts-liberation
    libturbojpeg0-dev libglib2.0-dev libgif-dev libxcb1-dev libfuse3-dev fuse3
    g++-mingw-w64-x86-64 dbus-daemon
    xvfb xauth openbox mutter xfwm4 xdotool x11-utils x11-xserver-utils imagemagick
    sway xwayland grim wtype qt6-wayland
    python3 python3-pyatspi at-spi2-core dbus-daemon dbus-bin desktop-file-utils
    appstream lintian
    xorriso fuseiso python3-gi debootstrap
    patchelf icu-devtools xz-utils
)

orvane_install_packages() {
    local missing=()
    for p in "${ORVANE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
}

orvane_build() {
    local dir="${ORVANE_BUILD_DIR:-build}"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja ${ORVANE_CMAKE_ARGS:-} >/dev/null
    fi
    cmake --build "$dir" "$@"
}
