// The player interface (player-api.js) over today's page (page.js) and its
// wasm exports, without changing either: `createVelmora` is wrapped so that
// the instance the page makes is seen, the show a link or the autosave holds
// is put in place of the site's script just before the page loads it, and
// reloads go through the same load call. Replaced by the show core's own
// calls once the page is built on them.
import { providePlayer } from './player-api.js';

const WIDTH = 512, HEIGHT = 256;

// "Script non valide!!\n\nscript.zyl:12: reason" -> { line: 12, text: 'reason' }
export function problemsOf(message, scriptName) {
  const lines = message.split('\n').filter((l) => l !== '');
  const last = lines[lines.length - 1] || message;
  const prefix = scriptName + ':';
  if (last.startsWith(prefix)) {
    const match = /^(\d+): (.*)$/s.exec(last.slice(prefix.length));
    if (match) return [{ line: Number(match[1]), word: '', text: match[2] }];
    return [{ line: 0, word: '', text: last.slice(prefix.length).trim() }];
  }
  return [{ line: 0, word: '', text: lines.length > 1 ? last : message }];
}

function hex(bytes) {
  return Array.from(new Uint8Array(bytes), (b) => b.toString(16).padStart(2, '0')).join('');
}

function walk(FS, folder, prefix, out) {
  for (const name of FS.readdir(folder)) {
    if (name === '.' || name === '..') continue;
    const path = folder + '/' + name;
    if (FS.isDir(FS.stat(path).mode)) walk(FS, path, prefix + name + '/', out);
    else out.push(prefix + name);
  }
  return out;
}

// startingShow(): Promise<{ script?, files?, error? }>: what to play instead
// of the site's own script, if anything.
export function adaptLegacyPlayer(startingShow) {
  const create = window.createVelmora;
  if (typeof create !== 'function') return;  // page.js says the player is missing
  window.createVelmora = async (...args) => {
    const [player, start] = await Promise.all([
      create(...args),
      startingShow().catch((e) => ({ error: String(e) })),
    ]);
    wrap(player, start);
    return player;
  };
}

function wrap(player, start) {
  const { FS } = player;
  const load = (name) => player.ccall('velmora_load', 'number', ['string'], [name]);
  const pageCall = player.ccall;
  const listeners = new Set();
  let scriptName = 'script.zyl', siteText = '', lastGood = '';

  // The page asks for each frame it shows; the export replaces itself on
  // its first call, hence the setter.
  let showRgba = player._velmora_rgba;
  const shown = (...args) => {
    const at = showRgba(...args);
    if (listeners.size) queueMicrotask(() => { for (const f of listeners) f(); });
    return at;
  };
  Object.defineProperty(player, '_velmora_rgba', { get: () => shown, set: (f) => { showRgba = f; } });

  const api = {
    get scriptName() { return scriptName; },
    getScript: () => lastGood,
    siteScript: async () => siteText,
    reload(text) {
      FS.writeFile(scriptName, text);
      if (load(scriptName) === 0) {
        lastGood = text;
        return { ok: true, problems: [] };
      }
      const problems = problemsOf(player.UTF8ToString(player._velmora_error()), scriptName);
      // The last good show plays on.
      FS.writeFile(scriptName, lastGood);
      load(scriptName);
      return { ok: false, problems };
    },
    files: {
      list() {
        const names = walk(FS, '/show', '', []).sort();
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
    position() {
      const p = player._velmora_position() >>> 0;
      return { order: p & 0xFFFF, row: p >>> 24 };
    },
    onFrame(callback) {
      listeners.add(callback);
      return () => listeners.delete(callback);
    },
    async frameHashes({ count = 1, fps = 50, start = 0, position = null } = {}) {
      let packed = -1;
      if (position) packed = (position.order & 0xFFFF) + (position.fraction & 0xFF) * 0x10000 + (position.row & 0xFF) * 0x1000000;
      if (player._velmora_render_begin(start, fps, packed) !== 0) throw new Error(player.UTF8ToString(player._velmora_error()));
      const hashes = [];
      for (let k = 0; k < count; ++k) {
        const at = player._velmora_render_frame(k);
        if (!at) throw new Error(player.UTF8ToString(player._velmora_error()));
        hashes.push(hex(await crypto.subtle.digest('SHA-256', player.HEAPU8.slice(at, at + WIDTH * HEIGHT * 4))));
      }
      return hashes;
    },
  };

  player.ccall = (name, returns, types, args) => {
    if (name !== 'velmora_load') return pageCall(name, returns, types, args);
    player.ccall = pageCall;
    scriptName = args[0];
    try { siteText = FS.readFile(scriptName, { encoding: 'utf8' }); } catch (e) { siteText = ''; }
    if (start.error) {
      // The page shows the engine's fatal message: this one.
      const text = player.UTF8ToString;
      player._velmora_error = () => -1;
      player.UTF8ToString = (at) => (at === -1 ? start.error : text(at));
      providePlayer(api);
      return 1;
    }
    for (const [name, bytes] of Object.entries(start.files || {})) api.files.write(name, bytes);
    lastGood = start.script ?? siteText;
    if (start.script !== undefined) FS.writeFile(scriptName, start.script);
    let result = pageCall(name, returns, types, args);
    if (result !== 0 && start.from === 'autosave') {
      // A kept edit the player no longer takes: the site's own show.
      FS.writeFile(scriptName, siteText);
      lastGood = siteText;
      result = pageCall(name, returns, types, args);
    }
    providePlayer(api);
    return result;
  };
}
