#!/usr/bin/env bash
# Thumbnails every model of the real corpus's archive with no X server, as a
# file manager would, one process a picture:
#   thumbnail-corpus.sh BUILD_DIR CORPUS_FOLDER
# Prints how many pictures were made and the median time per picture; fails
# when a model that lists does not give a picture.
set -u
build=$1
archive=$2/ufoai/base/0models.pk3
if [ ! -f "$archive" ]; then
    echo "thumbnails: skipped, no $archive (ufoai-data could not be downloaded here)"
    exit 0
fi
unset DISPLAY WAYLAND_DISPLAY
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# ufoai-data's MD2 models, and OpenArena's MD3 models when they were fetched.
for place in "$archive" "$2"/openarena/*/*.pk3; do
    [ -f "$place" ] && "$build/tarnivel" --list "$place" 2>/dev/null | cut -f1
done >"$out/models"
total=$(wc -l <"$out/models")
made=0
n=0
while IFS= read -r model; do
    n=$((n + 1))
    start=$(date +%s%N)
    if "$build/tarnivel-thumbnailer" -s 256 "$model" "$out/$n.png" 2>>"$out/errors"; then
        end=$(date +%s%N)
        [ -s "$out/$n.png" ] && made=$((made + 1))
        echo $(((end - start) / 1000000)) >>"$out/times"
    fi
    rm -f "$out/$n.png"
done <"$out/models"
median=$(sort -n "$out/times" 2>/dev/null | awk '{a[NR]=$1} END {if (NR) printf "%.3f", a[int((NR + 1) / 2)] / 1000}')
echo "thumbnails: $made of $total corpus models made with no X server, median ${median:-?} s per picture (256 pixels)"
if [ "$made" -ne "$total" ] || [ "$total" -eq 0 ]; then
    head -n 5 "$out/errors" 2>/dev/null
    exit 1
fi
