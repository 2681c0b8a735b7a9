// The page of the web edition: the editor of the main-thread module drawn into the canvas and fed
// with the page's mouse and key events, the sound in an AudioWorklet, and the bar's export, link,
// load and save buttons. The interface of both modules is described in web/API.md.

const WORKLET_URL = 'audio-worklet.js';
const AUDIO_WASM_URL = 'brisbleep-audio.wasm';
const LINK_PREFIX = '#s=';

// Tracker layout by physical key: the lower row plays C..B of one octave, the upper row C..C of the
// next. Values are semitones above TRACKER_BASE_NOTE.
const TRACKER_BASE_NOTE = 48;
const TRACKER_KEYS = new Map([
  ['KeyZ', 0], ['KeyS', 1], ['KeyX', 2], ['KeyD', 3], ['KeyC', 4], ['KeyV', 5], ['KeyG', 6],
  ['KeyB', 7], ['KeyH', 8], ['KeyN', 9], ['KeyJ', 10], ['KeyM', 11],
  ['KeyQ', 12], ['Digit2', 13], ['KeyW', 14], ['Digit3', 15], ['KeyE', 16], ['KeyR', 17],
  ['Digit5', 18], ['KeyT', 19], ['Digit6', 20], ['KeyY', 21], ['Digit7', 22], ['KeyU', 23],
  ['KeyI', 24],
]);

// Editor key codes: 0 space, 1..4 arrows, 5 + digit, 15 + letter.
const ARROW_KEYS = { ArrowUp: 1, ArrowDown: 2, ArrowLeft: 3, ArrowRight: 4 };
export function editorKeyCode(key) {
  if (key === ' ' || key === 'Spacebar') return 0;
  if (key in ARROW_KEYS) return ARROW_KEYS[key];
  if (key.length === 1) {
    const c = key.charCodeAt(0);
    if (c >= 48 && c <= 57) return 5 + (c - 48);
    if (c >= 97 && c <= 122) return 15 + (c - 97);
    if (c >= 65 && c <= 90) return 15 + (c - 65);
  }
  return -1;
}

const MENU_GREYED = 1;
const MENU_DISABLED = 2;
const MENU_CHECKED = 4;
const MENU_SEPARATOR = 8;

const $ = (id) => document.getElementById(id);
const canvas = $('screen');
const editorBox = $('editor');
const menuEl = $('menu');
const entryEl = $('entry');
const tooltipEl = $('tooltip');
const statusEl = $('status');
const encoder = new TextEncoder();
const decoder = new TextDecoder();

function setStatus(text, isError = false) {
  statusEl.textContent = text;
  statusEl.classList.toggle('error', isError);
}

window.addEventListener('error', (e) => setStatus(`Error: ${e.message}`, true));
window.addEventListener('unhandledrejection', (e) => {
  setStatus(`Error: ${(e.reason && e.reason.message) || e.reason}`, true);
});

// ---- the main-thread module -------------------------------------------------------------------

let M = null; // the module instance
let width = 846;
let height = 768;

function heapU8() {
  return M.HEAPU8;
}

// A NUL-terminated UTF-8 string of the module's memory.
function cString(ptr) {
  if (!ptr) return '';
  if (typeof M.UTF8ToString === 'function') return M.UTF8ToString(ptr);
  const heap = heapU8();
  let end = ptr;
  while (heap[end] !== 0) ++end;
  return decoder.decode(heap.subarray(ptr, end));
}

// Runs fn with a copy of bytes in the module's memory, freed afterwards.
function withBytes(bytes, fn) {
  const ptr = M._bb_alloc(Math.max(1, bytes.length));
  if (!ptr) throw new Error('the module is out of memory');
  try {
    heapU8().set(bytes, ptr);
    return fn(ptr, bytes.length);
  } finally {
    M._bb_free(ptr);
  }
}

function withCString(text, fn) {
  const bytes = encoder.encode(text);
  const z = new Uint8Array(bytes.length + 1);
  z.set(bytes);
  return withBytes(z, (ptr) => fn(ptr));
}

// The bytes of the last result, copied out of the module.
function resultBytes(what) {
  const size = M._bb_result_size();
  if (size <= 0) {
    const error = cString(M._bb_result_error());
    throw new Error(error || `${what} gave nothing`);
  }
  const ptr = M._bb_result_data();
  return heapU8().slice(ptr, ptr + size);
}

