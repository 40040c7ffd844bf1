#!/usr/bin/env bash
# File-manager thumbnails as GNOME Files makes them: the project installed
# into a prefix under /usr/local (the sandbox shows only /usr), a palette
# for every user written by tarnivel-palettes --system, and GNOME's own
# thumbnail factory (gnome-desktop, running the thumbnailer in bubblewrap)
# asked for a Quake and a Quake 2 model:  gnome-thumbnails.sh BUILD_DIR [PREFIX]
# With PREFIX the programs are those installed there already (a package's
# /usr), and the palette written is left to its purge.
# Skipped, saying why, where the factory or bubblewrap cannot run.
set -uo pipefail
build=$1
installed=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(id -u)" -ne 0 ]; then
    echo "gnome: skipped: installing under /usr/local needs root"
    exit 0
fi
if ! bwrap --ro-bind / / --proc /proc --dev /dev --unshare-all true 2>/dev/null; then
    echo "gnome: skipped: bubblewrap cannot make its namespaces here"
    exit 0
fi
if ! /usr/bin/python3 -c 'import gi; gi.require_version("GnomeDesktop", "3.0")' 2>/dev/null; then
    echo "gnome: skipped: no GnomeDesktop introspection (gir1.2-gnomedesktop-3.0, python3-gi)"
    exit 0
fi
work=$(mktemp -d)
if [ -n "$installed" ]; then
    prefix=$installed
    trap 'rm -rf "$work"' EXIT
else
    prefix=$(mktemp -d /usr/local/tarnivel-test-XXXXXX)
    trap 'rm -rf "$prefix" "$work"' EXIT
    chmod 755 "$prefix"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    update-mime-database "$prefix/share/mime" >/dev/null 2>&1
fi
# The demo's models, a pak whose palette is all blue, a true-colour skin beside the Quake 2 model.
cp "$build/demo/creature.mdl" "$build/demo/figure.md2" "$work/"
/usr/bin/python3 - "$work" <<'EOF'
import struct, sys
entry = b"gfx/palette.lmp".ljust(56, b"\0") + struct.pack("<ii", 12, 768)
open(sys.argv[1] + "/pak0.pak", "wb").write(b"PACK" + struct.pack("<ii", 780, 64) + bytes([0, 0, 255]) * 256 + entry)
open(sys.argv[1] + "/figure.tga", "wb").write(bytes([0, 0, 2] + [0] * 9 + [2, 0, 2, 0, 24, 0] + [0, 200, 0] * 4))
EOF
"$prefix/bin/tarnivel-palettes" --system "$work/pak0.pak" >/dev/null || exit 1
[ -f "$prefix/share/tarnivel/palette.lmp" ] || { echo "gnome: no system palette in $prefix/share/tarnivel"; exit 1; }
result=$(env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" XDG_CACHE_HOME="$work/cache" \
         XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$prefix/share:/usr/local/share:/usr/share" \
         PATH="$prefix/bin:$PATH" /usr/bin/python3 "$here/gnome-thumbnails.py" "$work" creature.mdl figure.md2 2>&1)
echo "$result"
# The Quake model coloured by the system palette (all blue), the Quake 2
# model drawn though its skin is out of the sandbox's sight.
echo "$result" | grep -Eq '^creature.mdl: model/x-quake-mdl: 128x128 alpha=True opaque=([0-9]{3,}) blue=\1 ' &&
    echo "$result" | grep -Eq '^figure.md2: model/x-quake2-md2: 128x128 alpha=True opaque=[0-9]{3,} blue=0 ' ||
    { echo "gnome: FAILED"; exit 1; }
echo "gnome: GNOME's thumbnail factory made both pictures in its sandbox: the Quake model in the system palette's colours"
