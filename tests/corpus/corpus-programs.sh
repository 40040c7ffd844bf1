#!/usr/bin/env bash
# The real programs on every model of the real corpus (ufoai-data's archive,
# ktx's Quake models, OpenArena's archives, Red Eclipse's IQM and MD5 meshes) with no X server, one process a
# model, as a file manager or a modder's script runs them:
#   corpus-programs.sh thumbnails BUILD_DIR CORPUS_FOLDER
#   corpus-programs.sh exports BUILD_DIR CORPUS_FOLDER NODE_MODULES
# Thumbnails: every picture made, the median time per picture. Exports: every
# .glb valid by the Khronos validator. Ends with one "MODE: ..." line and fails
# when a model that lists gives nothing.
set -u
mode=$1 build=$2 corpus=$3 modules=${4:-}
here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$corpus/ufoai/base/0models.pk3" ]; then
    echo "$mode: skipped, no corpus in $corpus (ufoai-data could not be downloaded here)"
    exit 0
fi
if [ "$mode" = exports ] && { [ ! -f "$modules/gltf-validator/package.json" ] || ! command -v node >/dev/null; }; then
    echo "exports: skipped, no gltf-validator in $modules (tests/export/fetch-validator.sh fetches it)"
    exit 0
fi
unset DISPLAY WAYLAND_DISPLAY
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for place in "$corpus/ufoai/base/0models.pk3" "$corpus/quake/ktx" "$corpus"/openarena/*/*.pk3; do
    [ -e "$place" ] && "$build/tarnivel" --list "$place" 2>/dev/null | cut -f1
done >"$out/models"
# Red Eclipse's meshes, not its files of animations only.
if [ -d "$corpus/redeclipse/data" ]; then
    "$build/tarnivel" --list "$corpus/redeclipse/data" 2>/dev/null | grep -v 'animations only' | cut -f1 >"$out/skeletal"
    cat "$out/skeletal" >>"$out/models"
else
    : >"$out/skeletal"
fi
# Quake III players whole, a machine gun in hand.
grep '/models/players/[^/]*/lower\.md3$' "$out/models" | sed 's|/lower\.md3$||' | while IFS= read -r player; do
    pk3=${player%%.pk3/*}.pk3
    unzip -l "$pk3" "${player#"$pk3"/}/animation.cfg" >/dev/null 2>&1 && echo "$player"
done >"$out/players"
cat "$out/players" >>"$out/models"
total=$(wc -l <"$out/models")
validate() {  # validate DIR: the batch written there so far, validated, counted and removed
    ls "$1"/*.glb >/dev/null 2>&1 || return 0
    NODE_PATH="$modules" node "$here/export/validate-gltf.js" "$1"/*.glb >"$1/report" 2>&1
    grep -c ': 0 errors, 0 warnings$' "$1/report" >>"$1/valid"
    grep -v ': 0 errors, 0 warnings$' "$1/report" | head -n 10 >>"$out/faults"
    rm -f "$1"/*.glb
}
# worker K JOBS: the models whose number is K modulo JOBS; one worker times
# the thumbnails alone, exports take every core.
worker() {
    local k=$1 jobs=$2 n=0 dir="$out/worker$1"
    mkdir "$dir"
    while IFS= read -r model; do
        n=$((n + 1))
        [ $((n % jobs)) -eq "$k" ] || continue
        start=$(date +%s%N)
        if [ "$mode" = thumbnails ]; then
            "$build/tarnivel-thumbnailer" -s 256 "$model" "$dir/$n.png" 2>>"$out/errors" && [ -s "$dir/$n.png" ] &&
                echo $((($(date +%s%N) - start) / 1000000)) >>"$out/times"
            rm -f "$dir/$n.png"
        else
            weapon=()
            grep -qxF "$model" "$out/players" && weapon=(--weapon machinegun)
            "$build/tarnivel" --export "$dir/$n.glb" "${weapon[@]}" "$model" 2>>"$out/errors" && echo >>"$out/written"
            [ $((n % 25)) -eq 0 ] && validate "$dir"
        fi
    done <"$out/models"
    [ "$mode" = thumbnails ] || validate "$dir"
}
if [ "$mode" = thumbnails ]; then
    worker 0 1
    made=$(wc -l <"$out/times" 2>/dev/null || echo 0)
else
    jobs=$(nproc)
    for k in $(seq 0 $((jobs - 1))); do worker "$k" "$jobs" & done
    wait
    made=$(cat "$out/written" 2>/dev/null | wc -l)
    valid=$(cat "$out"/worker*/valid 2>/dev/null | awk '{s += $1} END {print s + 0}')
fi
if [ "$mode" = thumbnails ]; then
    median=$(sort -n "$out/times" 2>/dev/null | awk '{a[NR]=$1} END {if (NR) printf "%.3f", a[int((NR + 1) / 2)] / 1000}')
    echo "thumbnails: $made of $total corpus models made with no X server ($(wc -l <"$out/skeletal") of them IQM and" \
        "MD5), median ${median:-?} s per picture (256 pixels)"
else
    echo "exports: $valid of $total corpus models exported to .glb and valid ($made written;" \
        "$(wc -l <"$out/players") of them whole players with a weapon, $(wc -l <"$out/skeletal") IQM and MD5 meshes" \
        "with their skeletons)"
    made=$valid
fi
if [ "$made" -ne "$total" ] || [ "$total" -eq 0 ]; then
    head -n 5 "$out/errors" "$out/faults" 2>/dev/null
    exit 1
fi
