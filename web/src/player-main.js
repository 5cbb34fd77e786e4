// The player bundle: loaded before page.js, it tells the page what to play
// (the site's show, or one a link or the autosave holds) and takes the
// player's interface from it; the frame's fit to narrow screens and touch,
// the sound's module, and the key and button that load the editor.
import { loadSaved } from './autosave.js';
import { decodeFragment } from './link.js';
import { providePlayer, whenPlayer } from './player-api.js';
import { installLayout } from './layout.js';
import { startWorkletSound } from './audio-worklet.js';

async function startingShow() {
  const link = await decodeFragment(location.hash);
  if (link?.error) return { error: link.error };
  if (link) {
    const files = Object.fromEntries(Object.entries(link.files || {}).map(([n, text]) => [n, new TextEncoder().encode(text)]));
    return { script: link.script, files, from: 'link' };
  }
  const saved = await loadSaved();
  if (saved) return { script: saved.script, files: saved.files || {}, from: 'autosave' };
  return {};
}

// For the console and the browser tests.
whenPlayer().then((player) => { window.velmoraPlayer = player; });

// Captured now: document.currentScript is only set while this file runs.
const base = document.currentScript?.src || document.baseURI;
let editor = null;
function openEditor() {
  if (!editor) {
    // Its own file, fetched the first time only.
    const url = new URL('editor.js', base).href;
    editor = Promise.all([import(/* not bundled */ url), whenPlayer()])
      .then(([module, player]) => module.openEditor(player));
  }
  return editor.then((opened) => { opened.show(); return opened; });
}
window.velmoraOpenEditor = openEditor;
// For page.js (a plain script): what to play, where the player goes, the
// sound on the audio thread.
const startSound = (context, fill) => startWorkletSound(context, fill, new URL('audio-processor.js', base).href);
window.velmoraPage = { startingShow, providePlayer, startSound };
window.velmoraSound = { start: startSound };

document.addEventListener('DOMContentLoaded', () => {
  installLayout();
  const button = document.createElement('button');
  button.id = 'edit';
  button.type = 'button';
  button.textContent = 'Edit';
  button.title = 'Edit the show (E)';
  button.addEventListener('click', (event) => { event.stopPropagation(); openEditor(); });
  document.body.append(button);
});
// A file dropped anywhere goes to the editor (opened for it), never to the
// browser, which would leave the page for it.
addEventListener('dragover', (event) => event.preventDefault());
addEventListener('drop', (event) => {
  event.preventDefault();
  const files = [...(event.dataTransfer?.files || [])];
  if (files.length) openEditor().then((opened) => opened.drop(files));
});
document.addEventListener('keydown', (event) => {
  if ((event.key === 'e' || event.key === 'E') && !event.ctrlKey && !event.metaKey && !event.altKey &&
      !event.target.closest?.('#editor')) {
    event.preventDefault();
    openEditor();
  }
});
