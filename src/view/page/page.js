// The 3-D page of kalvane-view: the undeformed and the deformed structure as one line buffer
// each (slack cables dashed), supports and loads, picking, and kalvane-path's
// load-displacement curve with its states played (animate.js).
// Every text of the model arrives as JSON data and reaches the document only as textContent.
import * as THREE from 'three';
import { OrbitControls } from 'three/addons/controls/OrbitControls.js';
import { startAnimation } from './animate.js';

const root = document.documentElement;
const meta = JSON.parse(document.getElementById('kalvane-meta').textContent);

// A data block: base64 of a little-endian typed array. The text is dropped once decoded.
function decoded(id, Type) {
  const element = document.getElementById(id);
  const text = element.textContent.trim();
  element.remove();
  let bytes;
  if (Uint8Array.fromBase64) {
    bytes = Uint8Array.fromBase64(text);
  } else {
    const binary = atob(text);
    bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  }
  return new Type(bytes.buffer, bytes.byteOffset, bytes.byteLength / Type.BYTES_PER_ELEMENT);
}

const nodeCount = meta.nodes, barCount = meta.bars;
const initial = decoded('kalvane-initial', Float64Array);            // x, y, z of node k at 3k
const displacement = decoded('kalvane-displacement', Float64Array);  // the report's, same layout
const ends = decoded('kalvane-ends', Uint32Array);                   // zero-based nodes of bar e at 2e
const stress = decoded('kalvane-stress', Float64Array);
const colours = decoded('kalvane-colour', Uint8Array);               // the stress colour of bar e at 3e
const areas = meta.area === null ? decoded('kalvane-area', Float64Array) : null;
if (areas === null) document.getElementById('kalvane-area').remove();
const areaOf = (e) => (areas ? areas[e] : meta.area);
// A model file's bars: their own law's force and stretch, their material and state (empty
// for an input.txt run, whose force and stretch are formed from the stress below).
const barForce = decoded('kalvane-force', Float64Array);
const barStretch = decoded('kalvane-stretch', Float64Array);
const barMaterial = decoded('kalvane-material', Uint32Array);
const barState = decoded('kalvane-state', Uint8Array);
const barCable = decoded('kalvane-cable', Uint8Array);  // 1: a tension-only cable
const materials = meta.materials;
const stateNames = ['tension', 'compression', 'slack'];
// The state each bar is drawn in: a model file's own, or the path's state's as it plays.
const shownState = new Uint8Array(barCount);
if (barState.length === barCount) shownState.set(barState);
const statesKnown = barState.length === barCount || !!meta.animation;
performance.mark('kalvane-decoded');

// The colour scale of kalvane-view's pictures (svg.cpp's stress_colour): from grey at zero
// to the tension or compression colour at the limit, black for a value that is not a number.
const hex = (text) => [1, 3, 5].map((i) => parseInt(text.slice(i, i + 2), 16));
const scale = { tension: hex(meta.scale.tension), neutral: hex(meta.scale.neutral), compression: hex(meta.scale.compression) };
function colourOf(value, limit, out, at) {
  let rgb;
  if (Number.isNaN(value)) rgb = [0, 0, 0];
  else if (value === 0) rgb = scale.neutral;
  else {
    let t = value / limit;
    if (!(Math.abs(t) <= 1)) t = value > 0 ? 1 : -1;
    const end = t > 0 ? scale.tension : scale.compression, w = Math.abs(t);
    rgb = [0, 1, 2].map((c) => Math.round(scale.neutral[c] + (end[c] - scale.neutral[c]) * w));
  }
  out[at] = out[at + 3] = rgb[0];
  out[at + 1] = out[at + 4] = rgb[1];
  out[at + 2] = out[at + 5] = rgb[2];
}

const colour = {
  slack: 0x999999,
  undeformed: 0xbbbbbb, nodes: 0x333333, supports: 0x1b7837, loads: 0xe66101, highlight: 0xffb000,
};

// ---- Geometry: sizes, and positions relative to the centre (float32 keeps its digits there).
const lo = [Infinity, Infinity, Infinity], hi = [-Infinity, -Infinity, -Infinity];
for (let k = 0; k < nodeCount; ++k)
  for (let c = 0; c < 3; ++c) {
    lo[c] = Math.min(lo[c], initial[3 * k + c]);
    hi[c] = Math.max(hi[c], initial[3 * k + c]);
  }
const centre = nodeCount ? lo.map((v, c) => (v + hi[c]) / 2) : [0, 0, 0];
let diagonal = nodeCount ? Math.hypot(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]) : 0;
if (!(diagonal > 0)) diagonal = 1;

const movable = new Uint8Array(nodeCount);  // 1 where all three displacements are finite
for (let k = 0; k < nodeCount; ++k)
  movable[k] = Number.isFinite(displacement[3 * k]) && Number.isFinite(displacement[3 * k + 1]) &&
               Number.isFinite(displacement[3 * k + 2]) ? 1 : 0;

function undeformedLength(e) {
  const a = 3 * ends[2 * e], b = 3 * ends[2 * e + 1];
  const dx = initial[b] - initial[a], dy = initial[b + 1] - initial[a + 1], dz = initial[b + 2] - initial[a + 2];
  return Math.sqrt(dx * dx + dy * dy + dz * dz);
}
let meanBar = 0;
for (let e = 0; e < barCount; ++e) meanBar += undeformedLength(e);
meanBar = barCount ? meanBar / barCount : diagonal;
const clamp = (v, low, high) => Math.min(Math.max(v, low), high);
const glyphSize = clamp(0.4 * meanBar, 0.005 * diagonal, 0.04 * diagonal);
const arrowLength = clamp(3 * meanBar, 0.03 * diagonal, 0.1 * diagonal);

