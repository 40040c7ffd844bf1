#include "gallery/pages.h"

#include <cctype>
#include <cstdio>

#include "platform/names.h"

const char kModelPage[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Tarnivel</title>
<style>
body { margin: 0; background: #2b2f36; color: #e8e8e8; font: 14px sans-serif; overflow: hidden; }
#side { position: absolute; top: 0; left: 0; max-height: 100%; overflow: auto; padding: 10px 14px;
        background: rgba(0, 0, 0, 0.45); }
#side a { color: #9cf; }
h1 { font-size: 15px; word-break: break-all; max-width: 22em; }
#animations { list-style: none; padding: 0; margin: 0; }
#animations button { width: 100%; text-align: left; margin: 1px 0; background: #444a55; color: inherit;
                     border: 0; padding: 3px 8px; cursor: pointer; }
#animations button.playing { background: #4f8a6b; }
</style>
</head>
<body>
<div id="side">
<a href="../index.html">All models</a>
<h1 id="title"></h1>
<p id="status">Loading...</p>
<ul id="animations"></ul>
</div>
<script src="three/three.min.js"></script>
<script src="three/GLTFLoader.js"></script>
<script src="three/OrbitControls.js"></script>
<script>
"use strict";
const file = decodeURIComponent(location.hash.slice(1));
const status = document.getElementById("status");
document.getElementById("title").textContent = file;
document.title = file + " - Tarnivel";
const renderer = new THREE.WebGLRenderer({ antialias: true, preserveDrawingBuffer: true });
renderer.setPixelRatio(window.devicePixelRatio);
renderer.setSize(window.innerWidth, window.innerHeight);
renderer.gammaOutput = true;
renderer.gammaFactor = 2.2;
document.body.appendChild(renderer.domElement);
const scene = new THREE.Scene();
scene.background = new THREE.Color(0x2b2f36);
scene.add(new THREE.HemisphereLight(0xffffff, 0x50505a, 1.1));
const sun = new THREE.DirectionalLight(0xffffff, 0.9);
sun.position.set(1, 3, 2);
scene.add(sun);
const camera = new THREE.PerspectiveCamera(40, window.innerWidth / window.innerHeight, 0.01, 1000);
const controls = new THREE.OrbitControls(camera, renderer.domElement);
const clock = new THREE.Clock();
let mixer = null;

// three.js drives the morph weights of every mesh below a node from the
// node's weights channel, one track each sharing the channel's values:
// only the first, the node's own, is the channel's.
function ownMorphTracks(clip) {
  const seen = new Set();
  clip.tracks = clip.tracks.filter(track => {
    if (!track.name.endsWith(".morphTargetInfluences")) return true;
    if (seen.has(track.values)) return false;
    seen.add(track.values);
    return true;
  });
}

// Each clip's tracks ("upper.position"): two clips that move nothing in
// common play together, as a player's legs and torso do.
const playing = new Map();  // clip to its button
function overlaps(a, b) {
  const names = new Set(a.tracks.map(track => track.name));
  return b.tracks.some(track => names.has(track.name));
}
function play(clip, button) {
  for (const [other, marked] of [...playing])
    if (other === clip || overlaps(other, clip)) {
      mixer.clipAction(other).stop();
      marked.classList.remove("playing");
      playing.delete(other);
    }
  mixer.clipAction(clip).reset().play();
  button.classList.add("playing");
  playing.set(clip, button);
}

// What a model plays when its page opens: a player stands idle, its legs
// and torso at rest together; a model with an idle animation plays it;
// any other its first.
function restClips(clips) {
  const named = names => clips.filter(clip => names.includes(clip.name.toLowerCase()));
  const player = named(["legs_idle", "torso_stand"]);
  if (player.length) return player;
  const idle = named(["idle", "stand"]);
  return idle.length ? idle.slice(0, 1) : clips.slice(0, 1);
}

function listAnimations(clips, first) {
  const list = document.getElementById("animations");
  clips.forEach((clip, i) => {
    const button = document.createElement("button");
    button.textContent = clip.name || "animation " + (i + 1);
    button.onclick = () => play(clip, button);
    const item = document.createElement("li");
    item.appendChild(button);
    list.appendChild(item);
    if (first.includes(clip)) play(clip, button);
  });
}

