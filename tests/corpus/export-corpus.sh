#!/usr/bin/env bash
# Exports every model of the real corpus (ufoai-data's archive, ktx's Quake
# models and OpenArena's archives) to .glb with no display, and validates each with the
# Khronos validator:
#   export-corpus.sh BUILD_DIR CORPUS_FOLDER NODE_MODULES
# Prints how many exports are valid; fails when one is not, or when a model
# that lists does not export.
set -u
build=$1
corpus=$2
modules=$3
here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$corpus/ufoai/base/0models.pk3" ]; then
    echo "exports: skipped, no corpus in $corpus (ufoai-data could not be downloaded here)"
    exit 0
fi
if [ ! -f "$modules/gltf-validator/package.json" ] || ! command -v node >/dev/null; then
    echo "exports: skipped, no gltf-validator in $modules (tests/export/fetch-validator.sh fetches it)"
    exit 0
fi
unset DISPLAY WAYLAND_DISPLAY
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for place in "$corpus/ufoai/base/0models.pk3" "$corpus/quake/ktx" "$corpus"/openarena/*/*.pk3; do
    "$build/tarnivel" --list "$place" 2>/dev/null | cut -f1
done >"$out/models"
total=$(wc -l <"$out/models")
exported=0
valid=0
n=0
validate() {  # the batch written so far: validated, counted and removed
    ls "$out"/*.glb >/dev/null 2>&1 || return 0
    NODE_PATH="$modules" node "$here/export/validate-gltf.js" "$out"/*.glb >"$out/report" 2>&1
    valid=$((valid + $(grep -c ': 0 errors, 0 warnings$' "$out/report")))
    grep -v ': 0 errors, 0 warnings$' "$out/report" | head -n 10 >>"$out/faults"
    rm -f "$out"/*.glb
}
while IFS= read -r model; do
    n=$((n + 1))
    if "$build/tarnivel" --export "$out/$n.glb" "$model" 2>>"$out/errors"; then
        exported=$((exported + 1))
    fi
    [ $((n % 25)) -eq 0 ] && validate
done <"$out/models"
validate
echo "exports: $valid of $total corpus models exported to .glb and valid ($exported written)"
if [ "$valid" -ne "$total" ] || [ "$total" -eq 0 ]; then
    head -n 5 "$out/errors" "$out/faults" 2>/dev/null
    exit 1
fi
