#!/usr/bin/env bash
# Fetches the real-file corpus once into a cache outside the repository:
# fetch-corpus.sh FOLDER. It keeps the game layouts the packages install:
#   FOLDER/ufoai/base/0models.pk3   Debian's ufoai-data: 859 MD2 models, in their archive
#   FOLDER/quake/ktx/progs/*.mdl    Debian's ktx: Quake models, one with a frame group
#   FOLDER/openarena/baseoa/*.pk3, FOLDER/openarena/missionpack/mp-pak0.pk3
#                                   Debian's openarena-data and openarena-085-data: MD3 models and players
#   FOLDER/redeclipse/data/...      Debian's redeclipse-data: the folders of its IQM and MD5 models (and
#                                   the folders above them), their models, .cfg files and images only
#   FOLDER/openarena/lib/*.so       Debian's openarena: the native game libraries of OpenArena 0.8.5,
#                                   which Debian's ioquake3 runs (it runs no QVM)
#   FOLDER/nexuiz/data/data.pk3, FOLDER/nexuiz/data/textures.pk3
#                                   Debian's nexuiz-data and nexuiz-textures: DarkPlaces' game, its MD3
#                                   models (some named .mdl), ZYM and DPM, and the images they name
# Never fails: without a package the corpus test skips what is missing and says why.
set -u
dest=${1:?usage: fetch-corpus.sh FOLDER}
if [ -f "$dest/.complete-3" ] && [ -f "$dest/.complete-redeclipse" ] && [ -f "$dest/.complete-nexuiz" ] &&
  [ -f "$dest/.complete-openarena-lib" ]; then
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
# Red Eclipse: 862 MB downloaded, the model folders kept (about 220 MB).
fetch_redeclipse() {
  if ! (cd "$work" && apt-get download redeclipse-data >/dev/null 2>&1); then
    echo "corpus: redeclipse-data cannot be downloaded here; its part of the corpus test will be skipped"
    return 1
  fi
  local deb
  deb=$(ls "$work"/redeclipse-data_*.deb | head -n 1)
  dpkg-deb -c "$deb" | awk '{print $6}' | awk '
    /\/$/ { next }
    { files[NR] = $0; folder = $0; sub(/\/[^\/]*$/, "", folder); of[NR] = folder }
    tolower($0) ~ /\.(iqm|md5mesh|md5anim)$/ { keep[folder] = 1; parent = folder; sub(/\/[^\/]*$/, "", parent); keep[parent] = 1 }
    END { for (i in files) if ((of[i] in keep) && tolower(files[i]) ~ /\.(iqm|md5mesh|md5anim|cfg|png|jpg|jpeg|tga)$/) print files[i] }
  ' >"$work/redeclipse.list"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" -T "$work/redeclipse.list" || return 1
  # Skins the configurations name in other folders ("../meshtex/..."), as
  # the cube engines find them: beside the configuration, or from the data folder.
  dpkg-deb -c "$deb" | awk '{print $6}' | sort >"$work/all.list"
  find "$work/usr" -name '*.cfg' | while read -r cfg; do
    grep -E '^[[:space:]]*[a-z0-9]+skin[[:space:]]' "$cfg" | awk '{print $3}' | tr -d '"' | sed 's/^\(<[^>]*>\)*//' |
      while read -r skin; do
        [ -n "$skin" ] || continue
        echo "./$(realpath -m --relative-to="$work" "$(dirname "$cfg")/$skin")"
        echo "./usr/share/games/redeclipse/data/$skin"
      done
  done | sort -u | comm -12 - "$work/all.list" >"$work/skins.list"
  if [ -s "$work/skins.list" ]; then
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" -T "$work/skins.list" || return 1
  fi
  mkdir -p "$dest/redeclipse"
  rm -rf "$dest/redeclipse/data" && mv "$work/usr/share/games/redeclipse/data" "$dest/redeclipse/data" &&
    rm -f "$deb" && touch "$dest/.complete-redeclipse"
}
# Nexuiz: 722 MB downloaded, its two pk3s kept as the game has them.
fetch_nexuiz() {
  mkdir -p "$dest/nexuiz/data"
  fetch nexuiz-data ./usr/share/games/nexuiz/data/data.pk3 "$dest/nexuiz/data/" &&
    fetch nexuiz-textures ./usr/share/games/nexuiz/data/textures.pk3 "$dest/nexuiz/data/" &&
    rm -rf "$work"/nexuiz-* && touch "$dest/.complete-nexuiz"
}
# OpenArena's game code for 0.8.5's data, for ioquake3 to run the game.
fetch_openarena_lib() {
  fetch openarena ./usr/lib/openarena/baseoa/pak0 "$work/" &&
    mkdir -p "$dest/openarena/lib" && cp "$work"/pak0/*.so "$dest/openarena/lib/" && touch "$dest/.complete-openarena-lib"
}
if [ -f "$dest/.complete-3" ]; then
  [ -f "$dest/.complete-redeclipse" ] || fetch_redeclipse
  [ -f "$dest/.complete-nexuiz" ] || fetch_nexuiz
  [ -f "$dest/.complete-openarena-lib" ] || fetch_openarena_lib
  echo "corpus: fetched into $dest"
  exit 0
fi
fetch ufoai-data ./usr/share/games/ufoai/base/0models.pk3 "$dest/ufoai/base/" || exit 0
fetch ktx ./usr/share/games/quake/ktx "$dest/quake/" || exit 0
fetch openarena-data ./usr/share/games/openarena/baseoa/pak0.pk3 "$dest/openarena/baseoa/" || exit 0
fetch openarena-085-data ./usr/share/games/openarena/baseoa/pak6-patch085.pk3 "$dest/openarena/baseoa/" || exit 0
fetch openarena-data ./usr/share/games/openarena/missionpack/mp-pak0.pk3 "$dest/openarena/missionpack/" || exit 0
touch "$dest/.complete-3"
fetch_redeclipse
fetch_nexuiz
fetch_openarena_lib
echo "corpus: fetched into $dest"
