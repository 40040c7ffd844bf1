#!/usr/bin/env bash
# The real engines load what tarnivel writes into the games' formats:
#   engines.sh BUILD_DIR CORPUS_FOLDER
# Models of every format read (the demo's, the corpus's, Blender's glTF)
# are written as MD3, IQM, MD2 and MDL (skins in a palette made up here), and
# a player folder from a player through glTF; then
#   - DarkPlaces (dedicated, no display) precaches every one: no Host_Error,
#     no warning of what it mends, every one listed;
#   - assimp reads every MD3, MD2 and MDL;
#   - ioquake3 runs OpenArena under Xvfb with a written weapon in hand and a
#     written player seen from behind, their pictures painted magenta: both
#     drawn, and no R_LoadMD3 or R_LoadIQM warning in its console.
# Ends with one "engines: ..." line; fails when an engine refuses a file.
set -u
build=$1 corpus=$2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$corpus/openarena/baseoa/pak6-patch085.pk3" ] || [ ! -d "$corpus/openarena/lib" ]; then
    echo "engines: skipped, no OpenArena in $corpus (tests/corpus/fetch-corpus.sh fetches it)"
    exit 0
fi
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
failed=0
fault() {
    echo "engines: $*" >&2
    failed=1
}
tarnivel() {
    "$build/tarnivel" "$@" 2>>"$work/notes" || fault "tarnivel $* failed: $(tail -n 1 "$work/notes")"
}

# What is written: SOURCE OUTPUT-NAME, one a line.
models=$work/dp/id1/models/tarnivel
mkdir -p "$models" "$work/blender"
blender -b --python-exit-code 1 --python "$here/../offscreen/blender-figures.py" -- "$work/blender" >/dev/null 2>&1 ||
    fault "Blender made no models"
