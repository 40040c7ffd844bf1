#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it (and so when two
# folders include each other), or when a folder has no place in the order.
# The order, from the bottom up, is the one docs/architecture.md explains.
set -uo pipefail
layers=(maths platform archive formats geometry model export state render lighting view scene capture commands
        viewer offscreen batch)
src="${1:-$(dirname "$0")/../../src}"

declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

faults=0
for folder in "$src"/*/; do
    name=$(basename "$folder")
    if [ -z "${rank[$name]+set}" ]; then
        echo "src/$name/ has no place among the layers (tests/layers/check-layers.sh)"
        faults=$((faults + 1))
        continue
    fi
    while IFS=: read -r file line include; do
        target=${include%%/*}
        [ "$target" = "$include" ] && continue  # a header of its own folder, or a library's
        if [ -z "${rank[$target]+set}" ] || [ "${rank[$target]}" -gt "${rank[$name]}" ]; then
            echo "${file#"$src"/}:$line includes $include: $target/ is not below $name/"
            faults=$((faults + 1))
        fi
    done < <(grep -rnoE '^#include "[^"]+"' "$folder" | sed -E 's/:#include "([^"]+)"$/:\1/')
done
files=$(find "$src" -mindepth 2 -name '*.cpp' -o -mindepth 2 -name '*.h' | wc -l)
if [ "$faults" -ne 0 ]; then
    echo "layers: $faults includes out of order"
    exit 1
fi
echo "layers: ${#layers[@]} layers, $files files, every include runs downward"
