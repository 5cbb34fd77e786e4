// The show in the page. show.txt lists the show's files (the script first),
// kept under show/; they are copied into the player's file system, then the
// page plays the show, or with ?render=N&fps=F&start=T (and position=O:R:F)
// prints the hash of N frames evaluated headless, or with ?bench=1 times
// every order.
'use strict';

const WIDTH = 512, HEIGHT = 256, RATE = 44100;
const params = new URLSearchParams(location.search);
const $ = (id) => document.getElementById(id);

// The fatal message where the native show puts it in a box; nothing of the
// show stays on the page behind it.
let stopped = false;
function showFatal(text) {
  stopped = true;
  $('screen').style.display = 'none';
  $('start').style.display = 'none';
  $('overlay').style.display = 'none';
  $('fatal-text').textContent = text;
  $('fatal').style.display = 'block';
  console.error('FATAL ERROR: ' + text);
}
function engineFatal(player) { showFatal(player.UTF8ToString(player._velmora_error())); }

async function fetchShow(player) {
  let names = [];
  try {
    const list = await fetch('show.txt');
    if (list.ok) names = (await list.text()).split('\n').filter((name) => name !== '');
  } catch (e) { /* no list: the script is missing, as the engine says */ }
  await Promise.all(names.slice(0).map(async (name) => {
    try {
      const answer = await fetch('show/' + name.split('/').map(encodeURIComponent).join('/'));
      if (!answer.ok) return;  // missing: the engine reports it as the native show does
      const bytes = new Uint8Array(await answer.arrayBuffer());
      const slash = name.lastIndexOf('/');
      if (slash > 0) player.FS.mkdirTree('/show/' + name.slice(0, slash));
      player.FS.writeFile('/show/' + name, bytes);
    } catch (e) { /* as missing */ }
  }));
  return names.length ? names[0] : 'script.zyl';
}

function hex(bytes) {
  return Array.from(new Uint8Array(bytes), (b) => b.toString(16).padStart(2, '0')).join('');
}

function printLine(pre, line) {
  console.log(line);
  pre.textContent += line + '\n';
}

// "50", "29.97" or "60000/1001", as `velmora render --fps` takes it.
function framesPerSecond(text) {
  const parts = String(text).split('/');
  return parts.length === 2 ? Number(parts[0]) / Number(parts[1]) : Number(text);
}

async function renderFrames(player) {
  const count = parseInt(params.get('render'), 10);
  const fps = framesPerSecond(params.get('fps') || '50');
  const start = Number(params.get('start') || '0');
  if (!(count >= 1) || !(fps > 0) || !Number.isFinite(start)) {
    showFatal('render=N (N from 1), fps=F (above 0) and start=T (seconds) are needed');
    return;
  }
  // position=ORDER:ROW:FRACTION fixes the music position, as `velmora render --position` does.
  let position = -1;
  if (params.has('position')) {
    const [order, row, fraction] = params.get('position').split(':').map(Number);
    position = (order & 0xFFFF) + (fraction & 0xFF) * 0x10000 + (row & 0xFF) * 0x1000000;
  }
  if (player._velmora_render_begin(start, fps, position) !== 0) return engineFatal(player);
  const pre = $('frames');
  for (let k = 0; k < count; ++k) {
    const at = player._velmora_render_frame(k);
    if (!at) return engineFatal(player);
    const bytes = player.HEAPU8.slice(at, at + WIDTH * HEIGHT * 4);
    printLine(pre, 'frame ' + k + ' ' + hex(await crypto.subtle.digest('SHA-256', bytes)));
  }
  printLine(pre, 'done');
}

async function bench(player) {
  const pre = $('frames');
  const orders = player._velmora_order_count();
  const frames = parseInt(params.get('frames') || '100', 10);
  for (let order = 0; order < orders; ++order) {
    const ms = player._velmora_bench_order(order, frames);
    if (ms < 0) return engineFatal(player);
    printLine(pre, 'order ' + order + ' ' + ms.toFixed(3) + ' ms/frame');
    await new Promise((resolve) => setTimeout(resolve, 0));
  }
  printLine(pre, 'done');
}

// The show's clock: seconds since the start, held while paused.
const clock = {
  base: 0, offset: 0, paused: false,
  now() { return this.paused ? this.offset : this.offset + (performance.now() - this.base) / 1000; },
  set(seconds) { this.offset = seconds; this.base = performance.now(); },
  pause(on) { this.set(this.now()); this.paused = on; },
};

function play(player, wantFullScreen) {
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  const image = context.createImageData(WIDTH, HEIGHT);
  canvas.style.display = 'block';
  if (wantFullScreen) toggleFullScreen();

  // The sound: the module rendered as the audio asks for it; each buffer's
  // first module frame is kept with the time it will be heard.
  if (player._velmora_music_start() !== 0) return engineFatal(player);
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
  // The module frame being heard now.
  const heard = () => {
    const t = audio.currentTime - (audio.outputLatency || 0);
    let frame = 0;
    for (const b of buffers) if (b.time <= t) frame = b.first + Math.floor((t - b.time) * RATE);
    return frame;
  };

  clock.set(0);
  let overlay = false, shots = 0, frameTimes = [];
  const seek = (what, direction) => {
    const seconds = player._velmora_seek(what, direction);
    if (seconds >= 0) clock.set(seconds);
  };
  document.addEventListener('keydown', (event) => {
    if (stopped) return;
    switch (event.key) {
      case ' ':
        clock.pause(!clock.paused);
        if (clock.paused) audio.suspend(); else audio.resume();
        break;
      case 'ArrowLeft': seek(0, -1); break;
      case 'ArrowRight': seek(0, +1); break;
      case 'ArrowUp': seek(1, -1); break;
      case 'ArrowDown': seek(1, +1); break;
      case 'l': case 'L': player._velmora_toggle_loop(); break;
      case 'F1':
        overlay = !overlay;
        $('overlay').style.display = overlay ? 'block' : 'none';
        break;
      case 'Enter':
        canvas.toBlob((blob) => {
          const link = document.createElement('a');
          link.href = URL.createObjectURL(blob);
          link.download = 'grab_' + (++shots) + '.png';
          link.click();
          setTimeout(() => URL.revokeObjectURL(link.href), 1000);
        }, 'image/png');
        break;
      case 'f': case 'F': toggleFullScreen(); break;
      default: return;
    }
    event.preventDefault();
  });

  const tick = () => {
    if (stopped) { audio.close(); return; }
    const jump = player._velmora_live_frame(heard(), clock.now());
    if (jump === -2) { audio.close(); return engineFatal(player); }
    if (jump >= 0) clock.set(jump);
    const at = player._velmora_rgba();
    image.data.set(player.HEAPU8.subarray(at, at + WIDTH * HEIGHT * 4));
    context.putImageData(image, 0, 0);
    const now = performance.now();
    frameTimes.push(now);
    while (frameTimes.length > 1 && now - frameTimes[0] > 1000) frameTimes.shift();
    if (overlay) {
      const position = player._velmora_position() >>> 0;
      $('overlay').textContent = frameTimes.length + ' fps  order ' + (position & 0xFFFF) + '  row ' +
        (position >>> 24) + '  ' + clock.now().toFixed(2) + ' s';
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
  if (typeof createVelmora !== 'function') {
    showFatal('The player (velmora.js) could not be loaded.');
    return;
  }
  let player;
  try {
    player = await createVelmora();
  } catch (e) {
    showFatal('The player (velmora.wasm) could not be loaded: ' + e);
    return;
  }
  player.FS.mkdir('/show');
  const script = await fetchShow(player);
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
