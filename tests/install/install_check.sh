#!/usr/bin/env bash
# cmake --install into a temporary prefix puts the programs, the desktop
# entry with the models' MIME types, their definitions and the man pages in
# place, every list of formats made from the table: install_check.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/tarnivel bin/tarnivel-palettes bin/tarnivel-thumbnailer share/thumbnailers/tarnivel.thumbnailer \
            share/applications/tarnivel.desktop \
            share/mime/packages/tarnivel.xml share/man/man1/tarnivel.1 share/man/man1/tarnivel-palettes.1 \
            share/man/man1/tarnivel-thumbnailer.1; do
    [ -e "$prefix/$file" ] || { echo "missing: $file"; exit 1; }
done
[ -x "$prefix/bin/tarnivel" ] && [ -x "$prefix/bin/tarnivel-palettes" ] && [ -x "$prefix/bin/tarnivel-thumbnailer" ]
desktop-file-validate "$prefix/share/applications/tarnivel.desktop"
# The thumbnailer entry is a key file of the desktop-entry kind, with a group
# and field codes (%s size, %o output) of its own: validated as a desktop
# entry once those are mapped to the desktop entry's, its Exec line checked whole.
cp "$prefix/share/thumbnailers/tarnivel.thumbnailer" "$prefix/thumbnailer-check.desktop"
sed -i -e 's/^\[Thumbnailer Entry\]$/[Desktop Entry]\nType=Application\nName=Tarnivel thumbnailer/' \
    -e 's/ -s %s %i %o$/ %f/' "$prefix/thumbnailer-check.desktop"
desktop-file-validate "$prefix/thumbnailer-check.desktop"
grep -q '^Exec=tarnivel-thumbnailer -s %s %i %o$' "$prefix/share/thumbnailers/tarnivel.thumbnailer"
grep -q '^TryExec=tarnivel-thumbnailer$' "$prefix/share/thumbnailers/tarnivel.thumbnailer"
own=$("$build/tarnivel-format-lists" --own-mime-types)
for type in $("$build/tarnivel-format-lists" --mime-types); do
    grep -q "^MimeType=.*$type;" "$prefix/share/applications/tarnivel.desktop"
    # ours defined in our package; the system's (glTF, OBJ) left to it
    if grep -qx "$type" <<<"$own"; then
        grep -q "type=\"$type\"" "$prefix/share/mime/packages/tarnivel.xml"
    else
        ! grep -q "type=\"$type\"" "$prefix/share/mime/packages/tarnivel.xml"
    fi
    grep -q "^MimeType=.*$type;" "$prefix/share/thumbnailers/tarnivel.thumbnailer"
    grep -q "<mediatype>$type</mediatype>" "$prefix/share/metainfo/org.tarnivel.Tarnivel.metainfo.xml"
    grep -q "$type" "$prefix/share/man/man1/tarnivel-thumbnailer.1"
done
! grep -rq "@MODEL_" "$prefix/share"  # every list filled in
grep -q '^Exec=tarnivel %F$' "$prefix/share/applications/tarnivel.desktop"
echo "installed into a temporary prefix: programs, desktop entry, thumbnailer, MIME types and man pages"