C=$corpus
cat >"$work/sources" <<EOF
$build/demo/figure.md2 figure.md3
$build/demo/creature.mdl creature.md3
$C/ufoai/base/0models.pk3/models/soldiers/male/body.md2 body.md3
$C/quake/ktx/progs/$(cd "$C/quake/ktx/progs" && ls ./*.mdl | head -n 1) ktx.md3
$C/openarena/baseoa/pak0.pk3/models/weapons2/rocketl/rocketl.md3 rocketl.md3
$C/nexuiz/data/data.pk3/models/ebomb.mdl ebomb.md3
$C/redeclipse/data/actors/player/male/RE_Player_male.iqm male.md3
$C/redeclipse/data/actors/player/male/RE_Player_male.iqm male.iqm
$C/redeclipse/data/actors/player/hud_hands.md5mesh hands.iqm
$work/blender/figure.glb figure_blender.md3
$work/blender/figure.glb figure_blender.iqm
$work/blender/shapes.glb shapes_blender.md3
$build/demo/figure.md2 figure.md2
$build/demo/creature.mdl creature.mdl
$C/ufoai/base/0models.pk3/models/soldiers/male/body.md2 body.md2
$C/quake/ktx/progs/$(cd "$C/quake/ktx/progs" && ls ./*.mdl | head -n 1) ktx.mdl
$C/openarena/baseoa/pak0.pk3/models/weapons2/rocketl/rocketl.md3 rocketl.md2
$C/openarena/baseoa/pak0.pk3/models/weapons2/rocketl/rocketl.md3 rocketl.mdl
$C/nexuiz/data/data.pk3/models/gibs/gib3.mdl gib3.mdl
$C/redeclipse/data/actors/player/male/RE_Player_male.iqm male.mdl
$C/redeclipse/data/actors/player/hud_hands.md5mesh hands.md2
$work/blender/figure.glb figure_blender.md2
$work/blender/figure.glb figure_blender.mdl
$work/blender/shapes.glb shapes_blender.mdl
EOF
# A palette of 256 made-up colours for the skins of MD2 and MDL.
python3 -c "import sys; sys.stdout.buffer.write(bytes((i * k) % 256 for i in range(256) for k in (37, 91, 53)))" \
    >"$work/palette.lmp"
while read -r source output; do
    [ -e "$source" ] || [ -e "${source%%.pk3/*}.pk3" ] || continue
    case $output in
    *.md2 | *.mdl) tarnivel --export "$models/$output" --palette "$work/palette.lmp" "$source" ;;
    *) tarnivel --export "$models/$output" "$source" ;;
    esac
done <"$work/sources"
# A player to glTF, and that glTF back into a player folder.
tarnivel --export "$work/sarge.glb" "$C/openarena/baseoa/pak0.pk3/models/players/sarge/"
tarnivel --export "$models/sarge.md3" "$work/sarge.glb"

# DarkPlaces, every model at once.
written=$(cd "$work/dp/id1" && find models/tarnivel -name '*.md3' -o -name '*.iqm' -o -name '*.md2' -o -name '*.mdl' | sort)
precache=()
for model in $written; do precache+=(+modelprecache "$model"); done
/usr/games/darkplaces -dedicated -basedir "$work/dp" "${precache[@]}" +modellist +quit >"$work/dp.log" 2>&1
listed=0
for model in $written; do grep -q " $model\$" "$work/dp.log" && listed=$((listed + 1)); done
total=$(echo "$written" | wc -w)
grep -E "Host_Error|invalid|changing to|WARNING" "$work/dp.log" && fault "DarkPlaces refused or mended a file"
[ "$listed" -eq "$total" ] || fault "DarkPlaces loaded $listed of $total models"

# assimp, every MD3, MD2 and MDL.
read_md3=0
md3s=$(echo "$written" | grep -c '\.md[l23]$')
for model in $(echo "$written" | grep '\.md[l23]$'); do
    assimp info "$work/dp/id1/$model" 2>&1 | grep -q '^Meshes: *[1-9]' && read_md3=$((read_md3 + 1))
done
[ "$read_md3" -eq "$md3s" ] || fault "assimp read $read_md3 of $md3s MD3, MD2 and MDL files"

# ioquake3 and OpenArena: the game's pk3s and native libraries, a mod of what tarnivel wrote.
q3=$work/q3
mkdir -p "$q3/base/baseoa" "$q3/home"
ln -s "$C"/openarena/baseoa/*.pk3 "$q3/base/baseoa/"
cp "$C"/openarena/lib/*.so "$q3/base/baseoa/"
play() {  # play MOD [cvars...]: the game on oa_minia, a screenshot, its console in MOD.log
    local mod=$1
    shift
    xvfb-run -a -s "-screen 0 1024x768x24" /usr/lib/ioquake3/ioquake3 +set fs_basepath "$q3/base" \
        +set fs_homepath "$q3/home" +set com_basegame baseoa +set fs_game "$mod" +set vm_ui 0 +set vm_cgame 0 \
        +set vm_game 0 +set sv_pure 0 +set s_initsound 0 +set r_mode 3 "$@" +devmap oa_minia +wait 300 +screenshot \
        +quit >"$work/$mod.log" 2>&1
    grep -E "R_Load(MD3|IQM)" "$work/$mod.log" && fault "ioquake3 warned of a model in $mod"
    local shot=$q3/home/$mod/screenshots/shot0000.tga
    [ -f "$shot" ] && python3 "$here/pictures.py" count "$shot" || echo 0
}
gun=$q3/base/weapon/models/weapons2/machinegun
mkdir -p "$gun"
tarnivel --export "$gun/machinegun.md3" "$C/openarena/baseoa/pak0.pk3/models/weapons2/rocketl/rocketl.md3"
python3 "$here/pictures.py" paint "$gun"/*.png
in_hand=$(play weapon)
mkdir -p "$q3/base/player/models/players"
tarnivel --export "$q3/base/player/models/players/sarge.md3" "$work/sarge.glb"
python3 "$here/pictures.py" paint "$q3/base/player/models/players/sarge"/*.png
behind=$(play player +set model sarge +set cg_thirdPerson 1)
[ "$in_hand" -gt 1000 ] || fault "ioquake3 drew no written weapon ($in_hand magenta pixels)"
[ "$behind" -gt 1000 ] || fault "ioquake3 drew no written player ($behind magenta pixels)"

summary="$total models written as MD3, IQM, MD2 and MDL (a player folder among them): DarkPlaces loaded $listed,"
summary+=" assimp read $read_md3 of $md3s MD3, MD2 and MDL, ioquake3 with OpenArena drew a written weapon in hand ($in_hand magenta pixels)"
summary+=" and a player ($behind) with no loader warning"
[ "$failed" -eq 0 ] && echo "engines: $summary" || echo "engines: FAILED ($summary)"
exit "$failed"
