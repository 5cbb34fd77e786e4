// The show in the page: only the page's own parts live here (the DOM, the
// canvas, Web Audio, fetching the files); the player (velmora.wasm) does the
// rest through its calls. show.txt lists the show's files (the script first),
// kept under show/. The player bundle (player.js, loaded before) gets the
// player's interface for the editor, links and downloads, and may put a show
// a link or the autosave holds in place of the site's. With ?render=N&fps=F&start=T (position=O:R:F, preroll)
// the page prints the hash of N frames evaluated headless; with ?bench (and
// frames=N) it times every order; otherwise it plays the show.
'use strict';

const WIDTH = 512, HEIGHT = 256, RATE = 44100;
const FETCHES_AT_ONCE = 6, FETCH_TRIES = 3;
const params = new URLSearchParams(location.search);
const $ = (id) => document.getElementById(id);

// The fatal message where the native show puts it in a box; nothing of the
// show stays on the page behind it.
let stopped = false;
function showFatal(text) {
  stopped = true;
  for (const id of ['screen', 'start', 'overlay']) $(id).style.display = 'none';
  $('fatal-text').textContent = text;
  $('fatal').style.display = 'block';
  console.error('FATAL ERROR: ' + text);
}
function engineFatal(player) { showFatal(player.UTF8ToString(player._velmora_error())); }

// One file: its bytes, null when the server says it is not there (the player
// reports a missing file as the native show does); a fetch that keeps failing
// otherwise is an error of its own.
async function fetchFile(name, options) {
  const url = 'show/' + name.split('/').map(encodeURIComponent).join('/');
  let reason = '';
  for (let attempt = 1; attempt <= FETCH_TRIES; ++attempt) {
    try {
      const answer = await fetch(url, options);
      if (answer.status === 404 || answer.status === 410) return null;
      if (answer.ok) return new Uint8Array(await answer.arrayBuffer());
      reason = 'the server answered ' + answer.status;
    } catch (e) {
      reason = String(e);
    }
    await new Promise((resolve) => setTimeout(resolve, 200 * attempt));
  }
  throw new Error("could not fetch '" + name + "' (" + reason + ')');
}

// The show's files into the player's file system, a few at a time.
async function fetchShow(player, options) {
  let names = [];
  try {
    const list = await fetch('show.txt', options);
    if (list.ok) names = (await list.text()).split('\n').filter((name) => name !== '');
  } catch (e) { /* no list: the script is missing, as the player says */ }
  let next = 0, done = 0;
  const progress = $('frames');
  const worker = async () => {
    while (next < names.length) {
      const name = names[next++];
      const bytes = await fetchFile(name, options);
      if (bytes) {
        const slash = name.lastIndexOf('/');
        if (slash > 0) player.FS.mkdirTree('/show/' + name.slice(0, slash));
        player.FS.writeFile('/show/' + name, bytes);
      }
      if (++done % 100 === 0) progress.textContent = 'loading ' + done + ' of ' + names.length + ' files\n';
    }
  };
  await Promise.all(Array.from({ length: FETCHES_AT_ONCE }, worker));
  progress.textContent = '';
  return names.length ? names[0] : 'script.zyl';
}

function readOr(player, name) {
  try { return player.FS.readFile(name); } catch (e) { return new Uint8Array(0); }
}

function hex(bytes) {
  return Array.from(new Uint8Array(bytes), (b) => b.toString(16).padStart(2, '0')).join('');
}

function printLine(pre, line) {
  console.log(line);
  pre.textContent += line + '\n';
}

const nextFrame = () => new Promise((resolve) => setTimeout(resolve, 0));