// Node positions of a shape: magnify 0 is the undeformed one. A node that moved by a value
// that is not a number stays where it was, and its bars are not drawn in the deformed shape.
function nodePositions(magnify, out) {
  for (let k = 0; k < nodeCount; ++k)
    for (let c = 0; c < 3; ++c) {
      const i = 3 * k + c;
      out[i] = initial[i] - centre[c] + (magnify && movable[k] ? magnify * displacement[i] : 0);
    }
  return out;
}

function barPositions(nodes, out, deformed) {
  for (let e = 0; e < barCount; ++e) {
    const a = ends[2 * e], b = ends[2 * e + 1];
    const drawn = !deformed || (movable[a] && movable[b]);
    for (let c = 0; c < 3; ++c) {
      out[6 * e + c] = nodes[3 * a + c];
      out[6 * e + 3 + c] = drawn ? nodes[3 * b + c] : nodes[3 * a + c];
    }
  }
  return out;
}

// ---- Renderer, scene and camera. Colours go to the screen as written, unconverted.
THREE.ColorManagement.enabled = false;
const canvas = document.getElementById('canvas');
const view = document.getElementById('view');
let renderer;
try {
  // Multisampling smooths a few thousand bars; for a dense mesh of millions it only costs
  // (4 times the work in a software renderer), and the bars are finer than a pixel anyway.
  renderer = new THREE.WebGLRenderer({ canvas, antialias: barCount <= 250000 });
} catch (error) {
  const message = document.getElementById('message');
  message.textContent = 'This browser cannot draw with WebGL here: ' + error.message;
  message.hidden = false;
  root.setAttribute('data-error', 'webgl');
  throw error;
}
renderer.outputColorSpace = THREE.LinearSRGBColorSpace;
renderer.setPixelRatio(window.devicePixelRatio || 1);
renderer.setClearColor(0xffffff, 1);

const scene = new THREE.Scene();
const camera = new THREE.OrthographicCamera(-1, 1, 1, -1, 0.1, 100);
camera.up.set(0, 0, 1);
const controls = new OrbitControls(camera, canvas);
controls.screenSpacePanning = true;

function lineObject(positions, material, colourBytes) {
  const geometry = new THREE.BufferGeometry();
  geometry.setAttribute('position', new THREE.BufferAttribute(positions, 3));
  if (colourBytes) geometry.setAttribute('color', new THREE.BufferAttribute(colourBytes, 3, true));
  const object = new THREE.LineSegments(geometry, material);
  object.frustumCulled = false;
  return object;
}

const undeformedNodes = nodePositions(0, new Float32Array(3 * nodeCount));
const deformedNodes = new Float32Array(3 * nodeCount);
const undeformed = lineObject(barPositions(undeformedNodes, new Float32Array(6 * barCount), false),
                              new THREE.LineBasicMaterial({ color: colour.undeformed }));
const barColours = new Uint8Array(6 * barCount);
for (let e = 0; e < barCount; ++e)
  for (let c = 0; c < 3; ++c) barColours[6 * e + c] = barColours[6 * e + 3 + c] = colours[3 * e + c];
const deformed = lineObject(new Float32Array(6 * barCount), new THREE.LineBasicMaterial({ vertexColors: true }),
                            barColours);
// Slack cables: the same positions, drawn by a second index as grey dashes; the deformed
// shape's own index leaves them out. Both indices are rewritten in place as the states change.
deformed.geometry.setIndex(new THREE.BufferAttribute(new Uint32Array(2 * barCount), 1));
const slackGeometry = new THREE.BufferGeometry();
slackGeometry.setAttribute('position', deformed.geometry.attributes.position);
slackGeometry.setAttribute('lineDistance', new THREE.BufferAttribute(new Float32Array(2 * barCount), 1));
slackGeometry.setIndex(new THREE.BufferAttribute(new Uint32Array(2 * barCount), 1));
const nodeGeometry = new THREE.BufferGeometry();
nodeGeometry.setAttribute('position', new THREE.BufferAttribute(deformedNodes, 3));
const nodeDots = new THREE.Points(nodeGeometry, new THREE.PointsMaterial({ color: colour.nodes, size: 4, sizeAttenuation: false }));
nodeDots.frustumCulled = false;
nodeDots.visible = nodeCount <= 5000;  // dots help on a small model and hide a large one
// The undeformed shape is a reference: drawn first and leaving no depth, it never hides the
// deformed one (a net that sags away from the viewer would otherwise vanish behind it).
undeformed.material.depthWrite = false;
undeformed.renderOrder = -1;
const slack = new THREE.LineSegments(slackGeometry, new THREE.LineDashedMaterial({
  color: colour.slack, dashSize: 0.12 * meanBar, gapSize: 0.08 * meanBar }));
slack.frustumCulled = false;
scene.add(undeformed, deformed, slack, nodeDots);

// Each bar into the solid or the dashed set by its state; returns the count of slack ones.
function sortBarsByState() {
  const solid = deformed.geometry.index, dashed = slackGeometry.index;
  let s = 0, d = 0;
  for (let e = 0; e < barCount; ++e) {
    const into = shownState[e] === 2 ? dashed.array : solid.array;
    const at = shownState[e] === 2 ? (d += 2) - 2 : (s += 2) - 2;
    into[at] = 2 * e;
    into[at + 1] = 2 * e + 1;
  }
  deformed.geometry.setDrawRange(0, s);
  slackGeometry.setDrawRange(0, d);
  solid.needsUpdate = dashed.needsUpdate = true;
  return d / 2;
}

