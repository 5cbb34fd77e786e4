// The page's editor, links, downloads and layout in Chromium, against the
// native program. Run by tools/page-test, which packs the sites and serves
// them: SITES (the folder served), ORIGIN (where), VELMORA (the native
// program), SHOW (the show's folder the sites were packed from), WATCHED (the
// show `web --watch` keeps packed as SITES/watched), SHOTS (where screenshots go).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, mkdirSync, writeFileSync, readFileSync, rmSync, cpSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, dirname } from 'node:path';
import { chromium } from 'playwright-core';
import { unzipSync, deflateSync } from 'fflate';

const { SITES, ORIGIN, VELMORA, SHOW, WATCHED, SHOTS } = process.env;
const FLAGS = ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync', '--disable-dev-shm-usage', '--autoplay-policy=no-user-gesture-required'];
const SITE = ORIGIN + '/fader/index.html';
// The frame the example is rendered at, natively and in the page.
const AT = { count: 1, position: { order: 0, row: 0, fraction: 0 } };
const NATIVE_AT = ['--frames', '1', '--position', '0:0:0'];
const original = readFileSync(join(SHOW, 'fader.zyl'), 'utf8');
const edited = original.replace('moitie 0 0 0.5', 'moitie 0 0 0.25');
const typo = edited.replace('ZYL_BoxCopier copie', 'ZYL_BoxCopyer copie');

const scratch = mkdtempSync(join(tmpdir(), 'page-test-'));
const contexts = [];

async function browser() {
  const profile = mkdtempSync(join(scratch, 'profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium', headless: true, args: FLAGS, acceptDownloads: true,
  });
  contexts.push(context);
  return context;
}

