#!/usr/bin/env bash
# Downloads the MD2 models of Debian's ufoai-data once into a cache outside
# the repository: fetch-corpus.sh FOLDER. Never fails: without the package
# the corpus test skips and says why.
set -u
dest=${1:?usage: fetch-corpus.sh FOLDER}
if [ -f "$dest/.complete" ]; then
  echo "corpus: using $dest"
  exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$dest"
if ! (cd "$work" && apt-get download ufoai-data >/dev/null 2>&1); then
  echo "corpus: ufoai-data cannot be downloaded here; the corpus test will be skipped"
  exit 0
fi
deb=$(ls "$work"/ufoai-data_*.deb | head -n 1)
dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" ./usr/share/games/ufoai/base/0models.pk3
rm -f "$deb"
if ! unzip -q -o "$work/usr/share/games/ufoai/base/0models.pk3" -d "$dest"; then
  echo "corpus: could not unpack 0models.pk3; the corpus test will be skipped"
  exit 0
fi
touch "$dest/.complete"
echo "corpus: unpacked $(find "$dest" -name '*.md2' | wc -l) MD2 models into $dest"