function stateText() {
  return cString(M._bb_state_to_text());
}

function paramValues() {
  const values = new Float64Array(M._bb_param_count());
  for (let i = 0; i < values.length; ++i) values[i] = M._bb_param_value(i);
  return values;
}

// ---- drawing ------------------------------------------------------------------------------------

const ctx2d = canvas.getContext('2d', { alpha: false });
let image = null; // ImageData over the module's bitmap, remade when the memory grows
let firstFrameAt = null;

function bitmap() {
  const heap = heapU8();
  if (!image || image.data.buffer !== heap.buffer) {
    const ptr = M._bb_editor_rgba();
    image = new ImageData(new Uint8ClampedArray(heap.buffer, ptr, width * height * 4), width, height);
  }
  return image;
}

// Copies the changed rectangle of the editor's bitmap (all of it when full) into the canvas.
function draw(full = false) {
  const dirtyPtr = M._bb_editor_dirty();
  const d = new Int32Array(heapU8().buffer, dirtyPtr, 4);
  let [left, top, right, bottom] = d;
  if (full) [left, top, right, bottom] = [0, 0, width, height];
  left = Math.max(0, left);
  top = Math.max(0, top);
  right = Math.min(width, right);
  bottom = Math.min(height, bottom);
  if (right <= left || bottom <= top) return false;
  ctx2d.putImageData(bitmap(), 0, 0, left, top, right - left, bottom - top);
  return true;
}

function tick() {
  M._bb_editor_tick();
  draw();
  sync();
}

let frameMs = 40;
let lastTick = 0;
function animate(now) {
  if (now - lastTick >= frameMs - 2) {
    // Keeps the editor's cadence; after a pause (hidden tab) it starts again from now.
    lastTick = now - lastTick > 4 * frameMs ? now : lastTick + frameMs;
    tick();
  }
  requestAnimationFrame(animate);
}

// ---- audio --------------------------------------------------------------------------------------

let audioBytes = null; // Promise<ArrayBuffer> of the worklet's module, fetched with the page
let audio = null; // {context, node} once the sound runs
let audioStarting = null;
let pendingMidi = []; // notes played while the sound was starting
let sentParams = null; // the values the worklet has
let sentKey = -1;
let sentDepth = 0;

function fetchAudioModule() {
  audioBytes = fetch(AUDIO_WASM_URL).then((response) => {
    if (!response.ok) throw new Error(`${AUDIO_WASM_URL}: HTTP ${response.status}`);
    return response.arrayBuffer();
  });
  audioBytes.catch((err) => setStatus(`The audio module could not be loaded: ${err.message}`, true));
}

function keyboardNow() {
  const key = M._bb_editor_keyboard_key();
  return [key, key >= 0 ? M._bb_editor_keyboard_depth() : 0];
}

// Makes the instrument's node in a context (real or offline) with the page's current sound and the
// notes takeEvents() hands over; resolves once the module runs in it, with the values it was given.
async function makeNode(context, { meters, takeEvents = () => [] }) {
  await context.audioWorklet.addModule(WORKLET_URL);
  const wasm = await audioBytes;
  const params = paramValues();
  const keyboard = keyboardNow();
  const node = new AudioWorkletNode(context, 'brisbleep', {
    numberOfInputs: 0,
    numberOfOutputs: 1,
    outputChannelCount: [1],
    processorOptions: { wasm, params: Array.from(params), keyboard, events: takeEvents(), meters },
  });
  await new Promise((resolve, reject) => {
    node.port.onmessage = (event) => {
      const m = event.data;
      if (m.t === 'ready') resolve();
      else if (m.t === 'error') reject(new Error(m.message));
    };
    node.onprocessorerror = () => reject(new Error('the audio processor failed'));
  });
  return { node, params, keyboard };
}

function onWorkletMessage(event) {
  const m = event.data;
  if (m.t === 'meter') M._bb_editor_set_meters(m.left, m.right);
  else if (m.t === 'error') setStatus(`Audio error: ${m.message}`, true);
}