async function renderFrames(player) {
  const text = (name) => (params.has(name) ? params.get(name) : null);
  const begun = player.ccall('velmora_render_begin', 'number', ['string', 'string', 'string', 'string', 'number'],
    [text('render'), text('fps'), text('start'), text('position'), params.has('preroll') ? 1 : 0]);
  if (begun !== 0) return engineFatal(player);
  // The frames before --start and the music up to it, a slice per turn.
  const pre = $('frames'), status = $('overlay');
  for (;;) {
    const done = player._velmora_render_prepare(15);
    if (done < 0) return engineFatal(player);
    if (done >= 1) break;
    status.style.display = 'block';
    status.textContent = 'preparing ' + Math.floor(done * 100) + '%';
    await nextFrame();
  }
  status.style.display = 'none';
  const count = parseInt(params.get('render') || '1', 10);
  for (let k = 0; k < count; ++k) {
    const at = player._velmora_render_frame(k);
    if (!at) return engineFatal(player);
    const bytes = player.HEAPU8.slice(at, at + WIDTH * HEIGHT * 4);
    printLine(pre, 'frame ' + k + ' ' + hex(await crypto.subtle.digest('SHA-256', bytes)));
  }
  printLine(pre, 'done');
}

async function bench(player) {
  const frames = player.ccall('velmora_bench_frames', 'number', ['string'], [params.get('frames')]);
  if (frames === 0) return engineFatal(player);
  const pre = $('frames');
  const orders = player._velmora_order_count();
  for (let order = 0; order < orders; ++order) {
    const ms = player._velmora_bench_order(order, frames);
    if (ms < 0) return engineFatal(player);
    printLine(pre, 'order ' + order + ' ' + ms.toFixed(3) + ' ms/frame');
    await nextFrame();
  }
  printLine(pre, 'done');
}

function download(bytes, name, type) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.click();
  setTimeout(() => URL.revokeObjectURL(link.href), 1000);
}

// Called after each frame shown on the canvas (the editor times its reloads).
const frameListeners = new Set();
// Replaces the live show's music with the module now in the show's files;
// empty, or why the module does not play. Set once the show plays.
let replaceMusic = () => '';
// Moves the live show and its music to (order, row). Set once the show plays.
let seekMusic = () => {};

function play(player, wantFullScreen, audio) {
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  // The canvas reads the player's bytes in place: an ImageData over its
  // memory, made again only when the memory grows (the old view is cut off).
  let image = null;
  canvas.style.display = 'block';
  if (wantFullScreen) toggleFullScreen();
  if (player._velmora_play(performance.now()) !== 0) return engineFatal(player);

  // The sound on the audio thread, rendered by the player a block ahead; the
  // frame heard now comes back from there.
  let sound = null;
  const fill = (n) => {
    const at = player._velmora_music_fill(n) >> 2;
    return [player.HEAPF32.slice(at, at + n), player.HEAPF32.slice(at + n, at + 2 * n)];
  };
  const page = window.velmoraPage;
  const startSound = () => {
    if (!page) return;
    page.startSound(audio, fill).then((started) => { sound = started; },
      (e) => console.error('no sound: ' + e));
  };
  startSound();
  // A new module: the show starts again on it where it was, its sound anew.
  replaceMusic = () => {
    if (player._velmora_music_replaced(performance.now()) !== 0) return player.UTF8ToString(player._velmora_error());
    if (sound) sound.stop();
    sound = null;
    startSound();
    return '';
  };

  seekMusic = (order, row) => {
    if (player._velmora_seek(order, row) !== 0) return engineFatal(player);
    if (sound) sound.flush();
  };

  // Keys go to the player's key table by their names; F is the page's own.
  // Those typed into the editor are the editor's.
  document.addEventListener('keydown', (event) => {
    if (stopped || event.target.closest?.('#editor')) return;
    if (!player.ccall('velmora_key', 'number', ['string'], [event.key])) return;
    if (event.key === 'f' || event.key === 'F') toggleFullScreen();
    // A move of the music: what is queued is of the old place.
    if (sound && event.key.startsWith('Arrow')) sound.flush();
    event.preventDefault();
  });

  let shots = 0;
  const tick = (timestamp) => {
    if (stopped) { audio.close(); return; }
    const result = player._velmora_frame(timestamp, sound ? sound.heard() : 0);
    if (result === 1) { audio.close(); return engineFatal(player); }
    if (player._velmora_paused()) audio.suspend(); else audio.resume();
    const at = player._velmora_rgba();
    if (!image || image.data.buffer !== player.HEAPU8.buffer || image.data.byteOffset !== at)
      image = new ImageData(new Uint8ClampedArray(player.HEAPU8.buffer, at, WIDTH * HEIGHT * 4), WIDTH, HEIGHT);
    context.putImageData(image, 0, 0);
    for (const listener of frameListeners) listener();
    const overlay = player.UTF8ToString(player._velmora_overlay());
    $('overlay').style.display = overlay ? 'block' : 'none';
    $('overlay').textContent = overlay;
    const size = player._velmora_screenshot_size();
    if (size > 0) {
      const bmp = player.HEAPU8.slice(player._velmora_screenshot(), player._velmora_screenshot() + size);
      player._velmora_screenshot_taken();
      download(bmp, 'grab_' + (++shots) + '.bmp', 'image/bmp');
    }
    requestAnimationFrame(tick);
  };
  requestAnimationFrame(tick);
}

