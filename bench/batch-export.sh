#!/usr/bin/env bash
# The 859 models of ufoai-data's 0models.pk3 exported to .glb, the whole
# run timed, side by side: a shell loop running tarnivel --export once a
# model, then the batch export with -j 1 and -j 2 (gallery and thumbnails
# included), and -j 2 without the gallery. Prints a line each: seconds,
# megabytes written, and the share of the loop's time.
#   bench/batch-export.sh BUILD_DIR [CORPUS_FOLDER]
set -u
build=$1
corpus=${2:-${XDG_CACHE_HOME:-$HOME/.cache}/tarnivel/corpus}
pk3="$corpus/ufoai/base/0models.pk3"
[ -f "$pk3" ] || { echo "no $pk3: run tests/corpus/fetch-corpus.sh"; exit 1; }
unset DISPLAY WAYLAND_DISPLAY
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$build/tarnivel" --list "$pk3" 2>/dev/null | cut -f1 >"$out/models"
loop() {
    local n=0
    mkdir -p "$out/loop"
    while IFS= read -r model; do
        n=$((n + 1))
        "$build/tarnivel" --export "$out/loop/$n.glb" "$model" 2>/dev/null
    done <"$out/models"
}
run() {  # run NAME COMMAND...: seconds and megabytes, the output removed after
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    seconds=$(awk "BEGIN {print $end - $start}")
    megabytes=$(du -sm "$out/run" "$out/loop" 2>/dev/null | awk '{s += $1} END {print s}')
    rm -rf "$out/run" "$out/loop"
}
run loop
base=$seconds
printf "%-44s %7.1f s %6s MB\n" "shell loop, one process a model ($(wc -l <"$out/models") models)" "$base" "$megabytes"
for variant in "-j 1" "-j 2" "-j 2 --no-gallery"; do
    # shellcheck disable=SC2086
    run "$build/tarnivel" --export "$out/run/" $variant "$pk3"
    printf "%-44s %7.1f s %6s MB  %.2f of the loop\n" "--export OUTDIR/ $variant" "$seconds" "$megabytes" \
        "$(awk "BEGIN {print $seconds / $base}")"
done