// The dashes run along each bar from its first end.
function placeDashes() {
  const p = deformed.geometry.attributes.position.array, distance = slackGeometry.attributes.lineDistance;
  for (let e = 0; e < barCount; ++e) {
    const a = 6 * e;
    distance.array[2 * e] = 0;
    distance.array[2 * e + 1] = Math.hypot(p[a + 3] - p[a], p[a + 4] - p[a + 1], p[a + 5] - p[a + 2]);
  }
  distance.needsUpdate = true;
}

// ---- Supports and loads, drawn at the nodes of the deformed shape.
const marks = meta.marks;
let supportSegments = 0, largestLoad = 0;
const loaded = [];  // indices into marks of the nodes with a load
for (let i = 0; i < marks.node.length; ++i) {
  for (let c = 0; c < 3; ++c) if (marks.held[i] & (1 << c)) supportSegments += 3;
  const fx = marks.load[3 * i], fy = marks.load[3 * i + 1], fz = marks.load[3 * i + 2];
  const size = Math.sqrt(fx * fx + fy * fy + fz * fz);
  if (size > 0 && Number.isFinite(size)) loaded.push(i), largestLoad = Math.max(largestLoad, size);
}
const supports = lineObject(new Float32Array(6 * supportSegments), new THREE.LineBasicMaterial({ color: colour.supports }));
const loads = lineObject(new Float32Array(30 * loaded.length), new THREE.LineBasicMaterial({ color: colour.loads }));
// Thousands of arrows hide the structure they load: then they start hidden.
loads.visible = loaded.length <= 5000;
document.getElementById('show-loads').checked = loads.visible;
scene.add(supports, loads);

function writeSegment(out, at, a, b) {
  out.set(a, 6 * at);
  out.set(b, 6 * at + 3);
  return at + 1;
}

// A held component: a short post along its axis ending in a cross, like a small footing.
function placeSupports(nodes) {
  const out = supports.geometry.attributes.position.array;
  let at = 0;
  for (let i = 0; i < marks.node.length; ++i) {
    const p = nodes.subarray(3 * (marks.node[i] - 1), 3 * marks.node[i]);
    for (let c = 0; c < 3; ++c) {
      if (!(marks.held[i] & (1 << c))) continue;
      const foot = [p[0], p[1], p[2]];
      foot[c] -= glyphSize;
      at = writeSegment(out, at, p, foot);
      for (const other of [(c + 1) % 3, (c + 2) % 3]) {
        const a = foot.slice(), b = foot.slice();
        a[other] -= 0.45 * glyphSize;
        b[other] += 0.45 * glyphSize;
        at = writeSegment(out, at, a, b);
      }
    }
  }
  supports.geometry.attributes.position.needsUpdate = true;
}

// A load: an arrow ending at its node, its length in proportion to the largest load.
function placeLoads(nodes) {
  const out = loads.geometry.attributes.position.array;
  let at = 0;
  const put = (x, y, z) => { out[at++] = x; out[at++] = y; out[at++] = z; };
  for (const i of loaded) {
    const fx = marks.load[3 * i], fy = marks.load[3 * i + 1], fz = marks.load[3 * i + 2];
    const size = Math.sqrt(fx * fx + fy * fy + fz * fz);
    const length = arrowLength * size / largestLoad;
    const dx = fx / size, dy = fy / size, dz = fz / size;
    const k = 3 * (marks.node[i] - 1);
    const x = nodes[k], y = nodes[k + 1], z = nodes[k + 2];
    put(x - length * dx, y - length * dy, z - length * dz);
    put(x, y, z);
    // Two perpendicular pairs of barbs, so the head shows from any side: u = d x axis, w = d x u.
    const [ax, ay, az] = Math.abs(dx) < 0.9 ? [1, 0, 0] : [0, 1, 0];
    let ux = dy * az - dz * ay, uy = dz * ax - dx * az, uz = dx * ay - dy * ax;
    const un = Math.sqrt(ux * ux + uy * uy + uz * uz);
    ux /= un, uy /= un, uz /= un;
    const wx = dy * uz - dz * uy, wy = dz * ux - dx * uz, wz = dx * uy - dy * ux;
    for (const [sx, sy, sz] of [[ux, uy, uz], [-ux, -uy, -uz], [wx, wy, wz], [-wx, -wy, -wz]]) {
      put(x, y, z);
      put(x - 0.25 * length * dx + 0.1 * length * sx, y - 0.25 * length * dy + 0.1 * length * sy,
          z - 0.25 * length * dz + 0.1 * length * sz);
    }
  }
  loads.geometry.attributes.position.needsUpdate = true;
}

// ---- Magnification: a logarithmic slider from 1 to ten times the automatic factor.
const slider = document.getElementById('magnify');
const largestMagnify = Math.max(1, 10 * meta.auto_magnification);
const magnifyOf = (position) => Math.pow(largestMagnify, position / 1000);
let magnify = clamp(meta.auto_magnification, 1, largestMagnify);
slider.value = largestMagnify > 1 ? String(Math.round(1000 * Math.log(magnify) / Math.log(largestMagnify))) : '0';
slider.disabled = largestMagnify === 1;

function placeDeformed() {
  nodePositions(magnify, deformedNodes);
  barPositions(deformedNodes, deformed.geometry.attributes.position.array, true);
  deformed.geometry.attributes.position.needsUpdate = true;
  placeDashes();
  nodeGeometry.attributes.position.needsUpdate = true;
  // Hidden marks are placed when shown: thousands of load arrows cost a state change of a large net.
  if (supports.visible) placeSupports(deformedNodes);
  if (loads.visible) placeLoads(deformedNodes);
  document.getElementById('magnify-value').textContent = ' ' + magnify.toPrecision(4) +
    (Math.abs(magnify - meta.auto_magnification) < 1e-9 * magnify ? ' (auto)' : '');
  root.setAttribute('data-magnification', String(magnify));
}

