// The page against the native build: loading, the drawn editor, the COIN button, the WAV export,
// the link and the state files.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import {
  COIN, canvasPixels, clickEditor, compareRgb, decodePng, encodePng, launchBrowser, openPage, pageBytes,
  render, serveSite, settle, tempDir,
} from './harness.mjs';

let server;
let browser;
const work = tempDir('page');

before(async () => {
  server = await serveSite();
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  await server?.close();
});

// Compares the canvas with the renderer's editor snapshot made with `args`; on a difference both
// images are kept for a look.
async function assertCanvasEquals(page, args, name) {
  const file = path.join(work, `${name}-native.png`);
  render([...args, '--editor-png', file]);
  const native = decodePng(fs.readFileSync(file));
  const shown = await canvasPixels(page);
  const { differing, box, sizes } = compareRgb(shown, native);
  if (differing !== 0) {
    const shot = path.join(work, `${name}-page.png`);
    fs.writeFileSync(shot, encodePng(shown));
    assert.fail(`${differing} pixels differ (${sizes ?? JSON.stringify(box)}); see ${shot} and ${file}`);
  }
}

// Seeds the generator, through the bar's seed field when asked to, and clicks COIN.
async function seedAndCoin(page, seed, { throughBar = false } = {}) {
  if (throughBar) {
    await page.$eval('#seed', (e, s) => {
      e.value = String(s);
      e.dispatchEvent(new Event('change'));
    }, seed);
  } else {
    await page.evaluate((s) => window.brisbleep.module._bb_seed(s), seed);
  }
  const before = await page.evaluate(() => window.brisbleep.stateText());
  await clickEditor(page, COIN);
  await page.waitForFunction((b) => window.brisbleep.stateText() !== b, { timeout: 3000 }, before);
  return before;
}