// The first user gesture starts the sound (browsers allow an AudioContext to run only after one).
function startAudio() {
  if (audio) {
    if (audio.context.state === 'suspended') audio.context.resume();
    return audioStarting;
  }
  if (audioStarting) return audioStarting;
  const context = new AudioContext({ latencyHint: 'interactive' });
  context.resume();
  audioStarting = (async () => {
    const takeEvents = () => pendingMidi.splice(0);
    const { node, params, keyboard } = await makeNode(context, { meters: true, takeEvents });
    node.port.onmessage = onWorkletMessage;
    node.onprocessorerror = () => setStatus('The audio processor stopped', true);
    node.connect(context.destination);
    audio = { context, node };
    sentParams = params;
    [sentKey, sentDepth] = keyboard;
    // Notes played while the module was starting.
    for (const [status, data1, data2] of pendingMidi.splice(0)) midi(status, data1, data2);
    sync();
  })().catch((err) => {
    setStatus(`The sound could not start: ${err.message}`, true);
    context.close();
    audioStarting = null;
  });
  return audioStarting;
}

// A note for the worklet; one played while the sound is starting waits for it, one played before
// any gesture (a MIDI device can send before the page may start sound) is dropped. The editor's
// keyboard shows it held either way.
function midi(status, data1, data2) {
  const kind = status & 0xf0;
  if (kind === 0x90 || kind === 0x80) M._bb_editor_note_held(data1, kind === 0x90 && data2 > 0 ? 1 : 0);
  if (audio) audio.node.port.postMessage({ t: 'midi', status, data1, data2 });
  else if (audioStarting) pendingMidi.push([status, data1, data2]);
}

// Sends the worklet what changed in the editor since the last call: parameter values and the
// on-screen keyboard's held key. Called after every event and tick.
function sync() {
  if (!audio) return;
  const port = audio.node.port;
  const count = sentParams.length;
  let list = null;
  for (let i = 0; i < count; ++i) {
    const v = M._bb_param_value(i);
    if (v !== sentParams[i]) {
      (list ??= []).push(i, v);
      sentParams[i] = v;
    }
  }
  if (list) port.postMessage({ t: 'params', list });
  const [key, depth] = keyboardNow();
  if (key !== sentKey || depth !== sentDepth) {
    sentKey = key;
    sentDepth = depth;
    port.postMessage({ t: 'kb', key, depth });
  }
}

let midiRequested = false;
function startMidiInput() {
  if (midiRequested || typeof navigator.requestMIDIAccess !== 'function') return;
  midiRequested = true;
  const attach = (input) => {
    input.onmidimessage = (event) => {
      const [status, data1 = 0, data2 = 0] = event.data;
      const kind = status & 0xf0;
      if (kind === 0x80 || kind === 0x90) midi(status, data1, data2);
    };
  };
  navigator.requestMIDIAccess().then((access) => {
    access.inputs.forEach(attach);
    access.onstatechange = (event) => {
      if (event.port.type === 'input' && event.port.state === 'connected') attach(event.port);
    };
  }, () => {}); // no MIDI, or refused: the other ways of playing remain
}

function userGesture() {
  startAudio();
  startMidiInput();
}
document.addEventListener('pointerdown', userGesture, true);
document.addEventListener('keydown', userGesture, true);

// Renders notes held from the start through the worklet in an OfflineAudioContext; returns the
// mono samples.
async function renderOffline({ note = 69, notes, seconds = 1, rate = 44100, velocity = 127 } = {}) {
  const played = notes ?? [note];
  const frames = Math.max(1, Math.ceil(seconds * rate));
  const context = new OfflineAudioContext(1, frames, rate);
  const takeEvents = () => played.map((n) => [0x90, n, velocity]);
  const { node } = await makeNode(context, { meters: false, takeEvents });
  node.connect(context.destination);
  const rendered = await context.startRendering();
  return rendered.getChannelData(0);
}

// ---- mouse, wheel and keys ----------------------------------------------------------------------

const pressed = new Set(); // buttons whose press went to the editor

function editorPoint(event) {
  const r = canvas.getBoundingClientRect();
  return [
    Math.floor(((event.clientX - r.left) * width) / r.width),
    Math.floor(((event.clientY - r.top) * height) / r.height),
  ];
}

function mouseMods(event) {
  return (event.buttons & 1 ? 1 : 0) | (event.buttons & 2 ? 2 : 0) | (event.shiftKey ? 4 : 0) |
    (event.ctrlKey ? 8 : 0) | (event.altKey ? 16 : 0);
}

function hideTooltip() {
  tooltipEl.hidden = true;
}

canvas.addEventListener('pointerdown', (event) => {
  if (event.pointerType === 'mouse' && (event.button === 0 || event.button === 2)) {
    canvas.setPointerCapture(event.pointerId);
  }
});

