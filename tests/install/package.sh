#!/usr/bin/env bash
# The Debian package as a user meets it: built with dpkg-buildpackage from
# the clean tree, checked by lintian, appstreamcli and desktop-file-validate,
# installed with apt-get, asked for its version, used by GNOME's thumbnail
# factory from /usr, then purged leaving nothing behind.
#   package.sh BUILD_DIR     (a build of the tree, for its demo models)
# Skipped, saying why, where not root or the Debian tools are missing.
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
fail() { echo "package: FAILED: $*"; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
    echo "package: skipped: installing a package needs root"
    exit 0
fi
for tool in dpkg-buildpackage lintian appstreamcli desktop-file-validate apt-get git; do
    command -v $tool >/dev/null || { echo "package: skipped: no $tool here"; exit 0; }
done
if dpkg-query -W -f='${Status}' tarnivel 2>/dev/null | grep -q "install ok installed"; then
    echo "package: skipped: a tarnivel package is installed already, and this test would remove it"
    exit 0
fi
work=$(mktemp -d)
trap 'apt-get purge -y -qq tarnivel >/dev/null 2>&1; rm -rf "$work"' EXIT

# The clean tree: what git holds or would, none of the builds it ignores.
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
tree="$work/tarnivel-$version"
mkdir "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | tar -xf - -C "$tree" || fail "copying the tree"
(cd "$tree" && dpkg-buildpackage -us -uc -b -j"$(nproc)") >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log"; fail "dpkg-buildpackage"; }
deb=$(ls "$work"/tarnivel_"$version"_*.deb) || fail "no tarnivel_${version}_*.deb"
echo "package: built $(basename "$deb")"

# lintian: no error, and every warning explained in the README's packaging notes.
lintian --info "$deb" "$work"/*.changes >"$work/lintian.log" 2>&1
grep -E "^[EW]: " "$work/lintian.log"
errors=$(grep -c "^E: " "$work/lintian.log")
warnings=$(grep -oE "^W: [^ ]+ [^ ]+ [^ ]+" "$work/lintian.log" | awk '{print $3}' | sort -u)
[ "$errors" -eq 0 ] || fail "lintian: $errors errors"
for tag in $warnings; do
    grep -q "$tag" "$root/README.md" || fail "lintian warning $tag is not explained in the README"
done

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/install.log" 2>&1 ||
    { tail -n 20 "$work/install.log"; fail "apt-get install"; }
appstreamcli validate --no-net /usr/share/metainfo/org.tarnivel.Tarnivel.metainfo.xml ||
    fail "appstreamcli validate"
desktop-file-validate /usr/share/applications/tarnivel.desktop || fail "desktop-file-validate"
shown=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/tarnivel --version) || fail "tarnivel --version"
[ "$shown" = "tarnivel $version" ] || fail "tarnivel --version printed \"$shown\", not the package's $version"
# The package's triggers have registered its types: no update-mime-database here.
grep -qx "model/x-iqm" /usr/share/mime/types || fail "the MIME database does not know model/x-iqm"

# GNOME's factory runs the package's thumbnailer from /usr, in its sandbox.
thumbnails=$(bash "$here/gnome-thumbnails.sh" "$build" /usr) || { echo "$thumbnails"; fail "GNOME's thumbnails"; }
echo "$thumbnails"
thumbnail=$(echo "$thumbnails" | tail -n 1)

DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq tarnivel >"$work/purge.log" 2>&1 ||
    { cat "$work/purge.log"; fail "apt-get purge"; }
left=0
while read -r path; do
    [ -e "$path" ] && [ ! -d "$path" ] && { echo "left behind: $path"; left=$((left + 1)); }
done < <(dpkg-deb -c "$deb" | awk '{print substr($6, 2)}'; echo /usr/share/tarnivel/palette.lmp)
[ -e /usr/share/tarnivel ] && { echo "left behind: /usr/share/tarnivel"; left=$((left + 1)); }
[ "$left" -eq 0 ] || fail "$left files left after the purge"
files=$(dpkg-deb -c "$deb" | grep -vc "^d")
echo "package: $(basename "$deb") built, $errors lintian errors and $(echo $warnings | wc -w) warnings" \
    "explained, installed ($files files), version $version, ${thumbnail#gnome: }, purged leaving nothing"