// The player's interface (web/src/player-api.js) over the calls above.
function playerInterface(player, scriptName, siteText) {
  const { FS } = player;
  const walk = (folder, prefix, out) => {
    for (const name of FS.readdir(folder)) {
      if (name === '.' || name === '..') continue;
      const path = folder + '/' + name;
      if (FS.isDir(FS.stat(path).mode)) walk(path, prefix + name + '/', out);
      else out.push(prefix + name);
    }
    return out;
  };
  const text = (value) => (value === undefined || value === null ? null : String(value));
  return {
    scriptName,
    getScript: () => player.UTF8ToString(player._velmora_script()),
    siteScript: async () => siteText,
    typeWords: () => JSON.parse(player.UTF8ToString(player._velmora_type_words())),
    replaceMusic: () => replaceMusic(),
    reload(script) {
      // The player tells a text from a path by its line break.
      const source = script.includes('\n') ? script : script + '\n';
      if (player.ccall('velmora_reload', 'number', ['string'], [source]) === 0) return { ok: true, problems: [] };
      const problems = JSON.parse(player.UTF8ToString(player._velmora_reload_problems_json()));
      return { ok: false, problems: problems.map((p) => ({ line: p.line, word: '', text: p.text })) };
    },
    files: {
      list() {
        const names = walk('/show', '', []).sort();
        return [scriptName, ...names.filter((n) => n !== scriptName)];
      },
      read(name) {
        try { return FS.readFile('/show/' + name); } catch (e) { return null; }
      },
      write(name, bytes) {
        const slash = name.lastIndexOf('/');
        if (slash > 0) FS.mkdirTree('/show/' + name.slice(0, slash));
        FS.writeFile('/show/' + name, bytes);
      },
    },
    paused: () => player._velmora_paused() === 1,
    song: () => JSON.parse(player.UTF8ToString(player._velmora_song_json())),
    seek: (order, row) => seekMusic(order, row),
    channelLevels(count) {
      const at = player._velmora_channel_levels(count) >> 2;
      return at ? Array.from(player.HEAPF32.subarray(at, at + count)) : [];
    },
    position() {
      const p = player._velmora_position() >>> 0;
      return { order: p & 0xFFFF, row: p >>> 24 };
    },
    onFrame(callback) {
      frameListeners.add(callback);
      return () => frameListeners.delete(callback);
    },
    async frameHashes({ count = 1, fps = null, start = null, position = null } = {}) {
      const at = position ? position.order + ':' + position.row + ':' + (position.fraction || 0) : null;
      const begun = player.ccall('velmora_render_begin', 'number', ['string', 'string', 'string', 'string', 'number'],
        [String(count), text(fps), text(start), at, 0]);
      if (begun !== 0) throw new Error(player.UTF8ToString(player._velmora_error()));
      for (;;) {
        const done = player._velmora_render_prepare(15);
        if (done < 0) throw new Error(player.UTF8ToString(player._velmora_error()));
        if (done >= 1) break;
        await nextFrame();
      }
      const hashes = [];
      for (let k = 0; k < count; ++k) {
        const frame = player._velmora_render_frame(k);
        if (!frame) throw new Error(player.UTF8ToString(player._velmora_error()));
        hashes.push(hex(await crypto.subtle.digest('SHA-256', player.HEAPU8.slice(frame, frame + WIDTH * HEIGHT * 4))));
      }
      return hashes;
    },
  };
}