canvas.addEventListener('mousedown', (event) => {
  if (event.button !== 0 && event.button !== 2) return;
  event.preventDefault(); // keeps the focus where the editor puts it (e.g. on the text entry)
  hideTooltip();
  if (entryOpen) {
    finishEntry(4); // a click elsewhere commits the entry and does nothing else
    return;
  }
  canvas.focus({ preventScroll: true });
  const [x, y] = editorPoint(event);
  pressed.add(event.button);
  M._bb_editor_mouse_down(x, y, event.button, mouseMods(event), Math.max(1, event.detail));
  sync();
});

canvas.addEventListener('mousemove', (event) => {
  if (entryOpen || !menuEl.hidden) return;
  const [x, y] = editorPoint(event);
  M._bb_editor_mouse_move(x, y, mouseMods(event));
  sync();
});

canvas.addEventListener('mouseup', (event) => {
  if (!pressed.delete(event.button)) return;
  // A release that ends a press which opened the text entry or a menu belongs to them.
  if (entryOpen || !menuEl.hidden) return;
  const [x, y] = editorPoint(event);
  M._bb_editor_mouse_up(x, y, event.button, mouseMods(event));
  sync();
  if (x < 0 || y < 0 || x >= width || y >= height) M._bb_editor_mouse_leave();
});

canvas.addEventListener('mouseleave', () => {
  if (pressed.size === 0) {
    M._bb_editor_mouse_leave();
    hideTooltip();
  }
});

canvas.addEventListener('contextmenu', (event) => event.preventDefault());
menuEl.addEventListener('contextmenu', (event) => event.preventDefault());

function onWheel(event) {
  event.preventDefault();
  if (entryOpen) {
    finishEntry(3); // the wheel cancels the entry
    return;
  }
  if (!menuEl.hidden) return;
  const notches = event.deltaY < 0 ? 1 : event.deltaY > 0 ? -1 : 0;
  if (notches === 0) return;
  const [x, y] = editorPoint(event);
  M._bb_editor_wheel(x, y, mouseMods(event), notches);
  sync();
}
canvas.addEventListener('wheel', onWheel, { passive: false });
entryEl.addEventListener('wheel', onWheel, { passive: false });

const heldTrackerNotes = new Map(); // event.code -> note

function isTextField(target) {
  return target instanceof HTMLInputElement || target instanceof HTMLSelectElement ||
    target instanceof HTMLTextAreaElement;
}

document.addEventListener('keydown', (event) => {
  if (!M || isTextField(event.target) || event.ctrlKey || event.metaKey || event.altKey) return;
  if (!menuEl.hidden) {
    menuKey(event);
    return;
  }
  const code = editorKeyCode(event.key);
  if (code >= 0 && M._bb_editor_key_down(code)) {
    event.preventDefault();
    sync();
    return;
  }
  const offset = TRACKER_KEYS.get(event.code);
  if (offset === undefined) return;
  event.preventDefault();
  if (event.repeat || heldTrackerNotes.has(event.code)) return;
  const note = TRACKER_BASE_NOTE + offset;
  heldTrackerNotes.set(event.code, note);
  midi(0x90, note, 100);
});

document.addEventListener('keyup', (event) => {
  const note = heldTrackerNotes.get(event.code);
  if (note === undefined) return;
  heldTrackerNotes.delete(event.code);
  midi(0x80, note, 0);
});

// Keys released while the page had no focus never send keyup.
window.addEventListener('blur', () => {
  for (const note of heldTrackerNotes.values()) midi(0x80, note, 0);
  heldTrackerNotes.clear();
});

// ---- popup menu ---------------------------------------------------------------------------------

let menuActive = -1;

