// The live preview page: the panel the module declares as controls, the
// picture with the effect over it, the base points as handles to drag.
// Every edit goes to the server at once; the server renders the newest.
'use strict';

const token = document.body.dataset.token;

const TEXTS = {
  en: {
    language: 'Language', picture: 'Picture', guideFile: 'Add guide (SVG)',
    presetFile: 'Load preset file', colour: 'Drawing colour', downloadEffect: 'Effect PNG',
    downloadComposite: 'Composite PNG', x: 'X', y: 'Y', offline: 'The server does not answer.',
    rendering: 'Rendering…',
  },
  ja: {
    language: '言語', picture: '画像', guideFile: '定規を追加 (SVG)',
    presetFile: 'プリセットを読み込む', colour: '描画色', downloadEffect: '効果 PNG',
    downloadComposite: '合成 PNG', x: 'X', y: 'Y', offline: 'サーバーが応答しません。',
    rendering: '描画中…',
  },
};

const KEY_SAVE_PRESET = 141;
// Held-back edits of a drag go out when the previous one is shown, or
// after this long, whichever comes first.
const HOLD_MS = 120;

const $ = (id) => document.getElementById(id);
const stage = $('stage');
const sourceCanvas = $('source-layer');
const effectCanvas = $('effect-layer');

// What the page knows; `velmora` is also read by the browser test.
const velmora = window.velmora = {
  state: null,        // the last state from the server
  shownFrame: 0,      // id of the effect frame on screen
  shownSeq: 0,        // the newest work that frame shows
  shownPicture: 0,
  lastSentSeq: 0,
  latencies: [],      // ms from an edit to its effect on screen
  idle() {
    const s = this.state;
    return s !== null && pipe.pending.size === 0 && pipe.inflight === null && pipe.sending === 0 &&
           this.shownSeq >= s.queued && this.shownPicture === s.picture.id &&
           this.shownFrame === s.frame.id;
  },
};

function text(name) {
  const lang = velmora.state ? velmora.state.lang : 'en';
  return (TEXTS[lang] || TEXTS.en)[name];
}

function url(path) {
  return path + (path.includes('?') ? '&' : '?') + 'token=' + token;
}

async function api(method, path, body, type) {
  const init = { method, headers: { 'X-Velmora-Token': token } };
  if (body !== undefined) {
    init.body = type ? body : JSON.stringify(body);
    init.headers['Content-Type'] = type || 'application/json';
  }
  const res = await fetch(path, init);
  const json = await res.json().catch(() => ({ ok: false, error: res.statusText }));
  if (!res.ok && json.error === undefined && json.message === undefined) json.error = res.statusText;
  json.httpOk = res.ok;
  return json;
}

function say(message, isError) {
  const status = $('status');
  status.textContent = message || '';
  status.classList.toggle('error', !!isError);
}

// --- Sending edits ----------------------------------------------------------

const pipe = {
  pending: new Map(),  // item key -> value, in the order last edited
  lastEditAt: 0,
  inflight: null,      // {seq, sentAt} of the last batch not yet on screen
  sending: 0,          // batches handed to the chain and not yet answered
  timer: null,
  waiting: [],         // {seq, at} for the latency figures
  chain: Promise.resolve(),  // one request after the other, so they arrive in order
  colour: null,        // a colour waiting for its turn in the chain
};

function edit(key, value, continuous) {
  pipe.pending.delete(key);
  pipe.pending.set(key, value);
  pipe.lastEditAt = performance.now();
  if (!continuous || pipe.inflight === null) {
    flush();
  } else if (pipe.timer === null) {
    const wait = Math.max(0, pipe.inflight.sentAt + HOLD_MS - performance.now());
    pipe.timer = setTimeout(() => { pipe.timer = null; flush(); }, wait);
  }
}

// Sends what is pending as one batch after everything sent before; the
// promise settles when all of it is answered.
function flush() {
  if (pipe.timer !== null) { clearTimeout(pipe.timer); pipe.timer = null; }
  if (pipe.pending.size === 0) return pipe.chain;
  const edits = [...pipe.pending].map(([item, value]) => ({ item, value }));
  const editAt = pipe.lastEditAt;
  pipe.pending.clear();
  const flight = { seq: null, sentAt: performance.now() };
  pipe.inflight = flight;
  pipe.sending += 1;
  pipe.chain = pipe.chain.then(() => send(edits, editAt, flight));
  return pipe.chain;
}

