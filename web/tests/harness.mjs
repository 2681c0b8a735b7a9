// What the browser tests share: a static file server for the site, headless Chromium through
// puppeteer-core, the native renderer, and PNG and WAV readers built on node's zlib.
//
// Environment (set by run.sh): BB_SITE the built site, BB_NATIVE the native build directory,
// BB_NODE_MODULES the node_modules folder holding puppeteer-core, BB_CHROMIUM the browser binary.

import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';

function required(name) {
  const value = process.env[name];
  if (!value) throw new Error(`${name} is not set: run the tests through web/tests/run.sh`);
  return value;
}

export const siteDir = path.resolve(required('BB_SITE'));
export const nativeDir = path.resolve(required('BB_NATIVE'));
export const renderer = path.join(nativeDir, 'cli', 'brisbleep-render');
const chromium = process.env.BB_CHROMIUM || '/usr/bin/chromium';
const puppeteer = createRequire(path.join(path.resolve(required('BB_NODE_MODULES')), 'index.js'))('puppeteer-core');

// Where the editor's COIN button is, in editor pixels (the middle of its 108 x 50 area).
export const COIN = { x: 315, y: 581 };

// ---- files and processes ------------------------------------------------------------------------

export function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), `brisbleep-web-${prefix}-`));
}

export function render(args) {
  return execFileSync(renderer, args, { stdio: ['ignore', 'pipe', 'pipe'] });
}

// ---- the site over http -------------------------------------------------------------------------

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.png': 'image/png',
  '.json': 'application/json',
  '.ttf': 'font/ttf',
};

