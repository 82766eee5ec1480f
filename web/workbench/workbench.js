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

// Waits for each new build in turn; the server answers as soon as one is done.
async function followBuilds() {
  for (;;) {
    try {
      const build = await get(`/api/build?after=${state.seen}`);
      if (build.generation > state.seen) {
        state.seen = build.generation;
        await showBuild(build);
      }
    } catch (error) {
      $('status').textContent = 'waiting for the server…';
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

async function refreshSceneFiles() {
  const { files } = await get('/api/files');
  $('scene-files').replaceChildren(...files.map((name) => new Option(name, name)));
}

function wireToolbar() {
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