// ---- Views: along X, Y, Z, isometric; fit keeps the direction and frames everything.
const directions = {
  x: [1, 0, 0], y: [0, -1, 0], z: [0, -1e-4, 1], iso: [1, -1, 1],
  start: [0.433, -0.75, 0.5],  // a general direction: no lattice diagonal collapses to a point
};
let halfHeight = 1;
let framed = [0, 0];  // the view's size at the last frame(): the observer's first call changes nothing

function frame() {
  framed = [view.clientWidth, view.clientHeight];
  const width = Math.max(1, view.clientWidth), height = Math.max(1, view.clientHeight);
  renderer.setSize(width, height, false);
  const aspect = width / height;
  camera.left = -halfHeight * aspect;
  camera.right = halfHeight * aspect;
  camera.top = halfHeight;
  camera.bottom = -halfHeight;
  camera.updateProjectionMatrix();
}

// Looks at the structure from `direction` (or the current one) and frames both shapes and
// their marks: the box's corners, seen along the direction, set the centre and the size.
function fit(direction) {
  const box = new THREE.Box3().setFromArray(undeformedNodes).union(new THREE.Box3().setFromArray(deformedNodes));
  box.expandByScalar(Math.max(glyphSize, largestLoad > 0 ? arrowLength : 0));
  const centre3 = box.getCenter(new THREE.Vector3());
  const radius = Math.max(box.getSize(new THREE.Vector3()).length() / 2, 1e-9 * diagonal);
  const d = new THREE.Vector3(...(direction || camera.position.clone().sub(controls.target).toArray())).normalize();
  camera.position.copy(centre3).addScaledVector(d, 10 * radius);
  camera.lookAt(centre3);
  camera.updateMatrixWorld();
  const right = new THREE.Vector3().setFromMatrixColumn(camera.matrixWorld, 0);
  const up = new THREE.Vector3().setFromMatrixColumn(camera.matrixWorld, 1);
  let u0 = Infinity, u1 = -Infinity, v0 = Infinity, v1 = -Infinity;
  for (let corner = 0; corner < 8; ++corner) {
    const p = new THREE.Vector3(corner & 1 ? box.max.x : box.min.x, corner & 2 ? box.max.y : box.min.y,
                                corner & 4 ? box.max.z : box.min.z).sub(centre3);
    u0 = Math.min(u0, p.dot(right)), u1 = Math.max(u1, p.dot(right));
    v0 = Math.min(v0, p.dot(up)), v1 = Math.max(v1, p.dot(up));
  }
  const target = centre3.clone().addScaledVector(right, (u0 + u1) / 2).addScaledVector(up, (v0 + v1) / 2);
  controls.target.copy(target);
  camera.position.copy(target).addScaledVector(d, 10 * radius);
  camera.near = 0.1 * radius;
  camera.far = 20 * radius;
  camera.zoom = 1;
  // The structure goes between the panels on either side, where the view is wide enough.
  const panels = 2 * (Math.max(document.getElementById('controls').offsetWidth, document.getElementById('legend').offsetWidth) + 12);
  const width = view.clientWidth > 2 * panels ? view.clientWidth - panels : view.clientWidth;
  const aspect = Math.max(1, width) / Math.max(1, view.clientHeight);
  halfHeight = 1.05 * Math.max((v1 - v0) / 2, (u1 - u0) / 2 / aspect, 1e-6 * radius);
  frame();
  controls.update();
  requestRender();
}

// ---- Drawing on demand: a frame only when something changed.
let renderPending = false, drawn = false;
function requestRender() {
  if (renderPending) return;
  renderPending = true;
  requestAnimationFrame(() => {
    renderPending = false;
    renderer.render(scene, camera);
    if (!drawn) firstFrameDrawn();
  });
}
controls.addEventListener('change', requestRender);
new ResizeObserver(() => {
  if (framed[0] === view.clientWidth && framed[1] === view.clientHeight) return;
  frame();
  requestRender();
}).observe(view);

// ---- Picking: the shape drawn again off screen, each bar and node in a colour of its own
// number, in a small square around the pointer; the nearest coloured pixel names it.
const pickable = barCount + nodeCount < 1 << 24;
const pickMaterial = (size) => new THREE.ShaderMaterial({
  vertexShader: 'attribute vec3 pickColor; varying vec3 vPick; void main() { vPick = pickColor; ' +
    'gl_PointSize = ' + size.toFixed(1) + '; gl_Position = projectionMatrix * modelViewMatrix * vec4(position, 1.0); }',
  fragmentShader: 'varying vec3 vPick; void main() { gl_FragColor = vec4(vPick, 1.0); }',
});
function idColours(count, first, perItem) {
  const out = new Uint8Array(3 * perItem * count);
  for (let i = 0, at = 0; i < count; ++i) {
    const id = first + i;
    for (let j = 0; j < perItem; ++j, at += 3) {
      out[at] = (id >> 16) & 255;
      out[at + 1] = (id >> 8) & 255;
      out[at + 2] = id & 255;
    }
  }
  return out;
}
const pickScene = new THREE.Scene();
let pickBars = null, pickNodes = null;
if (pickable) {
  const barIds = new THREE.BufferAttribute(idColours(barCount, 1, 2), 3, true);
  pickBars = new THREE.LineSegments(new THREE.BufferGeometry(), pickMaterial(1));
  pickBars.geometry.setAttribute('pickColor', barIds);
  const nodeIds = new THREE.BufferAttribute(idColours(nodeCount, barCount + 1, 1), 3, true);
  const nodeMaterial = pickMaterial(9 * renderer.getPixelRatio());
  nodeMaterial.depthTest = false;
  pickNodes = new THREE.Points(new THREE.BufferGeometry(), nodeMaterial);
  pickNodes.geometry.setAttribute('pickColor', nodeIds);
  pickBars.frustumCulled = pickNodes.frustumCulled = false;
  pickNodes.renderOrder = 1;
  pickScene.add(pickBars, pickNodes);
}
const undeformedNodeAttribute = new THREE.BufferAttribute(undeformedNodes, 3);
const pickRadius = Math.round(6 * renderer.getPixelRatio());
const pickSize = 2 * pickRadius + 1;
const pickTarget = new THREE.WebGLRenderTarget(pickSize, pickSize);
const pickPixels = new Uint8Array(4 * pickSize * pickSize);