// Serves the site on a free loopback port; `requested` collects the paths asked for.
export async function serveSite(root = siteDir) {
  const requested = new Set();
  const server = http.createServer((req, res) => {
    let rel;
    try {
      rel = decodeURIComponent(new URL(req.url, 'http://host').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    if (rel.endsWith('/')) rel += 'index.html';
    const file = path.resolve(root, `.${rel}`);
    if (!file.startsWith(root + path.sep)) {
      res.writeHead(403).end();
      return;
    }
    requested.add(rel);
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404, { 'content-type': 'text/plain' }).end('not found');
        return;
      }
      res.writeHead(200, {
        'content-type': TYPES[path.extname(file)] || 'application/octet-stream',
        'cache-control': 'no-store',
      });
      res.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const { port } = server.address();
  return {
    url: `http://127.0.0.1:${port}/`,
    requested,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// ---- the browser --------------------------------------------------------------------------------

export async function launchBrowser() {
  return puppeteer.launch({
    executablePath: chromium,
    headless: true,
    defaultViewport: { width: 1000, height: 900 },
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required', '--mute-audio'],
  });
}

// Opens the page and waits until its editor has drawn its first frame. `problems` collects console
// errors, uncaught exceptions and failed requests from then on.
export async function openPage(browser, url) {
  const page = await browser.newPage();
  const problems = [];
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
  });
  page.on('pageerror', (e) => problems.push(`uncaught: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} (${r.failure()?.errorText})`));
  page.on('response', (r) => {
    if (r.status() >= 400) problems.push(`HTTP ${r.status()}: ${r.url()}`);
  });
  page.on('dialog', (d) => {
    problems.push(`dialog: ${d.message()}`);
    d.dismiss();
  });
  await page.goto(url, { waitUntil: 'load' });
  await page.evaluate(() => window.brisbleep.ready);
  return { page, problems };
}

// Clicks at editor pixels (x, y) of the canvas.
export async function clickEditor(page, { x, y }, options = {}) {
  const box = await page.$eval('#screen', (c) => {
    const r = c.getBoundingClientRect();
    return { left: r.left, top: r.top, sx: r.width / c.width, sy: r.height / c.height };
  });
  await page.mouse.click(box.left + (x + 0.5) * box.sx, box.top + (y + 0.5) * box.sy, options);
}

// Lets the editor run a few of its frames (ticks come from requestAnimationFrame).
export async function settle(page, frames = 4) {
  await page.evaluate((n) => new Promise((resolve) => {
    let left = n;
    const step = () => (--left <= 0 ? setTimeout(resolve, 50) : requestAnimationFrame(step));
    requestAnimationFrame(step);
  }), frames);
}

export async function canvasPixels(page) {
  const b64 = await page.evaluate(() => {
    const c = document.getElementById('screen');
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let s = '';
    for (let i = 0; i < data.length; i += 0x8000) s += String.fromCharCode(...data.subarray(i, i + 0x8000));
    return btoa(s);
  });
  const size = await page.$eval('#screen', (c) => [c.width, c.height]);
  return { width: size[0], height: size[1], rgba: Buffer.from(b64, 'base64') };
}

// Runs fn in the page; its result (a Uint8Array or Float32Array) comes back as a Buffer.
export async function pageBytes(page, fn, arg) {
  const b64 = await page.evaluate(async (source, a) => {
    // eslint-disable-next-line no-new-func
    const value = await new Function(`return (${source})`)()(a);
    const bytes = new Uint8Array(value.buffer, value.byteOffset, value.byteLength);
    let s = '';
    for (let i = 0; i < bytes.length; i += 0x8000) s += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(s);
  }, fn.toString(), arg);
  return Buffer.from(b64, 'base64');
}

export function floats(buffer) {
  const copy = Uint8Array.from(buffer);
  return new Float32Array(copy.buffer);
}

// ---- PNG ----------------------------------------------------------------------------------------

const CHANNELS = { 0: 1, 2: 3, 3: 1, 4: 2, 6: 4 };

// Decodes an 8-bit, non-interlaced PNG (grey, RGB, palette, grey+alpha or RGBA) into RGBA.
export function decodePng(file) {
  const SIGNATURE = Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]);
  if (!file.subarray(0, 8).equals(SIGNATURE)) throw new Error('not a PNG file');
  let offset = 8;
  let header = null;
  let palette = null;
  const idat = [];
  while (offset + 8 <= file.length) {
    const length = file.readUInt32BE(offset);
    const type = file.toString('latin1', offset + 4, offset + 8);
    const data = file.subarray(offset + 8, offset + 8 + length);
    offset += 12 + length;
    if (type === 'IHDR') {
      header = {
        width: data.readUInt32BE(0),
        height: data.readUInt32BE(4),
        depth: data[8],
        colorType: data[9],
        interlace: data[12],
      };
    } else if (type === 'PLTE') {
      palette = data;
    } else if (type === 'IDAT') {
      idat.push(data);
    } else if (type === 'IEND') {
      break;
    }
  }
  if (!header) throw new Error('PNG without IHDR');
  const { width, height, depth, colorType, interlace } = header;
  const channels = CHANNELS[colorType];
  if (depth !== 8 || !channels || interlace !== 0) {
    throw new Error(`unsupported PNG: depth ${depth}, colour type ${colorType}, interlace ${interlace}`);
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  if (raw.length < height * (stride + 1)) throw new Error('PNG data too short');
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const src = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const row = pixels.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : null;
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? row[i - channels] : 0;
      const b = up ? up[i] : 0;
      const c = up && i >= channels ? up[i - channels] : 0;
      let v = src[i];
      switch (filter) {
        case 0: break;
        case 1: v += a; break;
        case 2: v += b; break;
        case 3: v += (a + b) >> 1; break;
        case 4: {
          const p = a + b - c;
          const pa = Math.abs(p - a);
          const pb = Math.abs(p - b);
          const pc = Math.abs(p - c);
          v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: throw new Error(`bad PNG filter ${filter} in row ${y}`);
      }
      row[i] = v & 0xff;
    }
  }
  const rgba = Buffer.alloc(width * height * 4);
  for (let i = 0; i < width * height; ++i) {
    const s = i * channels;
    let r;
    let g;
    let b;
    let alpha = 255;
    if (colorType === 0 || colorType === 4) {
      r = g = b = pixels[s];
      if (colorType === 4) alpha = pixels[s + 1];
    } else if (colorType === 3) {
      const k = pixels[s] * 3;
      [r, g, b] = [palette[k], palette[k + 1], palette[k + 2]];
    } else {
      [r, g, b] = [pixels[s], pixels[s + 1], pixels[s + 2]];
      if (colorType === 6) alpha = pixels[s + 3];
    }
    rgba.set([r, g, b, alpha], i * 4);
  }
  return { width, height, rgba };
}

