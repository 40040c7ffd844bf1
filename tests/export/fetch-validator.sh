#!/usr/bin/env bash
# Fetches the Khronos glTF validator once into a cache outside the
# repository: fetch-validator.sh FOLDER (node_modules is made inside it).
# Never fails: without it the validation test is skipped and says why.
set -u
dest=${1:?usage: fetch-validator.sh FOLDER}
if [ -f "$dest/node_modules/gltf-validator/package.json" ]; then
    echo "validator: using $dest"
    exit 0
fi
mkdir -p "$dest"
if npm install --prefix "$dest" --no-audit --no-fund gltf-validator@2.0.0-dev.3.10 >"$dest/npm.log" 2>&1; then
    echo "validator: gltf-validator fetched into $dest"
else
    echo "validator: gltf-validator cannot be fetched here (see $dest/npm.log); the validation test is skipped"
fi