// What is under the client point (x, y): {bar: e} or {node: k} (zero-based), or null.
function pickAt(x, y) {
  const shape = deformed.visible ? deformed : undeformed.visible ? undeformed : null;
  if (!pickable || !shape) return null;
  pickBars.geometry.setAttribute('position', shape.geometry.attributes.position);
  pickNodes.geometry.setAttribute('position', shape === deformed ? nodeGeometry.attributes.position : undeformedNodeAttribute);
  const rect = canvas.getBoundingClientRect();
  const ratio = renderer.getPixelRatio();
  const px = Math.round((x - rect.left) * ratio), py = Math.round((y - rect.top) * ratio);
  camera.setViewOffset(canvas.width, canvas.height, px - pickRadius, py - pickRadius, pickSize, pickSize);
  renderer.setRenderTarget(pickTarget);
  renderer.setClearColor(0x000000, 1);
  renderer.clear();
  renderer.render(pickScene, camera);
  renderer.setRenderTarget(null);
  renderer.setClearColor(0xffffff, 1);
  camera.clearViewOffset();
  renderer.readRenderTargetPixels(pickTarget, 0, 0, pickSize, pickSize, pickPixels);
  let best = -1, bestDistance = Infinity;
  for (let j = 0; j < pickSize; ++j)
    for (let i = 0; i < pickSize; ++i) {
      const at = 4 * (j * pickSize + i);
      const id = (pickPixels[at] << 16) | (pickPixels[at + 1] << 8) | pickPixels[at + 2];
      const distance = (i - pickRadius) ** 2 + (j - pickRadius) ** 2;
      if (id && distance < bestDistance) best = id, bestDistance = distance;
    }
  if (best < 1 || best > barCount + nodeCount) return null;
  return best <= barCount ? { bar: best - 1 } : { node: best - 1 - barCount };
}

// Seven significant digits, as the report prints them, without trailing zeros.
// (A value that is not finite arrives from the JSON as the string "NaN" or "Infinity".)
const number = (v) => (Number.isFinite(Number(v)) ? String(Number(Number(v).toPrecision(7))) : String(Number(v)));
const triple = (a, i) => `${number(a[i])}, ${number(a[i + 1])}, ${number(a[i + 2])}`;
const axisNames = ['X', 'Y', 'Z'];
let markIndex = null;  // node number to its index in marks, made at the first pick

// The stretch as the bar law forms it, from the displacements and not from a difference of
// lengths, so it stays accurate for a bar that hardly stretches.
function stretchOf(e) {
  const a = 3 * ends[2 * e], b = 3 * ends[2 * e + 1];
  const length0 = undeformedLength(e);
  let strain = 0;
  for (let c = 0; c < 3; ++c) {
    const d = (displacement[b + c] - displacement[a + c]) / length0;
    strain += d * (d + 2 * (initial[b + c] - initial[a + c]) / length0);
  }
  return Math.sqrt(strain + 1);
}

function describe(hit) {
  const lines = [];
  if ('bar' in hit) {
    const e = hit.bar;
    lines.push(`bar ${e + 1}`, `nodes ${ends[2 * e] + 1} \u2013 ${ends[2 * e + 1] + 1}`);
    if (materials.length) {
      const m = materials[barMaterial[e]];
      lines.push(`material ${m.name} (${m.law})`, `axial force ${number(barForce[e])}`, `stress ${number(stress[e])}`);
      // The stretch on the rest length is the report's; the path's states carry none.
      if (atReport) lines.push(`stretch ${number(barStretch[e])}`);
    } else {
      const stretch = stretchOf(e);
      lines.push(`stress ${number(stress[e])}`, `axial force ${number(stress[e] * areaOf(e) / stretch)}`,
                 `stretch ${number(stretch)}`);
    }
    // A cable is taut or slack; a bar is in tension or compression.
    if (statesKnown) lines.push(`state ${barCable[e] && shownState[e] === 0 ? 'taut' : stateNames[shownState[e]]}`);
  } else {
    markIndex = markIndex || new Map(marks.node.map((node, i) => [node, i]));
    const k = hit.node, i = markIndex.get(k + 1);
    lines.push(`node ${k + 1}`, `displacement ${triple(displacement, 3 * k)}`);
    const d = displacement.subarray(3 * k, 3 * k + 3);
    lines.push(`  size ${number(Math.hypot(d[0], d[1], d[2]))}`);
    const held = i === undefined ? [] : axisNames.filter((_, c) => marks.held[i] & (1 << c));
    // The report gives the reactions of its own state; the path's states carry none.
    lines.push(!held.length ? 'reaction none (no component held)'
      : atReport ? `reaction ${held.map((name) => `${name} ${number(marks.reaction[3 * i + axisNames.indexOf(name)])}`).join(', ')}`
      : `reaction (held ${held.join(', ')}): given for the report's state only`);
    // A state of the path carries its share of the model's loads (none yet in a prestress stage).
    if (i !== undefined && (marks.load[3 * i] || marks.load[3 * i + 1] || marks.load[3 * i + 2]))
      lines.push(loadShare === 1 ? `load ${triple(marks.load, 3 * i)}`
        : `load ${triple([0, 1, 2].map((c) => loadShare * marks.load[3 * i + c]), 0)} at this state (the model's ` +
          `${triple(marks.load, 3 * i)})`);
  }
  return lines.join('\n');
}