function run(args, cwd = SHOW) {
  try {
    return execFileSync(VELMORA, args, { cwd, encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (e) {
    return (e.stdout || '') + (e.stderr || '');
  }
}

function nativeHashes(script) {
  writeFileSync(join(SHOW, 'edited.zyl'), script);
  return run(['render', '--script', 'edited.zyl', '--hash', '--quiet', ...NATIVE_AT]).trim().split('\n')
    .filter((l) => l !== 'done');
}

function nativeCheck(script) {
  writeFileSync(join(SHOW, 'edited.zyl'), script);
  return run(['check', '--script', 'edited.zyl']).trim().split('\n');
}

const pageHashes = async (page, at = AT) =>
  (await page.evaluate((at) => window.velmoraPlayer.frameHashes(at), at)).map((h, k) => 'frame ' + k + ' ' + h);

// The native frame at (order, row) of a show saved from the page: the script
// and its track file written into a copy of the show's folder.
function nativeTrackHashes(script, tracks, order, row) {
  const folder = join(scratch, 'saved');
  cpSync(SHOW, folder, { recursive: true });
  writeFileSync(join(folder, 'saved.zyl'), script);
  writeFileSync(join(folder, 'script.tracks'), tracks);
  return run(['render', '--script', 'saved.zyl', '--hash', '--quiet', '--frames', '1', '--position', order + ':' + row + ':0'], folder)
    .trim().split('\n').filter((l) => l !== 'done');
}

// The page's render mode (page.js): its printed lines.
async function renderLines(page, url) {
  const [path, fragment = ''] = url.split('#');
  await page.goto(path + '?render=1&position=0:0:0' + (fragment && '#' + fragment));
  await page.waitForFunction(() => /(^|\n)done/.test(document.getElementById('frames').textContent) ||
    getComputedStyle(document.getElementById('fatal')).display !== 'none', null, { timeout: 60000 });
  return page.evaluate(() => document.getElementById('frames').textContent.trim().split('\n').filter((l) => l !== 'done'));
}

async function openEditor(page) {
  await page.waitForFunction(() => window.velmoraPlayer);
  await page.keyboard.press('e');
  await page.waitForSelector('#editor .cm-content', { state: 'visible' });
}

// Types over `from` (found in the editor's text) with `to`, key by key, and
// waits for the reload of the finished text.
async function typeOver(page, from, to) {
  await page.evaluate((from) => {
    const { view } = window.velmoraEditor;
    const at = view.state.doc.toString().indexOf(from);
    view.dispatch({ selection: { anchor: at, head: at + from.length } });
    view.focus();
  }, from);
  await page.keyboard.type(to);
  await page.waitForFunction(() => {
    const { view, last } = window.velmoraEditor;
    return last && last.text === view.state.doc.toString();
  });
  return page.evaluate(() => window.velmoraEditor.last);
}

let page;
before(async () => {
  page = await (await browser()).newPage();
});
after(async () => {
  for (const context of contexts) await context.close();
  rmSync(scratch, { recursive: true, force: true });
});

test('the site opens as the player; the editor opens on E with the site\'s script', async () => {
  const lines = await renderLines(page, SITE);
  assert.deepEqual(lines, nativeHashes(original));
  assert.equal(await page.isVisible('#editor'), false);
  await openEditor(page);
  assert.equal(await page.evaluate(() => window.velmoraEditor.view.state.doc.toString()), original);
});

test('typing reloads the show: the frame becomes the native frame of the edited script', async () => {
  const before = await pageHashes(page);
  const reload = await typeOver(page, 'moitie 0 0 0.5', 'moitie 0 0 0.25');
  assert.equal(reload.ok, true);
  const now = await pageHashes(page);
  assert.deepEqual(now, nativeHashes(edited));
  assert.notDeepEqual(now, before);
});

test('a typo marks its line with check\'s text; the last good frames stay', async () => {
  const reload = await typeOver(page, 'ZYL_BoxCopier', 'ZYL_BoxCopyer');
  assert.equal(reload.ok, false);
  const line = typo.split('\n').findIndex((l) => l.startsWith('ZYL_BoxCopyer')) + 1;
  const checked = nativeCheck(typo).find((l) => l.startsWith('edited.zyl:' + line + ': '));
  assert.ok(checked, 'check reports line ' + line);
  const listed = await page.$$eval('#editor .problems li', (items) => items.map((i) => [i.dataset.line, i.textContent]));
  assert.deepEqual(listed[0], [String(line), 'line ' + line + ': ' + checked.slice(('edited.zyl:' + line + ': ').length)]);
  // The mark is on that line, on the word.
  const marked = await page.evaluate(() => {
    const mark = document.querySelector('#editor .cm-lintRange-error');
    return mark && { text: mark.textContent, line: mark.closest('.cm-line').textContent };
  });
  assert.ok(marked, 'an inline mark');
  assert.equal(marked.line, typo.split('\n')[line - 1]);
  assert.equal(marked.text, 'ZYL_BoxCopyer');
  assert.deepEqual(await pageHashes(page), nativeHashes(edited));
  // The list jumps to the line.
  await page.click('#editor .problems li');
  const cursorLine = await page.evaluate(() => {
    const { state } = window.velmoraEditor.view;
    return state.doc.lineAt(state.selection.main.head).number;
  });
  assert.equal(cursorLine, line);
  await typeOver(page, 'ZYL_BoxCopyer', 'ZYL_BoxCopier');
});

test('the autosave survives a reload of the page', async () => {
  const lines = await renderLines(page, SITE);
  assert.deepEqual(lines, nativeHashes(edited));
  await openEditor(page);
  assert.equal(await page.evaluate(() => window.velmoraEditor.view.state.doc.toString()), edited);
});

test('the link plays the edited show in a fresh profile', async () => {
  const link = await page.inputValue('#editor .link input');
  assert.match(link, /#s=[A-Za-z0-9_-]+$/);
  assert.equal(await page.textContent('#editor .link span'), link.length.toLocaleString('en') + ' characters');
  const fresh = await (await browser()).newPage();
  assert.deepEqual(await renderLines(fresh, link), nativeHashes(edited));
  // A link naming a file the site does not hold: the fatal message and its reason.
  await fresh.goto(SITE);
  const broken = edited.replace('data/backdrop.jpg', 'data/nowhere.jpg');
  await renderLines(fresh, SITE + '#s=' + Buffer.from(deflateSync(new TextEncoder().encode(broken))).toString('base64url'));
  assert.equal(await fresh.isVisible('#fatal'), true);
  assert.match(await fresh.textContent('#fatal-text'), /nowhere\.jpg/);
});

test('the downloaded folder, unzipped and served, plays the edited show', async () => {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#editor .bar button:has-text("Download show")')]);
  const zipped = readFileSync(await download.path());
  const files = unzipSync(new Uint8Array(zipped));
  const into = join(SITES, 'unzipped');
  for (const [name, bytes] of Object.entries(files)) {
    mkdirSync(dirname(join(into, name)), { recursive: true });
    writeFileSync(join(into, name), bytes);
  }
  assert.equal(new TextDecoder().decode(files['show.txt']).split('\n')[0], 'fader.zyl');
  const fresh = await (await browser()).newPage();
  assert.deepEqual(await renderLines(fresh, ORIGIN + '/unzipped/index.html'), nativeHashes(edited));
});

test('a dropped PNG is declared in its section and drawn as natively', async () => {
  const png = readFileSync(join(process.env.DOCS_EXAMPLES, 'ZYL_BoxFader.png'));
  await page.evaluate((bytes) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], 'fader shot.png', { type: 'image/png' }));
    dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, [...png]);
  const line = 'ZYL_Surface fader_shot "data/fader_shot.png"';
  await page.waitForFunction((line) => window.velmoraEditor.last?.text.includes(line), line);
  const reload = await typeOver(page, 'copie OUT fond', 'copie OUT fader_shot');
  assert.equal(reload.ok, true);
  const script = edited.replace('[/ZYL_Surface]', line + '\n[/ZYL_Surface]').replace('copie OUT fond', 'copie OUT fader_shot');
  assert.equal(reload.text, script);
  writeFileSync(join(SHOW, 'data', 'fader_shot.png'), png);
  assert.deepEqual(await pageHashes(page), nativeHashes(script));
  assert.notDeepEqual(await pageHashes(page), nativeHashes(edited));
});

test('the site\'s own script comes back', async () => {
  await page.click('#editor .bar button:has-text("Site\'s script")');
  await page.waitForFunction((text) => window.velmoraEditor.last?.text === text, original);
  assert.deepEqual(await pageHashes(page), nativeHashes(original));
});

test('keys typed in the track pane move the sprite as natively; they survive the autosave and a link', { timeout: 120000 }, async () => {
  const site = ORIGIN + '/tracks/index.html';
  const script = readFileSync(join(SHOW, 'tracks.zyl'), 'utf8');
  const tracksPage = await (await browser()).newPage();
  await renderLines(tracksPage, site);
  await openEditor(tracksPage);
  await tracksPage.click('#editor .bar button:has-text("Tracks")');
  const column = await tracksPage.evaluate(() => window.velmoraEditor.tracks.columns().findIndex((c) => c.track === 'balle.x'));
  assert.ok(column >= 0);
  const untouched = await pageHashes(tracksPage, { count: 1, position: { order: 0, row: 5 } });
  // The rows of order 0: one of them holds a smooth key already (0:0).
  const typed = [[0, '300'], [5, '40.5'], [10, '-20'], [13, '480']];
  for (const [row, value] of typed) {
    await tracksPage.click(`#editor .tracks tr[data-index="${row}"] td:nth-child(${5 + column})`);
    await tracksPage.keyboard.type(value);
    await tracksPage.keyboard.press('Enter');
  }
  // The interpolation cycled on one key, and a key typed then deleted.
  await tracksPage.click(`#editor .tracks tr[data-index="5"] td:nth-child(${5 + column})`);
  await tracksPage.keyboard.press('i');
  await tracksPage.click(`#editor .tracks tr[data-index="7"] td:nth-child(${5 + column})`);
  await tracksPage.keyboard.type('123');
  await tracksPage.keyboard.press('Enter');
  await tracksPage.keyboard.press('ArrowUp');
  await tracksPage.keyboard.press('Delete');
  const saved = await tracksPage.evaluate(() => new TextDecoder().decode(window.velmoraPlayer.files.read('script.tracks')));
  const balle = saved.slice(saved.indexOf('track balle.x'));
  for (const line of ['0:0 300 smooth', '0:5 40.5 linear', '0:10 -20 step', '0:13 480 step']) assert.ok(balle.includes('\n' + line + '\n'), line);
  assert.ok(!saved.includes('123'));
  for (const [row] of typed) {
    assert.deepEqual(await pageHashes(tracksPage, { count: 1, position: { order: 0, row } }),
      nativeTrackHashes(script, saved, 0, row), 'row ' + row);
  }
  assert.notDeepEqual(await pageHashes(tracksPage, { count: 1, position: { order: 0, row: 5 } }), untouched);
  if (SHOTS) await tracksPage.screenshot({ path: join(SHOTS, 'track-pane.png') });
  // The autosave: the page opened again plays the edited track.
  const atStart = nativeTrackHashes(script, saved, 0, 0);
  assert.deepEqual(await renderLines(tracksPage, site), atStart);
  await openEditor(tracksPage);
  const link = await tracksPage.inputValue('#editor .link input');
  assert.match(link, /#s=[A-Za-z0-9_-]+&t=[A-Za-z0-9_-]+$/);
  const fresh = await (await browser()).newPage();
  assert.deepEqual(await renderLines(fresh, link), atStart);
});

test('a 375-pixel-wide page shows the whole frame and the start screen fits', async () => {
  const phone = await (await browser()).newPage({ viewport: { width: 375, height: 667 } });
  await phone.setViewportSize({ width: 375, height: 667 });
  await phone.goto(ORIGIN + '/default/index.html');
  await phone.waitForSelector('#start', { state: 'visible' });
  const start = await phone.$eval('#start', (s) => ({ scroll: s.scrollWidth, client: s.clientWidth }));
  assert.ok(start.scroll <= start.client, 'the start screen wraps: ' + JSON.stringify(start));
  await phone.click('#start');
  await phone.waitForTimeout(500);
  const box = await phone.$eval('#screen', (c) => c.getBoundingClientRect().toJSON());
  assert.ok(box.left >= 0 && box.right <= 375, 'inside the width: ' + JSON.stringify(box));
  assert.ok(box.width >= 370, 'as wide as the page: ' + JSON.stringify(box));
  assert.ok(Math.abs(box.height * 2 - box.width) <= 2, 'not stretched: ' + JSON.stringify(box));
  if (SHOTS) await phone.screenshot({ path: join(SHOTS, 'phone-375.png') });
});

test('live: reloads keep the music position; a keystroke reaches the frame', { timeout: 120000 }, async (t) => {
  const live = await (await browser()).newPage();
  await live.goto(ORIGIN + '/default/index.html');
  await live.click('#start');
  await live.waitForTimeout(1500);
  await openEditor(live);
  const moves = await live.evaluate(async () => {
    const player = window.velmoraPlayer, { reloadNow } = window.velmoraEditor;
    const key = ({ order, row }) => order * 256 + row;
    const seen = [key(player.position())];
    for (let k = 0; k < 20; ++k) {
      reloadNow();
      await new Promise((resolve) => requestAnimationFrame(resolve));
      seen.push(key(player.position()));
    }
    return seen;
  });
  t.diagnostic('position (order * 256 + row) across 20 reloads: ' + moves.join(' '));
  assert.ok(moves.every((p, k) => k === 0 || p >= moves[k - 1]), 'never back: ' + moves);
  assert.ok(moves[20] > 0, 'the music plays on: ' + moves);
  // Paused (Space, a key of the page's, not the editor's), a reload keeps it paused where it was.
  const held = await live.evaluate(async () => {
    const player = window.velmoraPlayer;
    const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
    document.body.dispatchEvent(new KeyboardEvent('keydown', { key: ' ', bubbles: true, cancelable: true }));
    await frame();
    await frame();
    const at = player.position();
    window.velmoraEditor.reloadNow();
    await new Promise((resolve) => setTimeout(resolve, 500));
    const result = { paused: player.paused(), at, now: player.position() };
    document.body.dispatchEvent(new KeyboardEvent('keydown', { key: ' ', bubbles: true, cancelable: true }));
    await frame();
    return { ...result, resumed: !player.paused() };
  });
  assert.deepEqual(held, { paused: true, at: held.at, now: held.at, resumed: true });
  // A click on a row of the track pane moves the music there and it plays on;
  // a selection of rows loops.
  await live.click('#editor .bar button:has-text("Tracks")');
  await live.click('#editor .tracks tr[data-index="40"] td:nth-child(1)');
  await live.waitForFunction(() => window.velmoraPlayer.position().row > 42, null, { timeout: 10000 });
  await live.click('#editor .tracks tr[data-index="16"] td:nth-child(1)');
  for (let k = 0; k < 3; ++k) await live.keyboard.press('Shift+ArrowDown');
  const looped = await live.evaluate(() => new Promise((resolve) => {
    const seen = [];
    const off = window.velmoraPlayer.onFrame(() => {
      seen.push(window.velmoraPlayer.position().row);
      if (seen.length === 150) { off(); resolve(seen); }
    });
  }));
  // The page moves back once the music has left the rows: one frame may show the row after.
  assert.ok(looped.every((r) => r >= 16 && r <= 20), looped.join(' '));
  assert.ok(looped.some((r, k) => k > 0 && r < looped[k - 1]), 'back to the first row: ' + looped.join(' '));
  await live.click('#editor .bar button:has-text("Script")');
  // From a key pressed in the editor to the first frame shown after its reload.
  const times = [];
  for (let k = 0; k < 5; ++k) {
    await live.evaluate(() => {
      const { view } = window.velmoraEditor;
      view.dispatch({ selection: { anchor: view.state.doc.line(1).to } });
      view.focus();
      window.keyTime = new Promise((resolve) => {
        view.contentDOM.addEventListener('keydown', () => {
          const pressed = performance.now();
          addEventListener('velmora-reloaded', () => {
            const off = window.velmoraPlayer.onFrame(() => { off(); resolve(performance.now() - pressed); });
          }, { once: true });
        }, { once: true, capture: true });
      });
    });
    await live.keyboard.type(' ');
    times.push(await live.evaluate(() => window.keyTime));
  }
  times.sort((a, b) => a - b);
  t.diagnostic('keystroke to frame: ' + times.map((ms) => ms.toFixed(0)).join(', ') + ' ms (median ' + times[2].toFixed(0) + ')');
  // The show plays on under a refused edit.
  const reload = await typeOver(live, 'ZYL_BoxClearSurface', 'ZYL_BoxClearSurfac');
  assert.equal(reload.ok, false);
  const frames = await live.evaluate(() => new Promise((resolve) => {
    let n = 0;
    const off = window.velmoraPlayer.onFrame(() => { if (++n === 3) { off(); resolve(n); } });
  }));
  assert.equal(frames, 3);
  if (SHOTS) await live.screenshot({ path: join(SHOTS, 'editor-problem.png') });
  // A dropped module becomes the music where the show was, without a page
  // reload; one that does not play is refused with the player's reason.
  const drop = (name, bytes) => live.evaluate(([name, bytes]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], name));
    dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, [name, [...bytes]]);
  const where = () => live.evaluate(() => {
    const { order, row } = window.velmoraPlayer.position();
    return order * 256 + row;
  });
  const before = await where();
  await drop('tune.mo3', readFileSync(join(SHOW, 'data', 'zik.mo3')));
  await live.waitForTimeout(500);
  assert.ok(await where() >= before, 'the new music goes on from ' + before + ', not from 0');
  await drop('broken.mod', new TextEncoder().encode('not a module'));
  await live.waitForFunction(() => /broken\.mod: Can't load music/.test(document.querySelector('#editor .status').textContent));
  assert.ok(await where() >= before);
});

test('the sound plays from the audio thread, the page asked for it ahead', async () => {
  const heard = await page.evaluate(async () => {
    const context = new AudioContext({ sampleRate: 44100 });
    await context.resume();
    let asked = 0;
    const sound = await window.velmoraSound.start(context, (n) => {
      asked += n;
      return [new Float32Array(n), new Float32Array(n)];
    });
    const wait = () => new Promise((resolve) => setTimeout(resolve, 300));
    await wait();
    const first = sound.heard();
    await wait();
    const second = sound.heard();
    sound.stop();
    await context.close();
    return { first, second, asked };
  });
  assert.ok(heard.second > heard.first, JSON.stringify(heard));
  assert.ok(heard.asked > heard.second, JSON.stringify(heard));
});

test('a page served from `web --watch` picks up a saved script at the same place, with no click', { timeout: 60000 }, async () => {
  const watched = await (await browser()).newPage();
  await watched.goto(ORIGIN + '/watched/index.html');
  await watched.click('#start');
  const key = () => watched.evaluate(() => {
    const { order, row } = window.velmoraPlayer.position();
    return order * 256 + row;
  });
  await watched.waitForFunction(() => window.velmoraPlayer?.position().row > 0, null, { timeout: 20000 });
  await watched.evaluate(() => {
    window.watchedReload = new Promise((resolve) => addEventListener('velmora-watched', (e) => resolve(e.detail), { once: true }));
  });
  const before = await key();
  writeFileSync(join(WATCHED, 'fader.zyl'), edited);
  const reload = await watched.evaluate(() => window.watchedReload);
  assert.equal(reload.ok, true);
  assert.ok(await key() >= before, 'the music played on from ' + before);
  assert.equal(await watched.isVisible('#start'), false);
  assert.deepEqual(await pageHashes(watched), nativeHashes(edited));
});
