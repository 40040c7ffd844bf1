#!/usr/bin/env bash
# Fetches the real-file corpus once into a cache outside the repository:
# fetch-corpus.sh FOLDER. It keeps the game layouts the packages install:
#   FOLDER/ufoai/base/0models.pk3   Debian's ufoai-data: 859 MD2 models, in their archive
#   FOLDER/quake/ktx/progs/*.mdl    Debian's ktx: Quake models, one with a frame group
#   FOLDER/openarena/baseoa/*.pk3, FOLDER/openarena/missionpack/mp-pak0.pk3
#                                   Debian's openarena-data and openarena-085-data: MD3 models and players
# Never fails: without a package the corpus test skips what is missing and says why.
set -u
dest=${1:?usage: fetch-corpus.sh FOLDER}
if [ -f "$dest/.complete-3" ]; then
  echo "corpus: using $dest"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dest/ufoai/base" "$dest/quake" "$dest/openarena/baseoa" "$dest/openarena/missionpack"
fetch() {  # fetch PACKAGE PATH-IN-PACKAGE TARGET-FOLDER
  if ! ls "$work"/"$1"_*.deb >/dev/null 2>&1 && ! (cd "$work" && apt-get download "$1" >/dev/null 2>&1); then
    echo "corpus: $1 cannot be downloaded here; its part of the corpus test will be skipped"
    return 1
  fi
  local deb
  deb=$(ls "$work"/"$1"_*.deb | head -n 1)
  mkdir -p "$work/$1"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work/$1" "$2" && cp -r "$work/$1/$2" "$3"
}
fetch ufoai-data ./usr/share/games/ufoai/base/0models.pk3 "$dest/ufoai/base/" || exit 0
fetch ktx ./usr/share/games/quake/ktx "$dest/quake/" || exit 0
fetch openarena-data ./usr/share/games/openarena/baseoa/pak0.pk3 "$dest/openarena/baseoa/" || exit 0
fetch openarena-085-data ./usr/share/games/openarena/baseoa/pak6-patch085.pk3 "$dest/openarena/baseoa/" || exit 0
fetch openarena-data ./usr/share/games/openarena/missionpack/mp-pak0.pk3 "$dest/openarena/missionpack/" || exit 0
touch "$dest/.complete-3"
echo "corpus: fetched into $dest"