const highlight = lineObject(new Float32Array(6), new THREE.LineBasicMaterial({ color: colour.highlight, depthTest: false }));
const highlightDot = new THREE.Points(new THREE.BufferGeometry().setAttribute('position', new THREE.BufferAttribute(new Float32Array(3), 3)),
  new THREE.PointsMaterial({ color: colour.highlight, size: 9, sizeAttenuation: false, depthTest: false }));
highlight.renderOrder = highlightDot.renderOrder = 2;
highlight.visible = highlightDot.visible = false;
highlightDot.frustumCulled = false;
scene.add(highlight, highlightDot);

const panel = document.getElementById('pick');
function showPick(x, y) {
  const hit = pickAt(x, y);
  highlight.visible = highlightDot.visible = false;
  if (!hit) {
    panel.hidden = true;
    root.removeAttribute('data-picked');
    requestRender();
    return;
  }
  const nodes = deformed.visible ? deformedNodes : undeformedNodes;
  if ('bar' in hit) {
    const a = highlight.geometry.attributes.position;
    const positions = deformed.visible ? deformed.geometry.attributes.position.array : undeformed.geometry.attributes.position.array;
    a.array.set(positions.subarray(6 * hit.bar, 6 * hit.bar + 6));
    a.needsUpdate = true;
    highlight.visible = true;
  } else {
    const a = highlightDot.geometry.attributes.position;
    a.array.set(nodes.subarray(3 * hit.node, 3 * hit.node + 3));
    a.needsUpdate = true;
    highlightDot.visible = true;
  }
  panel.textContent = describe(hit);
  panel.hidden = false;
  const rect = view.getBoundingClientRect();
  const left = x - rect.left + 14, top = y - rect.top + 14;
  panel.style.left = Math.min(left, rect.width - panel.offsetWidth - 4) + 'px';
  panel.style.top = Math.min(top, rect.height - panel.offsetHeight - 4) + 'px';
  root.setAttribute('data-picked', 'bar' in hit ? `bar ${hit.bar + 1}` : `node ${hit.node + 1}`);
  requestRender();
}

let pickPending = null, pressed = null;
function schedulePick(x, y) {
  if (pickPending) return void (pickPending = [x, y]);
  pickPending = [x, y];
  requestAnimationFrame(() => { const [px, py] = pickPending; pickPending = null; showPick(px, py); });
}
canvas.addEventListener('pointermove', (event) => {
  if (event.pointerType === 'mouse' && event.buttons === 0) schedulePick(event.clientX, event.clientY);
});
canvas.addEventListener('pointerdown', (event) => { pressed = [event.clientX, event.clientY]; });
canvas.addEventListener('pointerup', (event) => {
  // A tap (or a click without a drag) picks too, for touch screens.
  if (pressed && Math.hypot(event.clientX - pressed[0], event.clientY - pressed[1]) < 5) showPick(event.clientX, event.clientY);
  pressed = null;
});
canvas.addEventListener('pointerleave', () => { if (!pressed) { panel.hidden = true; highlight.visible = highlightDot.visible = false; requestRender(); } });

// ---- Controls.
for (const button of document.querySelectorAll('[data-view]'))
  button.addEventListener('click', () => fit(directions[button.dataset.view]));
document.getElementById('fit').addEventListener('click', () => fit());
window.addEventListener('keydown', (event) => {
  if (event.ctrlKey || event.metaKey || event.altKey || event.target.tagName === 'INPUT' && event.target.type !== 'checkbox') return;
  const key = event.key.toLowerCase();
  if (key === 'x' || key === 'y' || key === 'z') fit(directions[key]);
  else if (key === 'i') fit(directions.iso);
  else if (key === 'f') fit();
});
const toggles = { 'show-undeformed': [undeformed], 'show-deformed': [deformed, slack, nodeDots], 'show-supports': [supports], 'show-loads': [loads] };
for (const [id, objects] of Object.entries(toggles)) {
  const box = document.getElementById(id);
  box.addEventListener('change', () => {
    for (const object of objects) object.visible = box.checked && (object !== nodeDots || nodeCount <= 5000);
    if (box.checked && objects[0] === supports) placeSupports(deformedNodes);
    if (box.checked && objects[0] === loads) placeLoads(deformedNodes);
    requestRender();
  });
}
let slidePending = false;
slider.addEventListener('input', () => {
  if (slidePending) return;
  slidePending = true;
  requestAnimationFrame(() => {
    slidePending = false;
    magnify = magnifyOf(Number(slider.value));
    placeDeformed();
    requestRender();
  });
});

// ---- Texts and legend.
document.getElementById('title').textContent = meta.title || 'kalvane result';
document.getElementById('summary').textContent = [
  meta.reached && `${meta.solver}: ${meta.reached}`, `${nodeCount} nodes, ${barCount} bars`, meta.material,
  `${meta.iterations} ${meta.solver === 'kalvane' ? 'minor' : 'Newton'} iterations`,
  `objective ${number(meta.objective)}`].filter(Boolean).join(' \u00b7 ');
document.getElementById('legend-heading').textContent = meta.colour.heading;
document.getElementById('legend-high').textContent = '+' + number(meta.colour.limit);
document.getElementById('legend-low').textContent = '\u2212' + number(meta.colour.limit);
const materialList = document.getElementById('legend-materials');
materialList.hidden = !materials.length;
for (const m of materials) {
  const item = document.createElement('li');
  item.textContent = `${m.name}: ${m.law}`;
  materialList.append(item);
}
document.querySelector('#legend .bar').style.background =
  `linear-gradient(${meta.scale.tension}, ${meta.scale.neutral}, ${meta.scale.compression})`;