async function send(edits, editAt, flight) {
  flight.sentAt = performance.now();
  let reply;
  try {
    reply = await api('POST', '/api/edits', { edits });
  } catch (e) {
    reply = { httpOk: false, error: text('offline') };
  }
  pipe.sending -= 1;
  if (!reply.httpOk) {
    say(reply.error, true);
    if (pipe.inflight === flight) pipe.inflight = null;
    if (velmora.state) showValues(velmora.state, true);
    return;
  }
  flight.seq = reply.seq;
  velmora.lastSentSeq = Math.max(velmora.lastSentSeq, reply.seq);
  pipe.waiting.push({ seq: reply.seq, at: editAt });
  if (velmora.shownSeq >= reply.seq) frameShown();
}

function sendColour(colour) {
  const queued = pipe.colour !== null;
  pipe.colour = colour;
  if (queued) return;
  pipe.sending += 1;
  pipe.chain = pipe.chain.then(async () => {
    const c = pipe.colour;
    pipe.colour = null;
    try {
      const reply = await api('POST', '/api/colour', { colour: c });
      velmora.lastSentSeq = Math.max(velmora.lastSentSeq, reply.seq || 0);
    } catch (e) {
      say(text('offline'), true);
    }
    pipe.sending -= 1;
  });
}

// A frame reached the screen: record how long its edits took, send what waited.
function frameShown() {
  const now = performance.now();
  pipe.waiting = pipe.waiting.filter((w) => {
    if (w.seq > velmora.shownSeq) return true;
    velmora.latencies.push(now - w.at);
    return false;
  });
  if (pipe.inflight !== null && pipe.inflight.seq !== null && velmora.shownSeq >= pipe.inflight.seq) {
    pipe.inflight = null;
    if (pipe.pending.size > 0) flush();
  }
}

// --- The panel --------------------------------------------------------------

let panelShape = '';
const controls = new Map();  // item key -> {item, show(value)}
let draggingKey = null;

function shapeOf(state) {
  return JSON.stringify([state.lang, state.items.map((i) => [i.key, i.kind, i.caption, i.choices, i.min, i.max])]);
}

function stepFor(item) {
  if (item.kind === 'integer') return 1;
  const span = (item.max ?? 100) - (item.min ?? 0);
  return Math.pow(10, Math.floor(Math.log10(span / 100)));
}

function numberControl(item, box) {
  const range = document.createElement('input');
  range.type = 'range';
  range.id = `item-${item.key}-range`;
  const number = document.createElement('input');
  number.type = 'number';
  number.id = `item-${item.key}`;
  for (const input of [range, number]) {
    if (item.min !== undefined) input.min = item.min;
    if (item.max !== undefined) input.max = item.max;
  }
  range.step = stepFor(item);
  number.step = item.kind === 'integer' ? 1 : 'any';
  range.addEventListener('input', () => {
    number.value = range.value;
    edit(item.key, Number(range.value), true);
  });
  range.addEventListener('change', () => flush());
  number.addEventListener('change', () => {
    const v = Number(number.value);
    if (number.value === '' || !Number.isFinite(v)) return;
    range.value = v;
    edit(item.key, item.kind === 'integer' ? Math.round(v) : v, false);
  });
  box.append(range, number);
  return (value) => {
    if (value === null) return;
    if (document.activeElement !== number) number.value = value;
    if (document.activeElement !== range) range.value = value;
  };
}

function choiceControl(item, box) {
  if (item.choices.length <= 4) {
    const group = document.createElement('div');
    group.className = 'choices';
    group.setAttribute('role', 'group');
    const buttons = item.choices.map((choice) => {
      const b = document.createElement('button');
      b.type = 'button';
      b.id = `item-${item.key}-choice-${choice.index}`;
      b.textContent = choice.text;
      // Choosing the same entry again is an edit too (a template puts its points back).
      b.addEventListener('click', () => edit(item.key, choice.index, false));
      group.append(b);
      return [choice.index, b];
    });
    box.append(group);
    return (value) => {
      for (const [index, b] of buttons) b.setAttribute('aria-pressed', String(index === value));
    };
  }
  const select = document.createElement('select');
  select.id = `item-${item.key}`;
  for (const choice of item.choices) select.add(new Option(choice.text, choice.index));
  select.addEventListener('change', () => edit(item.key, Number(select.value), false));
  box.append(select);
  return (value) => { select.value = value; };
}

function pointControl(item, box) {
  const inputs = ['x', 'y'].map((axis) => {
    const input = document.createElement('input');
    input.type = 'number';
    input.step = 1;
    input.id = `item-${item.key}-${axis}`;
    input.title = text(axis);
    input.addEventListener('change', () => {
      const p = inputs.map((i) => Math.round(Number(i.value)));
      if (p.every(Number.isFinite)) {
        placeHandle(item.key, p);
        edit(item.key, p, false);
      }
    });
    box.append(input);
    return input;
  });
  return (value) => {
    inputs.forEach((input, i) => { if (document.activeElement !== input) input.value = value[i]; });
    if (draggingKey !== item.key) placeHandle(item.key, value);
  };
}