function showMenu(items, x, y) {
  hideTooltip();
  menuEl.replaceChildren();
  const list = Array.from(items ?? []);
  list.forEach((item, index) => {
    const li = document.createElement('li');
    const flags = item.flags | 0;
    if (flags & MENU_SEPARATOR) {
      li.className = 'separator';
      li.setAttribute('role', 'separator');
    } else {
      li.textContent = item.text;
      li.setAttribute('role', 'menuitem');
      li.dataset.index = String(index);
      if (flags & MENU_CHECKED) li.classList.add('checked');
      if (flags & MENU_GREYED) li.classList.add('greyed');
      if (flags & MENU_DISABLED) li.classList.add('disabled');
      if (!(flags & (MENU_GREYED | MENU_DISABLED))) li.classList.add('enabled');
    }
    menuEl.append(li);
  });
  menuActive = -1;
  menuEl.hidden = false;
  // Inside the editor: flipped to the left or upwards where it would overflow.
  const w = menuEl.offsetWidth;
  const h = menuEl.offsetHeight;
  menuEl.style.left = `${x + w <= width ? x : Math.max(0, x - w)}px`;
  menuEl.style.top = `${y + h <= height ? y : Math.max(0, y - h)}px`;
}

function closeMenu(index) {
  if (menuEl.hidden) return;
  menuEl.hidden = true;
  menuEl.replaceChildren();
  M._bb_editor_menu_chosen(index);
  sync();
}

function enabledItems() {
  return Array.from(menuEl.querySelectorAll('li.enabled'));
}

function menuKey(event) {
  event.preventDefault();
  const items = enabledItems();
  if (event.key === 'Escape') {
    closeMenu(-1);
  } else if (event.key === 'Enter') {
    const item = items[menuActive];
    if (item) closeMenu(Number(item.dataset.index));
  } else if (event.key === 'ArrowDown' || event.key === 'ArrowUp') {
    if (items.length === 0) return;
    const step = event.key === 'ArrowDown' ? 1 : -1;
    menuActive = (menuActive + step + items.length) % items.length;
    items.forEach((item, i) => item.classList.toggle('active', i === menuActive));
  }
}

menuEl.addEventListener('mousedown', (event) => event.preventDefault());
menuEl.addEventListener('click', (event) => {
  const li = event.target.closest('li.enabled');
  if (li) closeMenu(Number(li.dataset.index));
});

// A press anywhere else closes the menu without a choice, and does nothing more.
document.addEventListener('mousedown', (event) => {
  if (menuEl.hidden || menuEl.contains(event.target)) return;
  event.stopPropagation();
  event.preventDefault();
  closeMenu(-1);
}, true);

// ---- text entry ---------------------------------------------------------------------------------

let entryOpen = false;

function openEntry(o) {
  hideTooltip();
  entryOpen = true;
  entryEl.hidden = false;
  Object.assign(entryEl.style, {
    left: `${o.x}px`,
    top: `${o.y}px`,
    width: `${o.width}px`,
    height: `${o.height}px`,
    font: `${o.fontSize}px ${o.fontFamily || "sans-serif"}`,
    color: o.foreground,
    background: o.background,
    textAlign: o.align,
  });
  entryEl.maxLength = o.limit > 0 ? o.limit : 524288;
  entryEl.value = String(o.text ?? '').slice(0, entryEl.maxLength);
  // Focused once the module's call has returned, so that the focus event's report is not nested in it.
  queueMicrotask(() => {
    if (!entryOpen) return;
    entryEl.focus({ preventScroll: true });
    entryEl.select();
  });
}

function closeEntry() {
  entryOpen = false;
  entryEl.hidden = true;
}

// Reports the entry's end to the editor: 4 commit, 3 cancel.
function finishEntry(state) {
  if (!entryOpen) return;
  const focused = document.activeElement === entryEl;
  M_entryText();
  closeEntry();
  M._bb_editor_entry_state(state);
  sync();
  if (focused) canvas.focus({ preventScroll: true });
}

function M_entryText() {
  withCString(entryEl.value, (ptr) => M._bb_editor_entry_text(ptr));
}

function accepts(ch) {
  return M._bb_editor_entry_accepts(ch.codePointAt(0)) !== 0;
}

entryEl.addEventListener('focus', () => {
  if (entryOpen) M._bb_editor_entry_state(1);
});

entryEl.addEventListener('blur', () => finishEntry(4));

entryEl.addEventListener('keydown', (event) => {
  event.stopPropagation(); // typing here plays no notes
  if (event.key === 'Enter') {
    event.preventDefault();
    finishEntry(4);
  } else if (event.key === 'Escape') {
    event.preventDefault();
    finishEntry(3);
  } else if (event.key.length === 1 && !event.ctrlKey && !event.metaKey && !accepts(event.key)) {
    event.preventDefault();
  }
});
entryEl.addEventListener('keyup', (event) => event.stopPropagation());