let stressMin = Infinity, stressMax = -Infinity;
for (const s of stress) {
  if (Number.isFinite(s)) stressMin = Math.min(stressMin, s), stressMax = Math.max(stressMax, s);
}
document.getElementById('legend-nan').hidden = !meta.colour.undefined;
document.getElementById('legend-loads').textContent =
  largestLoad > 0 ? `loads, the largest ${number(largestLoad)}` : 'loads (none)';

// ---- kalvane-path's load-displacement curve.
function niceTicks(low, high) {
  const raw = (high - low) / 5;
  const step0 = Math.pow(10, Math.floor(Math.log10(raw)));
  const step = [1, 2, 5, 10].map((m) => m * step0).find((s) => s >= raw);
  const ticks = [];
  for (let v = Math.ceil(low / step) * step; v <= high + 1e-9 * step; v += step) ticks.push(Math.abs(v) < 1e-12 * step ? 0 : v);
  return ticks;
}

function drawCurve(path) {
  const svg = document.getElementById('curve-plot');
  const ns = 'http://www.w3.org/2000/svg';
  const add = (name, attributes, parent = svg) => {
    const element = document.createElementNS(ns, name);
    for (const [key, value] of Object.entries(attributes)) element.setAttribute(key, value);
    parent.appendChild(element);
    return element;
  };
  // Under staged loading, stage 1 raises the prescribed displacements with no load on: its
  // points lie on the zero load line, in grey, whatever its own factor.
  const staged = path.stage.some((stage) => stage === 2);
  const points = path.stage.map((stage, i) => ({
    row: i, stage, x: Number(path.displacement[i]), factor: Number(path.load_factor[i]), kind: path.kind[i],
    y: staged && stage === 1 ? 0 : Number(path.load_factor[i]), stable: path.negative_pivots[i] === 0,
  })).filter((p) => Number.isFinite(p.x) && Number.isFinite(p.y));
  document.getElementById('curve').hidden = false;
  root.setAttribute('data-path-points', String(points.length));
  const range = (values) => {
    let low = values.reduce((a, b) => Math.min(a, b), 0), high = values.reduce((a, b) => Math.max(a, b), 0);
    if (!(high > low)) high = low + 1;
    const pad = 0.05 * (high - low);
    return [low - pad, high + pad];
  };
  const [x0, x1] = range(points.map((p) => p.x)), [y0, y1] = range(points.map((p) => p.y));
  const left = 62, right = 390, top = 12, bottom = 250;
  const sx = (x) => left + (x - x0) / (x1 - x0) * (right - left);
  const sy = (y) => bottom - (y - y0) / (y1 - y0) * (bottom - top);
  for (const x of niceTicks(x0, x1)) {
    add('line', { class: 'grid', x1: sx(x), x2: sx(x), y1: top, y2: bottom });
    add('text', { x: sx(x), y: bottom + 14, 'text-anchor': 'middle' }).textContent = Number(x.toPrecision(6)).toString();
  }
  for (const y of niceTicks(y0, y1)) {
    add('line', { class: 'grid', x1: left, x2: right, y1: sy(y), y2: sy(y) });
    add('text', { x: left - 4, y: sy(y) + 4, 'text-anchor': 'end' }).textContent = Number(y.toPrecision(6)).toString();
  }
  add('rect', { class: 'axis', x: left, y: top, width: right - left, height: bottom - top });
  add('text', { x: (left + right) / 2, y: bottom + 34, 'text-anchor': 'middle' }).textContent = path.label;
  add('text', { x: 14, y: (top + bottom) / 2, 'text-anchor': 'middle', transform: `rotate(-90 14 ${(top + bottom) / 2})` }).textContent = 'load factor';
  // Stable stretches solid, unstable ones (a negative pivot at either end) dashed, and a
  // jump (its two ends, at one load) dotted between them.
  for (let i = 1; i < points.length; ++i) {
    const a = points[i - 1], b = points[i];
    const style = a.kind === 'jump' && b.kind === 'jump' ? 'line jump'
      : staged && b.stage === 1 ? 'preload' : a.stable && b.stable ? 'line' : 'line unstable';
    add('line', { class: style, x1: sx(a.x), y1: sy(a.y), x2: sx(b.x), y2: sy(b.y) });
  }
  for (const p of points) {
    const x = sx(p.x), y = sy(p.y);
    const marker = p.kind === 'limit' ? add('path', { class: 'limit', d: `M${x} ${y - 6}L${x + 5.5} ${y + 4}L${x - 5.5} ${y + 4}Z` })
      : p.kind === 'bifurcation' ? add('path', { class: 'bifurcation', d: `M${x} ${y - 6}L${x + 6} ${y}L${x} ${y + 6}L${x - 6} ${y}Z` })
      : p.kind === 'slack' || p.kind === 'taut' ? add('circle', { class: p.kind, cx: x, cy: y, r: 3.5 })
      : add('circle', { class: 'regular', cx: x, cy: y, r: points.length > 200 ? 1 : 2 });
    const cable = path.bar && path.bar[p.row] > 0 ? ` cable ${path.bar[p.row]}` : '';
    add('title', {}, marker).textContent = `stage ${p.stage}, load factor ${number(p.factor)}, ${path.label} ${number(p.x)} ` +
      `(${p.kind}${cable}${p.stable ? '' : ', unstable'})`;
  }
  // The state shown, on the curve; a click picks the point nearest it.
  const current = add('circle', { class: 'current', r: 6, cx: -100, cy: -100 });
  const byRow = new Map(points.map((p) => [p.row, p]));
  const curve = {
    place(row) {
      const p = byRow.get(row);
      current.setAttribute('visibility', p ? 'visible' : 'hidden');
      if (p) current.setAttribute('cx', sx(p.x)), current.setAttribute('cy', sy(p.y));
    },
    onPick(handler) {
      svg.classList.add('pickable');
      svg.addEventListener('click', (event) => {
        const at = new DOMPoint(event.clientX, event.clientY).matrixTransform(svg.getScreenCTM().inverse());
        let best = null, bestDistance = Infinity;
        for (const p of points) {
          const distance = Math.hypot(sx(p.x) - at.x, sy(p.y) - at.y);
          if (distance < bestDistance) best = p, bestDistance = distance;
        }
        if (best) handler(best.row);
      });
    },
    // Where the point of `row` is on the screen, for tests and scripts.
    clientPoint(row) {
      const p = byRow.get(row);
      if (!p) return null;
      const q = new DOMPoint(sx(p.x), sy(p.y)).matrixTransform(svg.getScreenCTM());
      return { x: q.x, y: q.y };
    },
  };
  const counts = (kind) => points.filter((p) => p.kind === kind).length;
  document.getElementById('curve-legend').textContent =
    `${points.length} converged points; \u25b2 limit points: ${counts('limit')}; \u25c6 bifurcation points: ` +
    `${counts('bifurcation')}; dashed: unstable (a negative pivot)` + (staged ? '; grey: stage 1, no load yet' : '') +
    (counts('jump') ? '; dotted: a jump to a stable state' : '') +
    (counts('slack') || counts('taut') ? `; \u25cb cables going slack: ${counts('slack')}, \u25cf going taut: ${counts('taut')}` : '');
  return curve;
}
const curve = meta.path ? drawCurve(meta.path) : null;