function buildPanel(state) {
  const form = $('items');
  form.replaceChildren();
  controls.clear();
  for (const h of stage.querySelectorAll('.handle')) h.remove();
  let pointNumber = 0;
  for (const item of state.items) {
    const row = document.createElement('div');
    row.className = 'item';
    row.dataset.key = item.key;
    row.dataset.name = item.name;
    const caption = document.createElement('label');
    caption.className = 'caption';
    caption.textContent = item.caption;
    const box = document.createElement('div');
    box.className = 'value';
    let show = () => {};
    if (item.key === KEY_SAVE_PRESET) {
      // Checking "Save Preset" saves the settings as a new preset at once.
      caption.textContent = '';
      const b = document.createElement('button');
      b.type = 'button';
      b.className = 'save';
      b.id = `item-${item.key}`;
      b.textContent = item.caption;
      b.addEventListener('click', savePreset);
      box.append(b);
    } else if (item.kind === 'boolean') {
      const check = document.createElement('input');
      check.type = 'checkbox';
      check.id = `item-${item.key}`;
      check.addEventListener('change', () => edit(item.key, check.checked, false));
      box.append(check);
      show = (value) => { check.checked = value; };
    } else if (item.kind === 'integer' || item.kind === 'decimal') {
      show = numberControl(item, box);
    } else if (item.kind === 'enumeration') {
      show = choiceControl(item, box);
    } else if (item.kind === 'point') {
      addHandle(item, ++pointNumber);
      show = pointControl(item, box);
    }
    const first = box.querySelector('input, select');
    if (first) caption.htmlFor = first.id;
    row.append(caption, box);
    form.append(row);
    controls.set(item.key, { item, show });
  }
}

// Values from the server replace what the controls show, unless the user
// has edits on the way: those would be shown back before they are applied.
function showValues(state, force) {
  const busy = pipe.pending.size > 0 || pipe.sending > 0 || state.applied < velmora.lastSentSeq;
  if (busy && !force) return;
  for (const item of state.items) {
    const c = controls.get(item.key);
    if (c) c.show(item.value);
  }
}

// --- The picture and the handles -------------------------------------------

function fitStage() {
  const s = velmora.state;
  if (!s) return;
  const area = $('stage-area').getBoundingClientRect();
  const room = Math.max(200, window.innerHeight - area.top - 24);
  const scale = Math.min(1, area.width / s.picture.width, room / s.picture.height);
  stage.style.width = `${Math.round(s.picture.width * scale)}px`;
  stage.style.height = `${Math.round(s.picture.height * scale)}px`;
  for (const c of controls.values()) {
    if (c.item.kind === 'point' && draggingKey !== c.item.key) placeHandle(c.item.key, c.item.value);
  }
}

function handleOf(key) { return stage.querySelector(`.handle[data-key="${key}"]`); }

function placeHandle(key, point) {
  const h = handleOf(key);
  const s = velmora.state;
  if (!h || !s) return;
  h.style.left = `${((point[0] + 0.5) / s.picture.width) * 100}%`;
  h.style.top = `${((point[1] + 0.5) / s.picture.height) * 100}%`;
  const c = controls.get(key);
  if (c) c.item.value = point;
}

function pictureAt(event) {
  const s = velmora.state;
  const r = stage.getBoundingClientRect();
  return [Math.floor(((event.clientX - r.left) / r.width) * s.picture.width),
          Math.floor(((event.clientY - r.top) / r.height) * s.picture.height)];
}

function addHandle(item, number) {
  const h = document.createElement('div');
  h.className = 'handle';
  h.id = `handle-${item.key}`;
  h.dataset.key = item.key;
  h.textContent = number;
  h.title = item.caption;
  let pointer = null;
  const moveTo = (event, continuous) => {
    const p = pictureAt(event);
    placeHandle(item.key, p);
    const c = controls.get(item.key);
    if (c) c.show(p);
    edit(item.key, p, continuous);
  };
  h.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    pointer = event.pointerId;
    h.setPointerCapture(pointer);
    draggingKey = item.key;
    h.classList.add('dragging');
  });
  h.addEventListener('pointermove', (event) => {
    if (event.pointerId === pointer) moveTo(event, true);
  });
  const end = (event) => {
    if (event.pointerId !== pointer) return;
    moveTo(event, false);
    pointer = null;
    draggingKey = null;
    h.classList.remove('dragging');
  };
  h.addEventListener('pointerup', end);
  h.addEventListener('pointercancel', end);
  stage.append(h);
}

