#!/usr/bin/env bash
# The real programs on every model of the real corpus (ufoai-data's archive,
# ktx's Quake models, OpenArena's archives, Red Eclipse's IQM and MD5 meshes,
# Nexuiz's data.pk3)
# with no X server, as file managers (one process a picture, here as many
# at once as there are cores) and modders (one batch export a game) run them:
#   corpus-programs.sh thumbnails BUILD_DIR CORPUS_FOLDER
#   corpus-programs.sh exports BUILD_DIR CORPUS_FOLDER NODE_MODULES
# Thumbnails: every picture made (a third of ufoai's), the median time per picture. Exports: every
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
for place in "$corpus/ufoai/base/0models.pk3" "$corpus/quake/ktx" "$corpus"/openarena/*/*.pk3 \
    "$corpus/nexuiz/data/data.pk3"; do
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
# The thumbnails one process a picture, as many at once as there are cores:
# every third of ufoai's 859 alike soldiers, aliens and props, every other
# model of the corpus.
if [ "$mode" = thumbnails ]; then
    jobs=$(nproc)
    awk 'index($0, "/0models.pk3/") ? (n++ % 3 == 0) : 1' "$out/models" >"$out/pictured"
    total=$(wc -l <"$out/pictured")
    thumbnails() {  # thumbnails K: the models whose number is K modulo jobs
        local n=0 start
        while IFS= read -r model; do
            n=$((n + 1))
            [ $((n % jobs)) -eq "$1" ] || continue
            start=$(date +%s%N)
            "$build/tarnivel-thumbnailer" -s 256 "$model" "$out/$n.png" 2>>"$out/errors" && [ -s "$out/$n.png" ] &&
                echo $((($(date +%s%N) - start) / 1000000)) >>"$out/times$1"
            rm -f "$out/$n.png"
        done <"$out/pictured"
    }
    for k in $(seq 0 $((jobs - 1))); do thumbnails "$k" & done
    wait
    cat "$out"/times* >"$out/times" 2>/dev/null
    made=$(wc -l <"$out/times")
    median=$(sort -n "$out/times" | awk '{a[NR]=$1} END {if (NR) printf "%.3f", a[int((NR + 1) / 2)] / 1000}')
    echo "thumbnails: $made of $total corpus models made with no X server ($(wc -l <"$out/skeletal") of them IQM and" \
        "MD5), median ${median:-?} s per picture (256 pixels, $jobs at once)"
else
    # Each game whole with the batch export (players whole, a machine gun in
    # hand), every .glb then validated.
    exported=0 written=0 n=0
    for place in "$corpus/ufoai/base/0models.pk3" "$corpus/quake/ktx" "$corpus"/openarena/baseoa \
        "$corpus"/openarena/missionpack "$corpus/redeclipse/data" "$corpus/nexuiz/data"; do
        [ -e "$place" ] || continue
        n=$((n + 1))
        "$build/tarnivel" --export "$out/export/$n/" --weapon machinegun "$place" 2>"$out/export-$n.log"
        status=$?
        tally=$(grep -oE "^tarnivel: [0-9]+ models?: [0-9]+ written" "$out/export-$n.log" | grep -oE "[0-9]+")
        [ $status -eq 0 ] || grep -v '^\[' "$out/export-$n.log" | head -n 5 >>"$out/errors"
        grep -q "left when interrupted\|not done" "$out/export-$n.log" && echo "$place: models left undone" >>"$out/errors"
        [ -n "$tally" ] || echo "$place: no tally of models written" >>"$out/errors"
        set -- ${tally:-0 0}
        exported=$((exported + $1)) written=$((written + $2))
        [ -f "$out/export/$n/index.html" ] || echo "$place: no gallery" >>"$out/errors"
    done
    find "$out/export" -name '*.glb' -print0 |
        NODE_PATH="$modules" xargs -0 -n 100 -P "$(nproc)" node "$here/export/validate-gltf.js" >"$out/report" 2>&1
    valid=$(grep -c ': 0 errors, 0 warnings$' "$out/report")
    grep -v ': 0 errors, 0 warnings$' "$out/report" | head -n 10 >"$out/faults"
    echo "exports: $valid of $exported corpus models exported to .glb by the batch export, one run a game, and valid" \
        "($written written, with their galleries; $(cat "$out"/export/*/gallery/models.tsv | grep -c $'\tplayer\t')" \
        "of them whole players with a weapon," \
        "$(wc -l <"$out/skeletal") IQM and MD5 meshes with their skeletons)"
    made=$valid total=$exported
    ! grep -q "models left undone" "$out/errors" 2>/dev/null || made=-1
fi
if [ "$made" -ne "$total" ] || [ "$total" -eq 0 ]; then
    head -n 5 "$out/errors" "$out/faults" 2>/dev/null
    exit 1
fi
