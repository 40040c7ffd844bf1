#!/usr/bin/env bash
# Draws the package's icon and the AppStream screenshot from the demo
# models with the project's own --render: make-pictures.sh BUILD_DIR.
# The pictures are committed; run this again when the drawing changes.
set -euo pipefail
build=${1:?usage: make-pictures.sh BUILD_DIR}
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$build/demo"
env -u DISPLAY -u WAYLAND_DISPLAY ../tarnivel --render "$here/data/icons/tarnivel.png" --size 256x256 creature.mdl
env -u DISPLAY -u WAYLAND_DISPLAY ../tarnivel --render "$here/data/screenshots/demo.png" --size 1280x720 \
    --background grey --frame 3 figure.md2