// ---- For tests and scripts: where a bar's middle or a node is on the screen.
function clientPoint(p) {
  const v = new THREE.Vector3(...p).project(camera);
  const rect = canvas.getBoundingClientRect();
  return { x: rect.left + (v.x + 1) / 2 * rect.width, y: rect.top + (1 - v.y) / 2 * rect.height };
}
window.kalvane = {
  barPoint: (bar) => {
    const p = deformed.geometry.attributes.position.array, e = bar - 1;
    return clientPoint([0, 1, 2].map((c) => (p[6 * e + c] + p[6 * e + 3 + c]) / 2));
  },
  nodePoint: (node) => clientPoint(Array.from(deformedNodes.subarray(3 * (node - 1), 3 * node))),
  curvePoint: (row) => (curve ? curve.clientPoint(row) : null),
};

// ---- The first frame, then the page's state for anyone who reads it.
function firstFrameDrawn() {
  drawn = true;
  // Reading a pixel waits until the frame is drawn, so that the time below is the true one.
  const gl = renderer.getContext();
  gl.readPixels(0, 0, 1, 1, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(4));
  const firstFrame = performance.now();
  requestAnimationFrame(() => {
    root.setAttribute('data-bars', String(barCount));
    root.setAttribute('data-nodes', String(nodeCount));
    root.setAttribute('data-stress-min', barCount && stressMin <= stressMax ? String(stressMin) : '');
    root.setAttribute('data-stress-max', barCount && stressMin <= stressMax ? String(stressMax) : '');
    root.setAttribute('data-first-frame-ms', String(Math.round(firstFrame)));
    root.setAttribute('data-ready', 'true');
  });
}
// ---- kalvane-path's states: state i's displacements, forces, stresses and bar states put in
// place of the page's own, in the same buffers; the report's own state keeps its full digits.
let atReport = true;
let loadShare = 1;  // the shown state's fraction of the model's loads
let animation = null;
function startStates(a) {
  const block = (name, Type) => decoded('kalvane-states-' + name, Type);
  const states = { displacement: block('displacement', Float32Array), force: block('force', Float32Array),
                   stress: block('stress', Float32Array), state: block('state', Uint8Array) };
  const report = { displacement: displacement.slice(), stress: stress.slice(), force: barForce.slice(), state: shownState.slice() };
  const values = meta.colour.by === 'force' ? states.force : states.stress;
  const slice = (array, i, size) => array.subarray(size * i, size * (i + 1));
  document.getElementById('legend-high').textContent = '+' + number(a.limit);
  document.getElementById('legend-low').textContent = '\u2212' + number(a.limit);
  document.getElementById('legend-slack').hidden = !states.state.includes(2);
  const show = (i) => {
    atReport = i === a.start;
    loadShare = a.loads ? Number(a.loads[i]) : 1;
    const from = atReport ? null : i;
    displacement.set(from === null ? report.displacement : slice(states.displacement, i, 3 * nodeCount));
    stress.set(from === null ? report.stress : slice(states.stress, i, barCount));
    if (barForce.length) barForce.set(from === null ? report.force : slice(states.force, i, barCount));
    shownState.set(from === null && barState.length ? report.state : slice(states.state, i, barCount));
    // One scale for the whole path, so that the colours of two states compare.
    const value = slice(values, i, barCount);
    for (let e = 0; e < barCount; ++e) colourOf(value[e], a.limit, barColours, 6 * e);
    deformed.geometry.attributes.color.needsUpdate = true;
    sortBarsByState();
    placeDeformed();
    panel.hidden = true;
    highlight.visible = highlightDot.visible = false;
    requestRender();
  };
  return startAnimation({ animation: a, path: meta.path, root, show, curve });
}

document.getElementById('legend-slack').hidden = !shownState.includes(2);
sortBarsByState();
placeDeformed();
fit(directions.start);
if (meta.animation && curve) {
  animation = startStates(meta.animation);
  window.kalvane.animation = animation;
}
performance.mark('kalvane-built');