// A show served by `velmora web --watch`: its stamp is looked at every
// second, and a new one brings the show's files again and reloads them at
// the same place.
async function followWatch(player, api) {
  const stamp = async () => {
    const answer = await fetch('watch.txt', { cache: 'no-store' });
    return answer.ok ? answer.text() : null;
  };
  let seen = await stamp().catch(() => null);
  if (seen === null) return;
  setInterval(async () => {
    try {
      const now = await stamp();
      if (now === null || now === seen) return;
      seen = now;
      await fetchShow(player, { cache: 'no-store' });
      const script = new TextDecoder().decode(player.FS.readFile('/show/' + api.scriptName));
      const result = api.reload(script);
      window.dispatchEvent(new CustomEvent('velmora-watched', { detail: result }));
    } catch (e) { /* the site was being written: the next look */ }
  }, 1000);
}

function toggleFullScreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else $('stage').requestFullscreen().catch(() => {});
}

// The largest whole factor that fits, centred on black; below 1x, whatever fits.
function fitCanvas() {
  const fits = Math.min(innerWidth / WIDTH, innerHeight / HEIGHT);
  const factor = fits >= 1 ? Math.floor(fits) : fits;
  $('screen').style.width = WIDTH * factor + 'px';
  $('screen').style.height = HEIGHT * factor + 'px';
}

async function main() {
  if (typeof createVelmora !== 'function') return showFatal('The player (velmora.js) could not be loaded.');
  let player;
  try {
    player = await createVelmora();
  } catch (e) {
    return showFatal('The player (velmora.wasm) could not be loaded: ' + e);
  }
  player.FS.mkdir('/show');
  let script;
  try {
    script = await fetchShow(player);
  } catch (e) {
    return showFatal(e.message);
  }
  player.FS.chdir('/show');
  const siteText = new TextDecoder().decode(readOr(player, script));
  // A show a link or the autosave holds plays instead of the site's.
  const page = window.velmoraPage;
  const starting = page ? await page.startingShow().catch((e) => ({ error: String(e) })) : {};
  const api = playerInterface(player, script, siteText);
  if (starting.error) {
    if (page) page.providePlayer(api);
    return showFatal(starting.error);
  }
  for (const [name, bytes] of Object.entries(starting.files || {})) api.files.write(name, bytes);
  if (starting.script !== undefined) player.FS.writeFile(script, starting.script);
  let loaded = player.ccall('velmora_load', 'number', ['string'], [script]) === 0;
  if (!loaded && starting.from === 'autosave') {
    // A kept edit the player no longer takes: the site's own show.
    player.FS.writeFile(script, siteText);
    loaded = player.ccall('velmora_load', 'number', ['string'], [script]) === 0;
  }
  if (page) page.providePlayer(api);
  if (!loaded) return engineFatal(player);
  // For the console: reloads from a path or the script's text; the problems, one a line.
  window.velmoraReload = (source) =>
    player.ccall('velmora_reload', 'number', ['string'], [source]) === 0
      ? '' : player.UTF8ToString(player._velmora_reload_problems());

  if (params.has('render')) return renderFrames(player);
  if (params.has('bench')) return bench(player);

  fitCanvas();
  addEventListener('resize', fitCanvas);
  const start = $('start');
  start.style.display = 'flex';
  const begin = (full) => (event) => {
    event.stopPropagation();
    start.style.display = 'none';
    // Made and resumed in the tap itself, as iOS demands.
    const audio = new AudioContext({ sampleRate: RATE });
    audio.resume();
    play(player, full, audio);
    followWatch(player, api);
  };
  $('fullscreen').addEventListener('click', begin(true), { once: true });
  start.addEventListener('click', begin(false), { once: true });
}

main();