async function fetchPixels(path) {
  const res = await fetch(path, { headers: { 'X-Velmora-Token': token } });
  if (!res.ok) return null;
  const bytes = await res.arrayBuffer();
  const header = (name) => Number(res.headers.get(name));
  return { width: header('X-Width'), height: header('X-Height'), id: header('X-Id'),
           seq: header('X-Seq'), picture: header('X-Picture'), bytes };
}

function draw(canvas, pixels) {
  canvas.width = pixels.width;
  canvas.height = pixels.height;
  const image = new ImageData(new Uint8ClampedArray(pixels.bytes), pixels.width, pixels.height);
  canvas.getContext('2d').putImageData(image, 0, 0);
}

const nextPaint = () => new Promise((resolve) => requestAnimationFrame(() => resolve()));

let fetching = false;
async function showPictures() {
  if (fetching) return;
  fetching = true;
  try {
    for (;;) {
      const s = velmora.state;
      if (velmora.shownPicture !== s.picture.id) {
        const source = await fetchPixels('/api/source');
        if (source === null) break;
        draw(sourceCanvas, source);
        effectCanvas.getContext('2d').clearRect(0, 0, effectCanvas.width, effectCanvas.height);
        velmora.shownPicture = source.id;
        velmora.shownFrame = 0;
        fitStage();
        continue;
      }
      if (s.frame.id === velmora.shownFrame || s.frame.picture !== velmora.shownPicture) break;
      const frame = await fetchPixels('/api/frame');
      if (frame === null) break;
      if (frame.picture === velmora.shownPicture) {
        draw(effectCanvas, frame);
        await nextPaint();
        velmora.shownFrame = frame.id;
        velmora.shownSeq = frame.seq;
        frameShown();
      }
      if (velmora.state.frame.id === frame.id) break;
    }
  } finally {
    fetching = false;
  }
}

// --- The state from the server ----------------------------------------------

function showTexts() {
  for (const el of document.querySelectorAll('[data-text]')) el.textContent = text(el.dataset.text);
  document.documentElement.lang = velmora.state.lang;
}

function onState(s) {
  const first = velmora.state === null;
  const languageChanged = first || velmora.state.lang !== s.lang;
  velmora.state = s;
  if (languageChanged) {
    showTexts();
    $('language').value = s.lang;
  }
  document.title = `${s.title} — ${s.picture.name}`;
  $('title').textContent = s.title;
  const shape = shapeOf(s);
  if (shape !== panelShape) {
    panelShape = shape;
    buildPanel(s);
    showValues(s, true);
    fitStage();
  } else {
    showValues(s, false);
  }
  if (document.activeElement !== $('colour')) $('colour').value = s.colour;
  const bar = $('progress');
  bar.hidden = !(s.rendering && s.progress > 0 && s.progress < 1);
  $('progress-bar').style.width = `${Math.round(s.progress * 100)}%`;
  if (s.message) say(s.message, true);
  showPictures();
}

async function poll() {
  let since = 0;
  for (;;) {
    try {
      const res = await fetch(`/api/state?wait=1&since=${since}`, { headers: { 'X-Velmora-Token': token } });
      if (!res.ok) throw new Error(res.statusText);
      const s = await res.json();
      since = s.version;
      onState(s);
    } catch (e) {
      say(text('offline'), true);
      await new Promise((resolve) => setTimeout(resolve, 1000));
    }
  }
}

// --- Commands ---------------------------------------------------------------

async function command(path, body, type) {
  await flush();  // edits made before the command go first
  say('');
  let reply;
  try {
    reply = await api('POST', path, body, type);
  } catch (e) {
    reply = { ok: false, error: text('offline') };
  }
  if (reply.ok) say(reply.message, false);
  else say(reply.error || reply.message, true);
  return reply;
}

async function savePreset() {
  await command('/api/save-preset');
}

function uploadOnChange(input, path) {
  input.addEventListener('change', async () => {
    const file = input.files[0];
    if (!file) return;
    await command(`${path}?name=${encodeURIComponent(file.name)}`, file, 'application/octet-stream');
    input.value = '';
  });
}

uploadOnChange($('picture-file'), '/api/picture');
uploadOnChange($('guide-file'), '/api/guide');
uploadOnChange($('preset-file'), '/api/preset');
$('language').addEventListener('change', () => command('/api/language', { lang: $('language').value }));
$('colour').addEventListener('input', () => sendColour($('colour').value));
$('download-effect').href = url('/download/effect.png');
$('download-composite').href = url('/download/composite.png');
window.addEventListener('resize', fitStage);
poll();