// Pasted or composed text: only the characters the entry accepts go in.
entryEl.addEventListener('beforeinput', (event) => {
  if (!event.inputType.startsWith('insert') || event.data == null) return;
  const chars = Array.from(event.data.replace(/[\r\n].*$/s, ''));
  const kept = chars.filter((ch) => ch.codePointAt(0) >= 0x20 && accepts(ch)).join('');
  if (kept === event.data) return;
  event.preventDefault();
  const start = entryEl.selectionStart;
  const end = entryEl.selectionEnd;
  const room = entryEl.maxLength - (entryEl.value.length - (end - start));
  const text = kept.slice(0, Math.max(0, room));
  if (text.length === 0) return;
  entryEl.setRangeText(text, start, end, 'end');
  M_entryText();
});

entryEl.addEventListener('input', () => {
  if (entryOpen) M_entryText();
});

// ---- tooltip ------------------------------------------------------------------------------------

function showTooltip(text, x, y) {
  tooltipEl.textContent = text;
  tooltipEl.hidden = false;
  const w = tooltipEl.offsetWidth;
  const h = tooltipEl.offsetHeight;
  let left = x + 12;
  let top = y + 20;
  if (left + w > width) left = Math.max(0, width - w);
  if (top + h > height) top = Math.max(0, y - h - 4);
  tooltipEl.style.left = `${left}px`;
  tooltipEl.style.top = `${top}px`;
}

// ---- the bar: export, link, load and save -------------------------------------------------------

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

const EXPORT_RATES = [44100, 48000, 22050];
const EXPORT_BITS = [16, 24, 32, 8];
const MAX_EXPORT_SECONDS = 60;

// The current sound on one note as a WAV file, as the command-line renderer writes it.
function exportWav({ note = 60, seconds = 1, rate = 44100, bits = 16 } = {}) {
  if (!Number.isInteger(note) || note < 0 || note > 127) throw new RangeError('note must be 0 to 127');
  if (!(seconds >= 0 && seconds <= MAX_EXPORT_SECONDS)) {
    throw new RangeError(`length must be 0 to ${MAX_EXPORT_SECONDS} s`);
  }
  if (!EXPORT_RATES.includes(rate)) throw new RangeError(`rate must be one of ${EXPORT_RATES.join(', ')}`);
  if (!EXPORT_BITS.includes(bits)) throw new RangeError(`bits must be one of ${EXPORT_BITS.join(', ')}`);
  const ok = M._bb_export_wav(note, seconds, rate, bits);
  if (!ok) throw new Error(cString(M._bb_result_error()) || 'the export failed');
  return resultBytes('the export');
}

function exportFromBar() {
  try {
    const bytes = exportWav({
      note: Number($('export-note').value),
      seconds: Number($('export-seconds').value),
      rate: Number($('export-rate').value),
      bits: Number($('export-bits').value),
    });
    download(bytes, 'brisbleep.wav', 'audio/wav');
    setStatus(`Exported brisbleep.wav (${bytes.length} bytes)`);
  } catch (err) {
    setStatus(`Export failed: ${err.message}`, true);
  }
}

let linkText = null; // the state text the address holds

async function copyLink() {
  const text = stateText();
  linkText = text;
  history.replaceState(null, '', LINK_PREFIX + text);
  const url = location.href;
  try {
    if (!navigator.clipboard) throw new Error('no clipboard here');
    await navigator.clipboard.writeText(url);
    setStatus('Link copied to the clipboard');
    return { url, copied: true };
  } catch (err) {
    setStatus(`The link is in the address bar; the clipboard was refused (${err.message})`, true);
    return { url, copied: false };
  }
}

// Loads the state a #s= fragment carries; false when there is none or it is not a state.
function restoreFromHash() {
  if (!location.hash.startsWith(LINK_PREFIX)) return false;
  let text = location.hash.slice(LINK_PREFIX.length);
  try {
    text = decodeURIComponent(text);
  } catch {
    // Not valid percent-encoding: handed over as it is, and refused like any other non-state.
  }
  if (text === linkText) return true;
  linkText = text;
  const ok = withCString(text, (ptr) => M._bb_state_from_text(ptr)) === 1;
  if (!ok) setStatus('The link does not hold a Brisbleep sound; the current sound is kept', true);
  sync();
  return ok;
}

