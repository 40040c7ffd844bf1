#!/usr/bin/env bash
# cmake --install into a temporary prefix puts the programs, the desktop
# entry with the models' MIME types, their definitions and the man pages in
# place: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/tarnivel bin/tarnivel-palettes share/applications/tarnivel.desktop \
            share/mime/packages/tarnivel.xml share/man/man1/tarnivel.1 share/man/man1/tarnivel-palettes.1; do
    [ -e "$prefix/$file" ] || { echo "missing: $file"; exit 1; }
done
[ -x "$prefix/bin/tarnivel" ] && [ -x "$prefix/bin/tarnivel-palettes" ]
desktop-file-validate "$prefix/share/applications/tarnivel.desktop"
for type in model/x-quake-mdl model/x-quake2-md2; do
    grep -q "^MimeType=.*$type;" "$prefix/share/applications/tarnivel.desktop"
    grep -q "type=\"$type\"" "$prefix/share/mime/packages/tarnivel.xml"
done
grep -q '^Exec=tarnivel %F$' "$prefix/share/applications/tarnivel.desktop"
"$prefix/bin/tarnivel-palettes" 2>&1 | grep -q "usage: tarnivel-palettes" || true
echo "installed into a temporary prefix: programs, desktop entry, MIME types and man pages"
