#!/usr/bin/env bash
# The gallery of a batch export in a real browser: the demo folder exported,
# served by a plain web server, opened in headless Chromium. The index lists
# every model, its search filters them, and a model's page draws the model
# (the screenshot is not the bare background) with its animations listed.
# With the corpus, OpenArena's sarge exported whole: its page shows it
# standing (its legs' and torso's rest animations playing together) and
# inside the view at every moment of them.
# Ends with one "gallery: ..." line.
#   browser.sh BUILD_DIR [CORPUS_FOLDER]
set -u
build=$1 corpus=${2:-}
if ! command -v chromium >/dev/null || [ ! -f /usr/share/javascript/three/build/three.min.js ]; then
    echo "gallery: skipped, Chromium or three.js (libjs-three) is not installed"
    exit 0
fi
out=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server"; rm -rf "$out"' EXIT
fail() {
    echo "gallery: FAILED: $1"
    exit 1
}
env -u DISPLAY -u WAYLAND_DISPLAY "$build/tarnivel" --export "$out/site/" "$build/demo" 2>"$out/export.log" ||
    fail "the export: $(tail -n 3 "$out/export.log")"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
(cd "$out/site" && exec python3 -m http.server "$port" --bind 127.0.0.1) >/dev/null 2>&1 &
server=$!
url=http://127.0.0.1:$port
for _ in $(seq 50); do
    python3 -c "import urllib.request; urllib.request.urlopen('$url/index.html')" 2>/dev/null && break
    sleep 0.1
done
browse() {
    timeout 120 chromium --headless --no-sandbox --user-data-dir="$out/profile" --window-size=800,600 \
        --virtual-time-budget=10000 "$@" 2>/dev/null
}
list="$out/site/gallery/models.tsv"
models=$(wc -l <"$list")
cards=$(browse --dump-dom "$url/index.html" | grep -o '<a class="card"[^>]*>')
[ "$models" -gt 0 ] && [ "$(echo "$cards" | grep -c .)" -eq "$models" ] && ! echo "$cards" | grep -q hidden ||
    fail "the index shows $(echo "$cards" | grep -c .) cards for $models models"
shown=$(browse --dump-dom "$url/index.html?search=FIGURE" | grep -o '<a class="card"[^>]*>' | grep -vc hidden)
wanted=$(cut -f1 "$list" | grep -ci figure)
[ "$shown" -eq "$wanted" ] && [ "$shown" -lt "$models" ] || fail "searching \"FIGURE\" shows $shown, not $wanted"
# The model with the most animations.
IFS=$'\t' read -r name file _ _ animations < <(awk -F'\t' '{ print split($5, a, "\037") "\t" $0 }' "$list" |
    sort -rn | head -n 1 | cut -f2-)
count=$(echo "$animations" | tr '\037' '\n' | grep -c .)
dom=$(browse --dump-dom "$url/gallery/view.html#$file")
echo "$dom" | grep -q 'data-loaded="yes"' || fail "$file did not load: $(echo "$dom" | grep -o '<p id="status">[^<]*')"
buttons=$(echo "$dom" | grep -o '<button' | wc -l)
[ "$buttons" -eq "$count" ] || fail "$file lists $buttons animations, not $count"
browse --screenshot="$out/view.png" "$url/gallery/view.html#$file" >/dev/null
# Right of the side panel: the share of pixels that are not the page's background.
drawn=$(/usr/bin/convert "$out/view.png" -crop 500x600+300+0 +repage -fill black -opaque '#2b2f36' \
    -fill white +opaque black -colorspace gray -format '%[fx:int(100 * mean + 0.5)]' info:)
[ "${drawn:-0}" -ge 2 ] || fail "$file is not drawn (${drawn:-?} % of the view differs from the background)"
player=
pak="$corpus/openarena/baseoa/pak0.pk3"
if [ -f "$pak" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY "$build/tarnivel" --export "$out/site/oa/" --no-gallery "$pak" 2>"$out/export.log" ||
        fail "the OpenArena export: $(tail -n 3 "$out/export.log")"
    page="$url/gallery/view.html#oa/models/players/sarge.glb"
    marked=$(browse --dump-dom "$page" | grep -o '<button class="playing">[^<]*' | sed 's/.*>//' | sort | tr '\n' ' ')
    [ "$marked" = "LEGS_IDLE TORSO_STAND " ] || fail "sarge's page plays ${marked:-nothing}, not LEGS_IDLE and TORSO_STAND"
    for budget in 1200 1550 1900 2250 2600; do
        browse --virtual-time-budget="$budget" --screenshot="$out/sarge.png" "$page" >/dev/null
        seen=$(/usr/bin/convert "$out/sarge.png" -crop 480x600+320+0 +repage -fill black -opaque '#2b2f36' \
            -fill white +opaque black -format '%[fx:int(1000 * mean)]' info:)
        [ "${seen:-0}" -gt 0 ] || fail "sarge is not drawn at ${budget} ms"
        # Right of the side panel, the edges of the view are the background's alone.
        for strip in 480x1+320+0 480x1+320+599 1x600+799+0 1x600+320+0; do
            lit=$(/usr/bin/convert "$out/sarge.png" -crop "$strip" +repage -fill black -opaque '#2b2f36' \
                -fill white +opaque black -format '%[fx:int(1000 * mean)]' info:)
            [ "${lit:-1}" -eq 0 ] || fail "sarge touches the edge of the view ($strip) at ${budget} ms"
        done
    done
    player=", sarge standing idle (legs and torso) and inside the view at 5 moments"
fi
echo "gallery: $models models listed, the search for \"FIGURE\" keeps $shown, $name drawn (${drawn} % of the view)" \
    "with its $count animations listed$player, in headless Chromium"