// Where a skinned vertex stands, in its mesh's axes, as three.js skins it.
function skinned(mesh, i, point) {
  const index = mesh.geometry.attributes.skinIndex, weight = mesh.geometry.attributes.skinWeight;
  const bound = point.clone().applyMatrix4(mesh.bindMatrix), sum = new THREE.Vector3(), bone = new THREE.Matrix4();
  const indices = [index.getX(i), index.getY(i), index.getZ(i), index.getW(i)];
  const weights = [weight.getX(i), weight.getY(i), weight.getZ(i), weight.getW(i)];
  for (let k = 0; k < 4; k++) {
    if (!weights[k]) continue;
    bone.multiplyMatrices(mesh.skeleton.bones[indices[k]].matrixWorld, mesh.skeleton.boneInverses[indices[k]]);
    sum.addScaledVector(bound.clone().applyMatrix4(bone), weights[k]);
  }
  return point.copy(sum.applyMatrix4(mesh.bindMatrixInverse));
}

// The box of every mesh's vertices as they stand now: morph targets
// weighed, skins posed, nodes moved.
function posedBox(model, box) {
  const point = new THREE.Vector3(), target = new THREE.Vector3(), base = new THREE.Vector3();
  model.updateMatrixWorld(true);
  model.traverse(node => {
    if (!node.isMesh) return;
    const geometry = node.geometry, positions = geometry.attributes.position;
    const targets = (geometry.morphAttributes && geometry.morphAttributes.position) || [];
    const weights = node.morphTargetInfluences || [];
    for (let i = 0; i < positions.count; i++) {
      point.fromBufferAttribute(positions, i);
      base.copy(point);
      targets.forEach((morph, k) => {
        if (!weights[k]) return;
        target.fromBufferAttribute(morph, i);
        if (!geometry.morphTargetsRelative) target.sub(base);
        point.addScaledVector(target, weights[k]);
      });
      if (node.isSkinnedMesh) skinned(node, i, point);
      box.expandByPoint(point.applyMatrix4(node.matrixWorld));
    }
  });
  return box;
}

// The box of the model over the whole of what plays, so the view never loses it.
function playedBox(model, clips) {
  const box = new THREE.Box3(), longest = Math.max(0, ...clips.map(clip => clip.duration));
  const steps = longest > 0 ? 24 : 0;
  for (let k = 0; k <= steps; k++) {
    mixer.setTime(steps ? longest * k / steps : 0);
    posedBox(model, box);
  }
  mixer.setTime(0);
  return box;
}

// The view is the window but for the side panel: the camera's middle is the
// middle of what is left of the window. Gives that part's width over its height.
function fitView() {
  const width = window.innerWidth, height = window.innerHeight;
  const panel = Math.min(document.getElementById("side").offsetWidth, width * 2 / 3);
  camera.aspect = (width + panel) / height;
  camera.setViewOffset(width + panel, height, 0, 0, width, height);
  camera.updateProjectionMatrix();
  renderer.setSize(width, height);
  return (width - panel) / height;
}

// The camera in front of the model and a little above, far enough that the
// box's sphere fits the narrower of the view's two angles.
function frame(box) {
  const sphere = box.isEmpty() ? new THREE.Sphere(new THREE.Vector3(), 1) : box.getBoundingSphere(new THREE.Sphere());
  const radius = sphere.radius || 1, half = camera.fov * Math.PI / 360;
  const narrower = Math.min(half, Math.atan(Math.tan(half) * fitView()));
  const distance = 1.1 * radius / Math.sin(narrower);
  camera.near = distance / 100;
  camera.far = distance * 10;
  camera.position.copy(sphere.center).add(new THREE.Vector3(0.13, 0.2, 1).normalize().multiplyScalar(distance));
  camera.updateProjectionMatrix();
  controls.target.copy(sphere.center);
  controls.update();
}

new THREE.GLTFLoader().load("../" + file, gltf => {
  const model = gltf.scene;
  scene.add(model);
  mixer = new THREE.AnimationMixer(model);
  gltf.animations.forEach(ownMorphTracks);
  const count = gltf.animations.length, first = restClips(gltf.animations);
  status.textContent = count === 1 ? "1 animation" : count + " animations";
  first.forEach(clip => mixer.clipAction(clip).play());
  frame(playedBox(model, first));
  mixer.stopAllAction();
  listAnimations(gltf.animations, first);
  document.body.dataset.loaded = "yes";
}, undefined, fault => {
  status.textContent = "Cannot load " + file + ": " + (fault.message || fault);
  document.body.dataset.loaded = "failed";
});

