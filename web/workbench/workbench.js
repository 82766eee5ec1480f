// The workbench page: both attribute managers, the view of the rock and the
// figures of the last build, all from the server's JSON interface. The page
// keeps no copy of the scene: after every build it asks for the views again,
// so every tab shows what the server holds.
import { renderManager } from './attribute_manager.js';

const $ = (id) => document.getElementById(id);

async function reply(response) {
  const data = await response.json();
  if (!response.ok) throw new Error(data.error || response.statusText);
  return data;
}
const get = async (path) => reply(await fetch(path));
const post = async (path, body) => reply(await fetch(path,
  { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) }));

function showMessage(text) {
  $('message').textContent = text;
  $('message').hidden = !text;
}

// The preview picture in place of the 3D view when three.js is missing.
class PictureView {
  constructor(img) { this.img = img; img.hidden = false; }
  setWireframe() {}
  show(url) {
    return new Promise((resolve, reject) => {
      this.img.onload = resolve;
      this.img.onerror = () => reject(new Error('the preview picture did not load'));
      this.img.src = url;
    });
  }
}

async function makeView(threeInstalled) {
  if (threeInstalled) {
    try {
      const { RockView } = await import('./rock_view.js');
      return new RockView($('view'));
    } catch (error) {
      console.warn('3D view unavailable, showing preview pictures:', error);
    }
  }
  return new PictureView($('preview'));
}

// Sends parameter changes so that at most one is on its way: changes made
// meanwhile replace each other and the last one follows, so a fast drag
// never queues up stale values.
class ChangeSender {
  constructor(onDone) { this.busy = false; this.next = null; this.onDone = onDone; }
  send(body) {
    this.next = body;
    if (!this.busy) this.pump();
  }
  async pump() {
    this.busy = true;
    while (this.next) {
      const body = this.next;
      this.next = null;
      try {
        await post('/api/set', body);
        showMessage('');
      } catch (error) {
        showMessage(error.message);
        shownViews = ''; // the controls show the unchanged values again
        await this.onDone();
      }
    }
    this.busy = false;
  }
}

const state = { view: null, seen: 0, dragging: false };

// Draws the managers again only when the scene changed: a control that is
// replaced under the pointer would lose the click or drag that is under way.
let shownViews = '';
async function refreshManagers() {
  const described = await get('/api/describe');
  const views = JSON.stringify([described.generator, described.shader]);
  if (views !== shownViews) {
    renderManager($('generator'), described.generator, 'generator', actions);
    renderManager($('shader'), described.shader, 'shader', actions);
    shownViews = views;
  }
  $('texture').checked = described.texture;
}

const sender = new ChangeSender(refreshManagers);
const actions = {
  set(node, id, value, final) {
    state.dragging = !final;
    sender.send({ node, id, value, final });
  },
  async press(node, id) {
    try {
      const pressed = await post('/api/press', { node, id });
      showMessage(pressed.console.join('\n'));
    } catch (error) {
      showMessage(error.message);
    }
  },
};

function showFigures(build) {
  const rows = build.error ? [['Build', 'failed']] : [
    ['Points', build.points], ['Polygons', build.polygons], ['Size', build.size],
    ['Closed', build.closed ? 'yes' : `no (${build.boundaryEdges} open edges)`],
    ['Folded edges', build.foldedEdges],
    ['Build', `${build.seconds.toFixed(2)} s, ${build.final ? 'full resolution' : 'working resolution'}` +
      (build.textured ? ', textured' : '')],
  ];
  $('figures').replaceChildren(...rows.map(([name, value]) => {
    const row = document.createElement('tr');
    row.dataset.figure = name;
    row.innerHTML = '<td></td><td></td>';
    row.cells[0].textContent = name;
    row.cells[1].textContent = value;
    return row;
  }));
  $('console').textContent = build.console.join('\n');
}

async function showBuild(build) {
  showFigures(build);
  if (build.error) {
    showMessage(build.error);
  } else {
    const kind = state.view instanceof PictureView ? 'preview.png' : 'mesh.glb';
    await state.view.show(`/api/${kind}?generation=${build.generation}`);
  }
  $('status').textContent = `build ${build.generation}` + (build.final ? '' : ' (working resolution)');
  if (!state.dragging) await refreshManagers();
  // Marks the page as showing this build, managers included.
  document.body.dataset.generation = build.generation;
}

