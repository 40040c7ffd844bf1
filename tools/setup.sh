#!/usr/bin/env bash
# Sets up a fresh Debian machine for Tarnivel:
#   tools/setup.sh demo   installs what is missing, builds, starts the viewer on the demo models
#   tools/setup.sh test   installs what is missing, builds and runs every test
# Run as root to install packages; otherwise it names the apt-get line to run.
set -euo pipefail
cd "$(dirname "$0")/.."

build_packages=(g++ make cmake libglut-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri libpng-dev libjpeg-dev libzip-dev pkg-config libegl-dev libegl-mesa0
                libtinygltf-dev libmeshoptimizer-dev libstb-dev libjs-three)
demo_packages=(zenity)
test_packages=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev xvfb xauth xdotool x11-apps x11-utils
               imagemagick desktop-file-utils unzip gcovr nodejs assimp-utils
               gir1.2-gnomedesktop-3.0 python3-gi bubblewrap shared-mime-info blender python3-numpy
               build-essential dpkg-dev debhelper lintian appstream chromium darkplaces ioquake3)

install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Some packages are missing. As root, run:"
        echo "  apt-get update && apt-get install -y ${missing[*]}"
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

demo() {
    install_missing "${build_packages[@]}" "${demo_packages[@]}"
    cmake -S . -B build-demo -DCMAKE_BUILD_TYPE=Release -DTARNIVEL_TESTS=OFF -DTARNIVEL_BENCH=OFF
    cmake --build build-demo -j "$(nproc)"
    if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
        echo "Built build-demo/tarnivel; start it from a desktop session: cd build-demo/demo && ../tarnivel figure.md2 creature.mdl"
        exit 1
    fi
    cd build-demo/demo
    exec ../tarnivel figure.md2 creature.mdl
}

test() {
    # npm comes with some builds of nodejs and is a package of its own in Debian's.
    command -v npm >/dev/null || test_packages+=(npm)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    exec tests/run-all.sh
}

case "${1:-}" in
    demo) demo ;;
    test) test ;;
    *) echo "usage: tools/setup.sh demo|test" >&2; exit 2 ;;
esac
