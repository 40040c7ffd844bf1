#!/usr/bin/env bash
# Fails when a folder of src/ includes a folder above it (and so when two
# folders include each other), or when a folder has no place in the order.
# The order, from the bottom up, is the one docs/architecture.md explains.
# Above model/, where every model is its drawn form, a file may neither
# include a model reader's header nor ask which format a model came from.
set -uo pipefail
layers=(maths platform archive formats geometry model export gallery state render lighting view scene capture commands
        viewer offscreen batch)
src="${1:-$(dirname "$0")/../../src}"

declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

# The headers of formats/ that read no model file: the only ones above model/.
not_model_readers=" animation_cfg.h frame_types.h palette.h pcx.h png_writer.h reports.h shader_script.h skin_file.h truecolour.h vertex_normals.h "
format_words='\b(modelType|ModelType|kModel(Mdl|Md2|Md3)|(Mdl|Md2|Md3)(Data|File)|fileData)\b'

faults=0
asking=()
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
    [ "${rank[$name]}" -gt "${rank[model]}" ] || continue
    while IFS= read -r file; do
        asking+=("${file#"$src"/}")
    done < <({
        grep -rlE '^#include "formats/' "$folder" | while IFS= read -r file; do
            grep -oE '^#include "formats/[^"]+"' "$file" | sed -E 's|.*formats/([^"]+)"|\1|' |
                while IFS= read -r header; do
                    [[ "$not_model_readers" == *" $header "* ]] || echo "$file"
                done
        done
        grep -rlE "$format_words" "$folder"
    } | sort -u)
done
for file in "${asking[@]}"; do
    echo "$file includes a model reader's header or asks which format a model came from"
    faults=$((faults + 1))
done
files=$(find "$src" -mindepth 2 -name '*.cpp' -o -mindepth 2 -name '*.h' | wc -l)
if [ "$faults" -ne 0 ]; then
    echo "layers: $faults faults (${#asking[@]} files above model/ ask for a model's format)"
    exit 1
fi
echo "layers: ${#layers[@]} layers, $files files, every include runs downward, no file above model/ asks for a model's format"