window.addEventListener("resize", fitView);
(function draw() {
  requestAnimationFrame(draw);
  if (mixer) mixer.update(clock.getDelta());
  renderer.render(scene, camera);
})();
</script>
</body>
</html>
)";

namespace {

const char kIndexHead[] = R"(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Tarnivel gallery</title>
<style>
body { margin: 0; padding: 12px 18px; background: #2b2f36; color: #e8e8e8; font: 14px sans-serif; }
#search { font-size: 15px; padding: 4px 8px; width: 24em; }
#models { display: flex; flex-wrap: wrap; gap: 10px; margin-top: 12px; }
.card { width: 200px; background: #3a3f48; color: inherit; text-decoration: none; padding: 6px; }
.card[hidden] { display: none; }
.card img { width: 200px; height: 200px; object-fit: contain; background: #23262c; display: block; }
.name { word-break: break-all; margin-top: 4px; }
.facts { color: #aab; font-size: 12px; }
</style>
</head>
<body>
)";

const char kIndexScript[] = R"(<script>
"use strict";
const search = document.getElementById("search");
const cards = Array.from(document.querySelectorAll(".card"));
function filter() {
  const wanted = search.value.trim().toLowerCase();
  let shown = 0;
  for (const card of cards) {
    card.hidden = wanted !== "" && !card.dataset.name.toLowerCase().includes(wanted);
    if (!card.hidden) shown++;
  }
  document.getElementById("shown").textContent = shown + " of " + cards.length + " models";
}
search.addEventListener("input", filter);
const asked = new URLSearchParams(location.search).get("search");
if (asked) search.value = asked;
filter();
</script>
</body>
</html>
)";

std::string Facts(const GalleryEntry& entry)
{
    std::string facts = entry.format + " &middot; " + std::to_string(entry.frames) +
                        (entry.frames == 1 ? " frame" : " frames");
    size_t count = entry.animations.size();
    facts += " &middot; " + std::to_string(count) + (count == 1 ? " animation" : " animations");
    return facts;
}

bool Viewable(const std::string& file)
{
    return file.size() > 4 && (file.compare(file.size() - 4, 4, ".glb") == 0 ||
                               (file.size() > 5 && file.compare(file.size() - 5, 5, ".gltf") == 0));
}

std::string Card(const GalleryEntry& entry)
{
    std::string link = Viewable(entry.file) ? "gallery/view.html#" + EscapeUrl(entry.file) : EscapeUrl(entry.file);
    std::string animations;
    for (const std::string& name : entry.animations)
        animations += (animations.empty() ? "" : ", ") + name;
    return "<a class=\"card\" href=\"" + EscapeHtml(link) + "\" data-name=\"" + EscapeHtml(entry.name) +
           "\" title=\"" + EscapeHtml(animations) + "\">\n<img loading=\"lazy\" alt=\"\" src=\"gallery/" +
           EscapeHtml(EscapeUrl(entry.name + ".png")) + "\">\n<div class=\"name\">" + EscapeHtml(entry.name) +
           "</div>\n<div class=\"facts\">" + Facts(entry) + "</div>\n</a>\n";
}

}  // namespace

std::string EscapeHtml(const std::string& text)
{
    std::string out;
    for (char c : AsText(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string EscapeUrl(const std::string& path)
{
    std::string out;
    for (unsigned char c : path) {
        if (isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char escaped[4];
            snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        }
    }
    return out;
}

std::string IndexPage(const std::vector<GalleryEntry>& entries)
{
    std::string page = kIndexHead;
    page += "<h1>" + std::to_string(entries.size()) + " models</h1>\n";
    page += "<input id=\"search\" type=\"search\" placeholder=\"Search by name\" autofocus> <span id=\"shown\"></span>\n";
    page += "<div id=\"models\">\n";
    for (const GalleryEntry& entry : entries)
        page += Card(entry);
    page += "</div>\n";
    return page + kIndexScript;
}
