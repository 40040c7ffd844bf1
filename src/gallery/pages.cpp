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

function listAnimations(clips) {
  const list = document.getElementById("animations");
  let playing = null;
  clips.forEach((clip, i) => {
    const button = document.createElement("button");
    button.textContent = clip.name || "animation " + (i + 1);
    button.onclick = () => {
      mixer.stopAllAction();
      if (playing) playing.classList.remove("playing");
      mixer.clipAction(clip).play();
      button.classList.add("playing");
      playing = button;
    };
    const item = document.createElement("li");
    item.appendChild(button);
    list.appendChild(item);
    if (i === 0) button.onclick();
  });
}

// The meshes' own vertices: three.js widens a box by every morph target's reach.
function baseBox(model) {
  const box = new THREE.Box3(), point = new THREE.Vector3();
  model.updateMatrixWorld(true);
  model.traverse(node => {
    const positions = node.isMesh && node.geometry.attributes.position;
    for (let i = 0; positions && i < positions.count; i++)
      box.expandByPoint(point.fromBufferAttribute(positions, i).applyMatrix4(node.matrixWorld));
  });
  return box;
}

new THREE.GLTFLoader().load("../" + file, gltf => {
  const model = gltf.scene;
  scene.add(model);
  const box = baseBox(model);
  const size = box.isEmpty() ? 1 : box.getSize(new THREE.Vector3()).length() || 1;
  const centre = box.isEmpty() ? new THREE.Vector3() : box.getCenter(new THREE.Vector3());
  camera.near = size / 200;
  camera.far = size * 50;
  camera.position.copy(centre).add(new THREE.Vector3(size * 0.2, size * 0.3, size * 1.5));
  camera.updateProjectionMatrix();
  controls.target.copy(centre);
  controls.update();
  mixer = new THREE.AnimationMixer(model);
  const count = gltf.animations.length;
  status.textContent = count === 1 ? "1 animation" : count + " animations";
  listAnimations(gltf.animations);
  document.body.dataset.loaded = "yes";
}, undefined, fault => {
  status.textContent = "Cannot load " + file + ": " + (fault.message || fault);
  document.body.dataset.loaded = "failed";
});

window.addEventListener("resize", () => {
  camera.aspect = window.innerWidth / window.innerHeight;
  camera.updateProjectionMatrix();
  renderer.setSize(window.innerWidth, window.innerHeight);
});
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