// Shows builds one after the other, each only if it is newer than the one
// shown; builds that arrive while one is being shown replace each other.
class BuildShower {
  constructor() { this.busy = false; this.next = null; }
  offer(build) {
    if (build.generation <= state.seen) return;
    state.seen = build.generation;
    this.next = build;
    if (!this.busy) this.pump();
  }
  async pump() {
    this.busy = true;
    while (this.next) {
      const build = this.next;
      this.next = null;
      try {
        await showBuild(build);
      } catch (error) {
        showMessage(error.message);
      }
    }
    this.busy = false;
  }
}

// Waits for each new build in turn; the server answers as soon as one is
// done. Every build is handed to each of the listeners.
async function waitForBuilds(...listeners) {
  let after = 0;
  for (;;) {
    try {
      const build = await get(`/api/build?after=${after}`);
      after = Math.max(after, build.generation);
      for (const listener of listeners) listener(build);
    } catch (error) {
      $('status').textContent = 'waiting for the server…';
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

// A browser opens only a few connections to one server and shares them
// between its tabs, so a waiting request in every tab would take them all
// with a handful of tabs and stall the rest. One tab, the holder of a lock,
// waits for the builds and passes them to the others over a channel; when it
// closes, another tab takes the lock over.
function followBuilds() {
  const shower = new BuildShower();
  const offer = (build) => shower.offer(build);
  if (!navigator.locks || typeof BroadcastChannel === 'undefined') {
    waitForBuilds(offer);
    return;
  }
  const channel = new BroadcastChannel('quorvane-builds');
  channel.onmessage = (event) => offer(event.data);
  // The build there is now, for a tab that opens while another one waits.
  get('/api/build?after=0').then(offer).catch((error) => showMessage(error.message));
  navigator.locks.request('quorvane-build-waiter', () => waitForBuilds(offer, (build) => channel.postMessage(build)));
}

async function refreshSceneFiles() {
  const { files } = await get('/api/files');
  $('scene-files').replaceChildren(...files.map((name) => new Option(name, name)));
}

// Makes the asset of the current rock (seconds of baking) and hands it to the
// browser as a download; the button shows that it is busy meanwhile, and
// document.body.dataset.asset tells how the last request ended.
async function downloadAsset() {
  const button = $('download-asset');
  button.disabled = true;
  button.textContent = 'Making asset…';
  document.body.dataset.asset = 'busy';
  try {
    const response = await fetch('/api/asset',
      { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: '{}' });
    if (!response.ok) await reply(response);
    const url = URL.createObjectURL(await response.blob());
    const link = document.createElement('a');
    link.href = url;
    link.download = 'rock_asset.glb';
    link.click();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    showMessage('');
    document.body.dataset.asset = 'done';
  } catch (error) {
    showMessage(`The asset could not be made: ${error.message}`);
    document.body.dataset.asset = 'failed';
  } finally {
    button.disabled = false;
    button.textContent = 'Asset';
  }
}

function wireToolbar() {
  $('download-asset').addEventListener('click', downloadAsset);
  $('wireframe').addEventListener('change', () => state.view.setWireframe($('wireframe').checked));
  $('texture').addEventListener('change', () =>
    post('/api/texture', { texture: $('texture').checked }).catch((e) => showMessage(e.message)));
  $('save').addEventListener('click', async () => {
    try {
      const saved = await post('/api/save', { path: $('scene-name').value });
      showMessage('');
      $('status').textContent = `saved ${saved.saved}`;
      await refreshSceneFiles();
    } catch (error) { showMessage(error.message); }
  });
  $('load').addEventListener('click', async () => {
    try {
      await post('/api/load', { path: $('scene-files').value });
      showMessage('');
    } catch (error) { showMessage(error.message); }
  });
}

async function start() {
  const info = await get('/api/info');
  state.view = await makeView(info.three);
  document.body.dataset.view = state.view instanceof PictureView ? 'picture' : '3d';
  wireToolbar();
  await refreshManagers();
  await refreshSceneFiles();
  followBuilds();
}

start().catch((error) => showMessage(error.message));