describe('loading', () => {
  test('the page loads with no console error and no failed request', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await settle(page, 6);
    for (const file of ['/index.html', '/app.js', '/brisbleep.js', '/brisbleep.wasm', '/brisbleep-audio.wasm']) {
      assert.ok(server.requested.has(file), `${file} was not requested`);
    }
    const status = await page.$eval('#status', (e) => e.textContent);
    assert.equal(status, '');
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the first frame equals the renderer\'s editor snapshot of the default state', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await assertCanvasEquals(page, [], 'default');
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('editor', () => {
  test('a click on COIN changes the state and the drawing follows it', async () => {
    const { page, problems } = await openPage(browser, server.url);
    const values0 = await page.evaluate(() => window.brisbleep.paramValues());
    const before = await seedAndCoin(page, 1234);
    const after = await page.evaluate(() => window.brisbleep.stateText());
    assert.notEqual(after, before);
    const values1 = await page.evaluate(() => window.brisbleep.paramValues());
    assert.ok(values1.some((v, i) => v !== values0[i]), 'no parameter changed');
    // Away from every control, then the editor's frames: the knobs show the recipe's values.
    await page.mouse.move(2, 2);
    await settle(page, 8);
    await assertCanvasEquals(page, ['--recipe', 'coin', '--seed', '1234'], 'coin');
    assert.deepEqual(problems, []);
    await page.close();
  });

  // Output Gain (parameter 0, -6 dB by default) has its knob at 752,32 (72 x 68), its value text in
  // the lowest 16 rows.
  test('wheel, drag, double click and the value entry work the knobs as on the desktop', async () => {
    const { page, problems } = await openPage(browser, server.url);
    const knob = { x: 788, y: 66 };
    const gain = () => page.evaluate(() => window.brisbleep.module._bb_param_value(0));
    const box = await page.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
    const at = (p) => [box.left + p.x + 0.5, box.top + p.y + 0.5];
    assert.equal(await gain(), -6);

    // One notch per event, whatever the event's size.
    await page.mouse.move(...at(knob));
    await page.mouse.wheel({ deltaY: -100 });
    const one = await gain();
    await page.mouse.wheel({ deltaY: -1000 });
    const two = await gain();
    assert.ok(one > -6, `wheel up left ${one}`);
    assert.ok(Math.abs((two - one) - (one + 6)) < 0.11, `steps ${one + 6} then ${two - one}`);
    await page.mouse.wheel({ deltaY: 100 });
    assert.ok(Math.abs((await gain()) - one) < 0.11, 'wheel down');

    // Double click: the default value again.
    await page.mouse.click(...at(knob), { count: 2 });
    assert.equal(await gain(), -6);

    // A drag upwards raises the value and goes on above the canvas while the button is held.
    await page.mouse.down();
    await page.mouse.move(at(knob)[0], at(knob)[1] - 20, { steps: 4 });
    const inside = await gain();
    await page.mouse.move(at(knob)[0], box.top - 20, { steps: 4 });
    const outside = await gain();
    await page.mouse.up();
    assert.ok(inside > -6, `drag inside left ${inside}`);
    assert.ok(outside > inside, `drag outside the canvas: ${outside} after ${inside}`);
    await page.mouse.click(...at(knob), { count: 2 });
    assert.equal(await gain(), -6);

    // A press on the value text under the knob opens the value entry there, focused, all selected.
    const entry = () => page.$eval('#entry', (e) => ({
      hidden: e.hidden, focused: document.activeElement === e, value: e.value, max: e.maxLength,
      selected: e.selectionEnd - e.selectionStart,
    }));
    const openEntry = async () => {
      await page.mouse.click(...at({ x: 788, y: 92 }));
      await page.waitForFunction(() => document.activeElement === document.getElementById('entry'));
    };
    await openEntry();
    const opened = await entry();
    assert.equal(opened.hidden, false);
    assert.ok(opened.max > 0, 'no length limit');
    assert.equal(opened.selected, opened.value.length);
    // Letters are refused by the entry's filter; the number replaces the selection; Enter commits.
    await page.keyboard.type('x-1y2.5z');
    assert.equal((await entry()).value, '-12.5'.slice(0, opened.max));
    await page.keyboard.press('Enter');
    await settle(page, 3);
    assert.equal((await entry()).hidden, true);
    assert.equal(await gain(), -12.5);
    // Escape cancels, the wheel cancels, a click elsewhere commits.
    await openEntry();
    await page.keyboard.type('3');
    await page.keyboard.press('Escape');
    await settle(page, 3);
    assert.equal(await gain(), -12.5);
    await openEntry();
    await page.keyboard.type('4');
    await page.mouse.wheel({ deltaY: -100 });
    await settle(page, 3);
    assert.equal(await gain(), -12.5);
    assert.equal((await entry()).hidden, true);
    await openEntry();
    await page.keyboard.type('-3');
    await page.mouse.click(box.left + 2, box.top + 2);
    await settle(page, 3);
    assert.equal(await gain(), -3);
    // Typing in the entry played no note and reached no editor key.
    assert.equal(await page.evaluate(() => window.brisbleep.module._bb_editor_keyboard_key()), -1);
    assert.deepEqual(problems, []);
    await page.close();
  });

  // Oscillator 1's waveform (parameter 1, Triangle by default) shows its value text at 68,91.
  test('a press on a list parameter\'s value offers its values in a menu and sets the one chosen', async () => {
    const { page, problems } = await openPage(browser, server.url);
    const wave = () => page.evaluate(() => window.brisbleep.module._bb_param_value(1));
    assert.equal(await wave(), 1);
    await clickEditor(page, { x: 68, y: 91 });
    const items = await page.$$eval('#menu li', (l) => l.map((e) => [e.textContent, e.classList.contains('checked')]));
    assert.deepEqual(items, [['Off', false], ['Triangle', true], ['Sin', false], ['Square', false],
      ['Saw', false], ['Breaker', false], ['Tan', false], ['Whistle', false]]);
    await page.click('#menu li[data-index="3"]');
    assert.equal(await page.$eval('#menu', (e) => e.hidden), true);
    assert.equal(await wave(), 3);
    // Escaping a menu changes nothing.
    await clickEditor(page, { x: 68, y: 91 });
    await page.keyboard.press('Escape');
    assert.equal(await page.$eval('#menu', (e) => e.hidden), true);
    assert.equal(await wave(), 3);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('resting on a control shows its tooltip by the pointer; leaving hides it', async () => {
    const { page, problems } = await openPage(browser, server.url);
    const box = await page.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
    await page.mouse.move(box.left + 300, box.top + 20);
    await page.mouse.move(box.left + 788.5, box.top + 66.5, { steps: 3 });
    await page.waitForFunction(() => !document.getElementById('tooltip').hidden, { timeout: 5000 });
    const tip = await page.$eval('#tooltip', (e) => ({
      text: e.textContent, left: parseFloat(e.style.left), top: parseFloat(e.style.top),
      right: e.offsetLeft + e.offsetWidth,
    }));
    assert.equal(tip.text, 'Output Gain');
    assert.ok(tip.right <= 846, 'the tooltip leaves the editor');
    assert.ok(Math.abs(tip.top - 66) < 40, `tooltip at ${tip.top}`);
    await page.mouse.move(box.left + 300, box.top + 900);
    await page.waitForFunction(() => document.getElementById('tooltip').hidden, { timeout: 3000 });
    assert.deepEqual(problems, []);
    await page.close();
  });

  // The live path: a gesture starts the context, a tracker key sends its note to the worklet (heard
  // through an analyser on the node), its release ends it, and the worklet's levels reach the meters.
  test('a tracker key plays through the running worklet and the meters show it', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await clickEditor(page, { x: 2, y: 2 });
    await page.evaluate(() => window.brisbleep.startAudio());
    await page.evaluate(() => {
      const { context, node } = window.brisbleep.audio();
      const analyser = new AnalyserNode(context, { fftSize: 2048 });
      node.connect(analyser);
      const data = new Float32Array(analyser.fftSize);
      window.levelNow = () => {
        analyser.getFloatTimeDomainData(data);
        return data.reduce((p, v) => Math.max(p, Math.abs(v)), 0);
      };
    });
    const level = () => page.evaluate(() => window.levelNow());
    const meterArea = { left: 760, top: 100, right: 817, bottom: 242 };
    const meters = async () => {
      const { width, rgba } = await canvasPixels(page);
      const rows = [];
      for (let y = meterArea.top; y < meterArea.bottom; ++y) {
        rows.push(rgba.subarray((y * width + meterArea.left) * 4, (y * width + meterArea.right) * 4));
      }
      return Buffer.concat(rows);
    };
    // Everything but the meters: only the editor's keyboard may change there, showing the held note.
    const rest = async () => {
      const { width, rgba } = await canvasPixels(page);
      const copy = Buffer.from(rgba);
      for (let y = meterArea.top; y < meterArea.bottom; ++y) {
        copy.fill(0, (y * width + meterArea.left) * 4, (y * width + meterArea.right) * 4);
      }
      return copy;
    };
    await settle(page, 6);
    assert.equal(await level(), 0, 'sound before any note');
    const idle = await meters();
    const idleRest = await rest();
    await page.keyboard.down('z');
    let heard = 0;
    let moved = false;
    let shown = false;
    for (let i = 0; i < 20 && !(heard > 0.05 && moved && shown); ++i) {
      await settle(page, 3);
      heard = Math.max(heard, await level());
      moved ||= !(await meters()).equals(idle);
      shown ||= !(await rest()).equals(idleRest);
    }
    await page.keyboard.up('z');
    assert.ok(heard > 0.05, `Z played nothing (peak ${heard})`);
    // The default patch releases in 0.2 s: well after it the node is silent again.
    await new Promise((r) => setTimeout(r, 800));
    assert.ok((await level()) < 1e-4, 'the note went on after Z was released');
    assert.ok(moved, 'the meters did not move while Z was held');
    assert.ok(shown, "the editor's keyboard did not show the note held");
    assert.ok((await rest()).equals(idleRest), "the editor's keyboard still shows the note after its release");
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the right button opens no browser menu and the wheel does not scroll the page', async () => {
    const { page, problems } = await openPage(browser, server.url);
    const prevented = await page.evaluate(() => {
      const c = document.getElementById('screen');
      const r = c.getBoundingClientRect();
      const at = { clientX: r.left + 10, clientY: r.top + 10, bubbles: true, cancelable: true };
      const menu = new MouseEvent('contextmenu', at);
      const wheel = new WheelEvent('wheel', { ...at, deltaY: 100 });
      return [!c.dispatchEvent(menu), !c.dispatchEvent(wheel)];
    });
    assert.deepEqual(prevented, [true, true]);
    assert.deepEqual(problems, []);
    await page.close();
  });
});

describe('export', () => {
  // After seed 1234 and COIN, each export equals the renderer's file for the same options.
  const cases = [
    { note: 60, seconds: 0.5, rate: 44100, bits: 16 },
    { note: 69, seconds: 0.3, rate: 48000, bits: 24 },
    { note: 72, seconds: 0.25, rate: 22050, bits: 8 },
    { note: 48, seconds: 0.2, rate: 44100, bits: 32 },
  ];

  test('Export WAV gives the renderer\'s bytes', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await seedAndCoin(page, 1234);
    for (const c of cases) {
      const out = path.join(work, `coin-${c.note}-${c.rate}-${c.bits}.wav`);
      render(['--recipe', 'coin', '--seed', '1234', '--note', String(c.note), '--length', String(c.seconds),
        '--rate', String(c.rate), '--bits', c.bits === 32 ? '32f' : String(c.bits), '-o', out]);
      const expected = fs.readFileSync(out);
      const got = await pageBytes(page, (o) => window.brisbleep.exportWav(o), c);
      assert.equal(got.length, expected.length, `size for ${JSON.stringify(c)}`);
      assert.ok(got.equals(expected), `bytes for ${JSON.stringify(c)}`);
      // Exporting does not move the generator: a second export is the same file.
      const again = await pageBytes(page, (o) => window.brisbleep.exportWav(o), c);
      assert.ok(again.equals(expected), `second export for ${JSON.stringify(c)}`);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('the bar\'s seed and button download brisbleep.wav with the chosen options', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await seedAndCoin(page, 1234, { throughBar: true });
    const downloads = tempDir('download');
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await page.$eval('#export-note', (e) => { e.value = '60'; });
    await page.$eval('#export-seconds', (e) => { e.value = '0.5'; });
    await page.select('#export-rate', '44100');
    await page.select('#export-bits', '16');
    await page.click('#export-wav');
    const file = path.join(downloads, 'brisbleep.wav');
    for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await new Promise((r) => setTimeout(r, 50));
    const expected = path.join(work, 'coin-button.wav');
    render(['--recipe', 'coin', '--seed', '1234', '--note', '60', '--length', '0.5', '--rate', '44100',
      '--bits', '16', '-o', expected]);
    assert.ok(fs.readFileSync(file).equals(fs.readFileSync(expected)));
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('options outside the renderer\'s ranges are refused in the status line', async () => {
    const { page } = await openPage(browser, server.url);
    const bad = [
      { note: 128, seconds: 0.5, rate: 44100, bits: 16 },
      { note: -1, seconds: 0.5, rate: 44100, bits: 16 },
      { note: 60, seconds: 61, rate: 44100, bits: 16 },
      { note: 60, seconds: 0.5, rate: 44100, bits: 12 },
      { note: 60, seconds: 0.5, rate: 12345, bits: 16 },
    ];
    for (const c of bad) {
      const message = await page.evaluate((o) => {
        try {
          window.brisbleep.exportWav(o);
          return null;
        } catch (err) {
          return err.message;
        }
      }, c);
      assert.ok(message, `${JSON.stringify(c)} was exported`);
    }
    await page.$eval('#export-note', (e) => { e.value = '200'; });
    await page.click('#export-wav');
    const status = await page.$eval('#status', (e) => [e.textContent, e.className]);
    assert.match(status[0], /^Export failed: note/);
    assert.equal(status[1], 'error');
    await page.close();
  });
});

describe('link and state files', () => {
  test('a copied link restores the same state in a new page', async () => {
    const context = browser.defaultBrowserContext();
    await context.overridePermissions(server.url.replace(/\/$/, ''), ['clipboard-read', 'clipboard-write',
      'clipboard-sanitized-write']);
    const { page, problems } = await openPage(browser, server.url);
    await seedAndCoin(page, 77);
    await page.click('#copy-link');
    await page.waitForFunction(() => document.getElementById('status').textContent !== '');
    const [href, state, values, displays, copied] = await page.evaluate(async () => {
      const m = window.brisbleep.module;
      const d = [];
      for (let i = 0; i < 60; ++i) d.push(m.UTF8ToString(m._bb_param_display(i)));
      return [location.href, window.brisbleep.stateText(), window.brisbleep.paramValues(), d,
        await navigator.clipboard.readText()];
    });
    assert.equal(copied, href);
    assert.equal(new URL(href).hash, `#s=${state}`);
    assert.equal(state.length, Math.ceil((484 * 4) / 3));
    assert.deepEqual(problems, []);

    const opened = await openPage(browser, copied);
    const restored = await opened.page.evaluate(() => {
      const m = window.brisbleep.module;
      const d = [];
      for (let i = 0; i < 60; ++i) d.push(m.UTF8ToString(m._bb_param_display(i)));
      return [window.brisbleep.stateText(), window.brisbleep.paramValues(), d];
    });
    assert.equal(restored[0], state);
    assert.deepEqual(restored[1], values);
    assert.deepEqual(restored[2], displays);
    assert.deepEqual(opened.problems, []);
    await opened.page.close();
    await page.close();
  });

  test('a refused clipboard still leaves the link in the address and says so', async () => {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      Object.defineProperty(Navigator.prototype, 'clipboard', {
        get: () => ({ writeText: () => Promise.reject(new Error('denied by the test')) }),
      });
    });
    await page.goto(server.url);
    await page.evaluate(() => window.brisbleep.ready);
    await page.click('#copy-link');
    await page.waitForFunction(() => document.getElementById('status').textContent !== '');
    const [hash, state, status] = await page.evaluate(() => [location.hash, window.brisbleep.stateText(),
      document.getElementById('status').textContent]);
    assert.equal(hash, `#s=${state}`);
    assert.match(status, /address bar.*refused \(denied by the test\)/);
    await page.close();
  });

  test('a link that holds no state keeps the default sound and says so', async () => {
    const fresh = await openPage(browser, server.url);
    const defaults = await fresh.page.evaluate(() => window.brisbleep.stateText());
    await fresh.page.close();
    const truncated = defaults.slice(0, -1);
    const notBase64 = `${defaults.slice(0, -4)}!!!!`;
    for (const text of ['', 'AAAA', truncated, notBase64, `${defaults}AAAA`, '%E0%A4%A', 'x'.repeat(100000)]) {
      const { page } = await openPage(browser, `${server.url}#s=${text}`);
      const [state, status] = await page.evaluate(() => [window.brisbleep.stateText(),
        document.getElementById('status').textContent]);
      assert.equal(state, defaults, `state after #s=${text.slice(0, 20)}`);
      assert.match(status, /does not hold/, `status after #s=${text.slice(0, 20)}`);
      await page.close();
    }
  });

  test('Save and Save JSON download the state in both formats', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await seedAndCoin(page, 5);
    const downloads = tempDir('save');
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await page.click('#save');
    await page.click('#save-json');
    const waitFor = async (name) => {
      const file = path.join(downloads, name);
      for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await new Promise((r) => setTimeout(r, 50));
      return fs.readFileSync(file);
    };
    const expected = path.join(work, 'coin5.state');
    const expectedJson = path.join(work, 'coin5.json');
    render(['--recipe', 'coin', '--seed', '5', '--save-state', expected, '--save-json', expectedJson]);
    assert.ok((await waitFor('brisbleep.state')).equals(fs.readFileSync(expected)));
    assert.deepEqual(JSON.parse(await waitFor('brisbleep.json')), JSON.parse(fs.readFileSync(expectedJson)));
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('state files round-trip and load the renderer\'s files', async () => {
    const { page, problems } = await openPage(browser, server.url);
    await seedAndCoin(page, 99);
    const state = await page.evaluate(() => window.brisbleep.stateText());
    const binary = await pageBytes(page, () => window.brisbleep.saveState(false));
    const json = await pageBytes(page, () => window.brisbleep.saveState(true));
    assert.equal(binary.length, 484);
    const nativeState = path.join(work, 'coin99.state');
    render(['--recipe', 'coin', '--seed', '99', '--save-state', nativeState]);
    assert.ok(binary.equals(fs.readFileSync(nativeState)), 'binary state differs from the renderer\'s');
    const parsed = JSON.parse(json.toString('utf8'));
    assert.equal(typeof parsed, 'object');

    // Each format loaded into a fresh page through the file input gives the same state.
    const jsonFile = path.join(work, 'coin99.json');
    fs.writeFileSync(jsonFile, json);
    for (const file of [nativeState, jsonFile]) {
      const fresh = await openPage(browser, server.url);
      const input = await fresh.page.$('#load-file');
      await input.uploadFile(file);
      await fresh.page.waitForFunction(() => document.getElementById('status').textContent !== '');
      const [got, status] = await fresh.page.evaluate(() => [window.brisbleep.stateText(),
        document.getElementById('status').textContent]);
      assert.equal(status, `Loaded ${path.basename(file)}`);
      assert.equal(got, state, `state loaded from ${path.basename(file)}`);
      assert.deepEqual(fresh.problems, []);
      await fresh.page.close();
    }

    // A file that is no state is refused with the module's reason and changes nothing.
    const junk = path.join(work, 'junk.state');
    fs.writeFileSync(junk, Buffer.from('not a state at all'));
    const fresh = await openPage(browser, server.url);
    const defaults = await fresh.page.evaluate(() => window.brisbleep.stateText());
    await (await fresh.page.$('#load-file')).uploadFile(junk);
    await fresh.page.waitForFunction(() => document.getElementById('status').textContent !== '');
    const [after, status, cls] = await fresh.page.evaluate(() => [window.brisbleep.stateText(),
      document.getElementById('status').textContent, document.getElementById('status').className]);
    assert.equal(after, defaults);
    assert.match(status, /^Could not load junk\.state: ./);
    assert.equal(cls, 'error');
    await fresh.page.close();
    assert.deepEqual(problems, []);
    await page.close();
  });
});