const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});

function crc32(bytes) {
  let c = 0xffffffff;
  for (const byte of bytes) c = CRC_TABLE[(c ^ byte) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

// An RGBA PNG, for looking at a failed comparison.
export function encodePng({ width, height, rgba }) {
  const chunk = (type, data) => {
    const head = Buffer.alloc(8);
    head.writeUInt32BE(data.length, 0);
    head.write(type, 4, 'latin1');
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(Buffer.concat([head.subarray(4), data])), 0);
    return Buffer.concat([head, data, crc]);
  };
  const ihdr = Buffer.alloc(13);
  ihdr.writeUInt32BE(width, 0);
  ihdr.writeUInt32BE(height, 4);
  ihdr.set([8, 6, 0, 0, 0], 8);
  const raw = Buffer.alloc(height * (width * 4 + 1));
  for (let y = 0; y < height; ++y) rgba.copy(raw, y * (width * 4 + 1) + 1, y * width * 4, (y + 1) * width * 4);
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', ihdr),
    chunk('IDAT', zlib.deflateSync(raw)),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

// Pixels whose RGB differ, with their bounding box.
export function compareRgb(a, b) {
  if (a.width !== b.width || a.height !== b.height) {
    return { differing: Infinity, box: null, sizes: `${a.width}x${a.height} vs ${b.width}x${b.height}` };
  }
  let differing = 0;
  const box = { left: Infinity, top: Infinity, right: -1, bottom: -1 };
  for (let i = 0; i < a.width * a.height; ++i) {
    const k = i * 4;
    if (a.rgba[k] !== b.rgba[k] || a.rgba[k + 1] !== b.rgba[k + 1] || a.rgba[k + 2] !== b.rgba[k + 2]) {
      ++differing;
      const x = i % a.width;
      const y = Math.floor(i / a.width);
      box.left = Math.min(box.left, x);
      box.top = Math.min(box.top, y);
      box.right = Math.max(box.right, x + 1);
      box.bottom = Math.max(box.bottom, y + 1);
    }
  }
  return { differing, box: differing ? box : null };
}

// ---- WAV and pitch ------------------------------------------------------------------------------

// The samples of a mono 32-bit float WAV file.
export function wavFloats(file) {
  let offset = 12;
  let format = null;
  while (offset + 8 <= file.length) {
    const id = file.toString('latin1', offset, offset + 4);
    const size = file.readUInt32LE(offset + 4);
    if (id === 'fmt ') format = { tag: file.readUInt16LE(offset + 8), bits: file.readUInt16LE(offset + 22) };
    if (id === 'data') {
      if (!format || format.bits !== 32) throw new Error('not a 32-bit float WAV');
      return floats(file.subarray(offset + 8, offset + 8 + size));
    }
    offset += 8 + size + (size & 1);
  }
  throw new Error('WAV without data');
}

// Fundamental frequency from the rising zero crossings (linearly interpolated) of samples[from, to).
export function zeroCrossingPitch(samples, rate, from, to) {
  let mean = 0;
  for (let i = from; i < to; ++i) mean += samples[i];
  mean /= to - from;
  let first = -1;
  let last = -1;
  let count = 0;
  for (let i = from + 1; i < to; ++i) {
    const a = samples[i - 1] - mean;
    const b = samples[i] - mean;
    if (a < 0 && b >= 0) {
      const t = i - 1 + a / (a - b);
      if (first < 0) first = t;
      last = t;
      ++count;
    }
  }
  if (count < 3) return NaN;
  return ((count - 1) * rate) / (last - first);
}

export function peak(samples) {
  let p = 0;
  for (const s of samples) p = Math.max(p, Math.abs(s));
  return p;
}
