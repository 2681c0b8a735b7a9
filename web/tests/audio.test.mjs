// The worklet's sound (pitch at two context rates, against the renderer too), its speed, the time to
// the first frame and the size of what the page downloads.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import zlib from 'node:zlib';

import {
  floats, launchBrowser, openPage, pageBytes, peak, render, serveSite, siteDir, tempDir, wavFloats,
  zeroCrossingPitch,
} from './harness.mjs';

const A4_HZ = 414.857; // the instrument's tuning of note 69
const TOLERANCE = 0.001;

let server;
let browser;
let page;
const work = tempDir('audio');

before(async () => {
  server = await serveSite();
  browser = await launchBrowser();
  ({ page } = await openPage(browser, server.url));
});

after(async () => {
  await browser?.close();
  await server?.close();
});

function sustainedPitch(samples, rate) {
  // The default patch sustains: measure from 0.25 s to 0.05 s before the end.
  return zeroCrossingPitch(samples, rate, Math.round(0.25 * rate), samples.length - Math.round(0.05 * rate));
}

describe('pitch', () => {
  for (const rate of [44100, 48000]) {
    test(`note 69 sounds at ${A4_HZ} Hz in the worklet at ${rate} Hz, as in the renderer`, async () => {
      const samples = floats(await pageBytes(page, (o) => window.brisbleep.renderOffline(o),
        { note: 69, seconds: 1.5, rate }));
      assert.equal(samples.length, Math.ceil(1.5 * rate));
      assert.ok(peak(samples) > 0.05, `the worklet rendered silence (peak ${peak(samples)})`);
      const hz = sustainedPitch(samples, rate);
      console.log(`worklet at ${rate} Hz: note 69 measured ${hz.toFixed(3)} Hz`);
      assert.ok(Math.abs(hz / A4_HZ - 1) < TOLERANCE, `${hz} Hz`);

      const file = path.join(work, `a4-${rate}.wav`);
      render(['--note', '69', '--length', '1.5', '--rate', String(rate), '--bits', '32f', '-o', file]);
      const native = wavFloats(fs.readFileSync(file)).subarray(0, samples.length);
      const nativeHz = sustainedPitch(native, rate);
      assert.ok(Math.abs(nativeHz / hz - 1) < TOLERANCE / 4, `renderer ${nativeHz} Hz, worklet ${hz} Hz`);
      // The same engine: the worklet's samples follow the renderer's closely.
      let worst = 0;
      for (let i = 0; i < native.length; ++i) worst = Math.max(worst, Math.abs(native[i] - samples[i]));
      console.log(`worklet at ${rate} Hz: largest difference from the renderer ${worst.toExponential(2)}`);
      assert.ok(worst < 1e-3, `worklet and renderer differ by up to ${worst}`);
    });
  }
});

describe('performance', () => {
  test('time to the first frame', async () => {
    const fresh = await openPage(browser, server.url);
    const ms = await fresh.page.evaluate(() => window.brisbleep.firstFrameAt());
    console.log(`first frame drawn ${ms.toFixed(0)} ms after navigation`);
    assert.ok(ms > 0 && ms < 5000, `${ms} ms`);
    await fresh.page.close();
  });

  test('four voices render faster than real time in the worklet', async () => {
    const seconds = 10;
    const result = await page.evaluate(async (s) => {
      const t0 = performance.now();
      const samples = await window.brisbleep.renderOffline({ notes: [60, 64, 67, 71], seconds: s, rate: 44100 });
      const ms = performance.now() - t0;
      let p = 0;
      for (const v of samples) p = Math.max(p, Math.abs(v));
      return { ms, peak: p };
    }, seconds);
    const ratio = (seconds * 1000) / result.ms;
    console.log(`four voices, ${seconds} s at 44100 Hz rendered in ${result.ms.toFixed(0)} ms: ` +
      `${ratio.toFixed(1)} times real time`);
    assert.ok(result.peak > 0.05, 'the four voices rendered silence');
    assert.ok(ratio > 1, `${ratio} times real time`);
  });

  test('the compressed modules and data stay under 2 MB', () => {
    for (const file of ['/brisbleep.wasm', '/brisbleep-audio.wasm']) assert.ok(server.requested.has(file), file);
    // Everything the page loaded, the generated script too (files embedded at link time live there).
    let heavy = 0;
    let total = 0;
    for (const p of [...server.requested].sort()) {
      const bytes = fs.readFileSync(path.join(siteDir, p));
      const gz = zlib.gzipSync(bytes, { level: 9 }).length;
      total += gz;
      if (/\.(wasm|data|png|ttf)$/.test(p)) heavy += gz;
      console.log(`${p}: ${bytes.length} bytes, ${gz} gzip -9`);
    }
    console.log(`modules, data and images ${heavy} bytes gzip -9; everything the page loads ${total}`);
    assert.ok(total < 2 * 1000 * 1000, `${total} bytes`);
  });
});