function loadState(bytes, name) {
  const ok = withBytes(bytes, (ptr, size) => withCString(name, (namePtr) => M._bb_state_load(ptr, size, namePtr)));
  sync();
  if (!ok) throw new Error(cString(M._bb_result_error()) || 'not a state file');
}

function saveState(json = false) {
  const ok = json ? M._bb_state_save_json() : M._bb_state_save();
  if (!ok) throw new Error(cString(M._bb_result_error()) || 'the state could not be saved');
  return resultBytes('saving');
}

// The generator starts from the clock; a seed typed here restarts it, as --seed does for the renderer.
function seedFromBar() {
  const text = $('seed').value.trim();
  const seed = Number(text);
  if (text === '' || !Number.isInteger(seed) || seed < 0 || seed > 4294967295) {
    setStatus('The seed must be a whole number from 0 to 4294967295', true);
    return;
  }
  M._bb_seed(seed >>> 0);
  setStatus(`Seeded with ${seed}: the next recipe is the one brisbleep-render --seed ${seed} makes`);
}

function wireBar() {
  $('seed').addEventListener('change', seedFromBar);
  $('export-wav').addEventListener('click', exportFromBar);
  $('copy-link').addEventListener('click', () => copyLink());
  $('load').addEventListener('click', () => $('load-file').click());
  $('load-file').addEventListener('change', async (event) => {
    const input = event.target;
    const file = input.files && input.files[0];
    input.value = '';
    if (!file) return;
    try {
      loadState(new Uint8Array(await file.arrayBuffer()), file.name);
      setStatus(`Loaded ${file.name}`);
    } catch (err) {
      setStatus(`Could not load ${file.name}: ${err.message}`, true);
    }
  });
  const save = (json) => {
    try {
      const bytes = saveState(json);
      const name = json ? 'brisbleep.json' : 'brisbleep.state';
      download(bytes, name, json ? 'application/json' : 'application/octet-stream');
      setStatus(`Saved ${name}`);
    } catch (err) {
      setStatus(`Save failed: ${err.message}`, true);
    }
  };
  $('save').addEventListener('click', () => save(false));
  $('save-json').addEventListener('click', () => save(true));
  window.addEventListener('hashchange', () => restoreFromHash());
}

// ---- start --------------------------------------------------------------------------------------

async function loadFactory() {
  if (typeof globalThis.createBrisbleep === 'function') return globalThis.createBrisbleep;
  throw new Error('brisbleep.js did not load');
}

async function start() {
  fetchAudioModule();
  const factory = await loadFactory();
  const callbacks = {
    onShowMenu: (items, x, y) => showMenu(items, x, y),
    onOpenTextEntry: (o) => openEntry(o),
    onCloseTextEntry: () => closeEntry(),
    onShowTooltip: (text, x, y) => showTooltip(text, x, y),
    onHideTooltip: () => hideTooltip(),
    onMessageBox: (text, caption, type) => {
      const message = caption ? `${caption}\n\n${text}` : String(text);
      if (type === 1) return window.confirm(message) ? 1 : 2;
      if (type === 4) return window.confirm(message) ? 6 : 7;
      window.alert(message);
      return 1;
    },
    onOpenUrl: (url) => {
      // Only web and mail addresses leave the page.
      if (!/^(https?:|mailto:)/i.test(String(url))) return false;
      window.open(String(url), '_blank', 'noopener,noreferrer');
      return true;
    },
  };
  M = await factory({ ...callbacks });
  Object.assign(M, callbacks);
  window.brisbleep.module = M;
  if (M._bb_init() !== 0) throw new Error('the instrument could not be created');
  width = M._bb_editor_width();
  height = M._bb_editor_height();
  canvas.width = width;
  canvas.height = height;
  frameMs = 1000 / M._bb_editor_frame_rate();
  wireBar();
  restoreFromHash();
  M._bb_editor_tick();
  draw(true);
  firstFrameAt = performance.now();
  lastTick = firstFrameAt;
  requestAnimationFrame(animate);
}

window.brisbleep = {
  module: null,
  ready: null,
  exportWav,
  renderOffline,
  copyLink,
  loadState,
  saveState,
  stateText: () => stateText(),
  paramValues: () => Array.from(paramValues()),
  firstFrameAt: () => firstFrameAt,
  startAudio,
  audio: () => audio, // {context, node} once the sound runs
};
window.brisbleep.ready = start().catch((err) => {
  setStatus(`The instrument could not start: ${err.message}`, true);
  throw err;
});
