// The show in the page: only the page's own parts live here (the DOM, the
// canvas, Web Audio, fetching the files); the player (velmora.wasm) does the
// rest through its calls. show.txt lists the show's files (the script first),
// kept under show/. With ?render=N&fps=F&start=T (position=O:R:F, preroll)
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
async function fetchFile(name) {
  const url = 'show/' + name.split('/').map(encodeURIComponent).join('/');
  let reason = '';
  for (let attempt = 1; attempt <= FETCH_TRIES; ++attempt) {
    try {
      const answer = await fetch(url);
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
async function fetchShow(player) {
  let names = [];
  try {
    const list = await fetch('show.txt');
    if (list.ok) names = (await list.text()).split('\n').filter((name) => name !== '');
  } catch (e) { /* no list: the script is missing, as the player says */ }
  let next = 0, done = 0;
  const progress = $('frames');
  const worker = async () => {
    while (next < names.length) {
      const name = names[next++];
      const bytes = await fetchFile(name);
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

function play(player, wantFullScreen) {
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  const image = context.createImageData(WIDTH, HEIGHT);
  canvas.style.display = 'block';
  if (wantFullScreen) toggleFullScreen();
  if (player._velmora_play(performance.now()) !== 0) return engineFatal(player);

  // The sound as the player renders it on demand; each buffer's first sound
  // frame is kept with the time it will be heard.
  const audio = new AudioContext({ sampleRate: RATE });
  const node = audio.createScriptProcessor(2048, 0, 2);
  const buffers = [];
  let rendered = 0;
  node.onaudioprocess = (event) => {
    const out = event.outputBuffer, n = out.length;
    const at = player._velmora_music_fill(n) >> 2;
    out.getChannelData(0).set(player.HEAPF32.subarray(at, at + n));
    out.getChannelData(1).set(player.HEAPF32.subarray(at + n, at + 2 * n));
    buffers.push({ time: event.playbackTime, first: rendered });
    if (buffers.length > 32) buffers.shift();
    rendered += n;
  };
  node.connect(audio.destination);
  const heard = () => {
    const t = audio.currentTime - (audio.outputLatency || 0);
    let frame = 0;
    for (const b of buffers) if (b.time <= t) frame = b.first + Math.floor((t - b.time) * RATE);
    return frame;
  };

  // Keys go to the player's key table by their names; F is the page's own.
  document.addEventListener('keydown', (event) => {
    if (stopped) return;
    if (!player.ccall('velmora_key', 'number', ['string'], [event.key])) return;
    if (event.key === 'f' || event.key === 'F') toggleFullScreen();
    event.preventDefault();
  });
  // For the editor: reloads from a path or the script's text; the problems, one a line.
  window.velmoraReload = (source) =>
    player.ccall('velmora_reload', 'number', ['string'], [source]) === 0
      ? '' : player.UTF8ToString(player._velmora_reload_problems());

  let shots = 0;
  const tick = (timestamp) => {
    if (stopped) { audio.close(); return; }
    const result = player._velmora_frame(timestamp, heard());
    if (result === 1) { audio.close(); return engineFatal(player); }
    if (player._velmora_paused()) audio.suspend(); else audio.resume();
    const at = player._velmora_rgba();
    image.data.set(player.HEAPU8.subarray(at, at + WIDTH * HEIGHT * 4));
    context.putImageData(image, 0, 0);
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

function toggleFullScreen() {
  if (document.fullscreenElement) document.exitFullscreen();
  else $('stage').requestFullscreen().catch(() => {});
}

// The largest whole factor that fits, centred on black.
function fitCanvas() {
  const factor = Math.max(1, Math.floor(Math.min(innerWidth / WIDTH, innerHeight / HEIGHT)));
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
  if (player.ccall('velmora_load', 'number', ['string'], [script]) !== 0) return engineFatal(player);

  if (params.has('render')) return renderFrames(player);
  if (params.has('bench')) return bench(player);

  fitCanvas();
  addEventListener('resize', fitCanvas);
  const start = $('start');
  start.style.display = 'flex';
  const begin = (full) => (event) => {
    event.stopPropagation();
    start.style.display = 'none';
    play(player, full);
  };
  $('fullscreen').addEventListener('click', begin(true), { once: true });
  start.addEventListener('click', begin(false), { once: true });
}

main();
