// The editor bundle, loaded when the editor is first opened: the script in
// CodeMirror beside the frame, reloaded into the player after a short pause
// in typing or at once on Ctrl/Cmd-Enter; problems marked on their line and
// listed; the track pane beside it; the edit kept in the browser; links,
// downloads and dropped files.
import { EditorState, Prec } from '@codemirror/state';
import { EditorView, keymap, lineNumbers, highlightActiveLine, drawSelection, highlightSpecialChars } from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { autocompletion, completionKeymap } from '@codemirror/autocomplete';
import { setDiagnostics, lintGutter } from '@codemirror/lint';
import { zylLanguage, zylHighlight, zylCompletion, useTypes } from './zyl-language.js';
import { diagnosticsOf } from './problems.js';
import { loadSaved, save, forget } from '../autosave.js';
import { linkFor, lengthWarning } from '../link.js';
import { siteZip, download } from './site-zip.js';
import { dropTaker } from './drop.js';
import { createTracksPane, CSS as TRACKS_CSS } from './tracks-pane.js';
import { scriptTracks } from './track-file.js';

const PAUSE_MS = 200;

const CSS = `
#editor { position: fixed; top: 0; right: 0; bottom: 0; width: 50%; display: none; flex-direction: column;
  background: #1e1f22; color: #ccc; font: 13px sans-serif; z-index: 30; box-sizing: border-box; }
body.editing #editor { display: flex; }
#editor .bar { display: flex; flex-wrap: wrap; gap: 4px; padding: 4px; align-items: center; border-bottom: 1px solid #333; }
#editor .bar button { font-size: 12px; }
#editor .cm-editor { flex: 1; min-height: 0; }
#editor .cm-scroller { font: 13px monospace; }
#editor .cm-editor { background: #1e1f22; color: #ddd; }
#editor .cm-gutters { background: #25262a; color: #777; border: none; }
#editor .cm-activeLine { background: #2a2c31; }
#editor .cm-cursor { border-left-color: #fff; }
#editor .status { padding: 3px 6px; border-top: 1px solid #333; min-height: 1.2em; }
#editor .status.bad { color: #ff8a80; }
#editor .problems { margin: 0; padding: 0; list-style: none; max-height: 25%; overflow: auto; }
#editor .problems li { padding: 2px 6px; cursor: pointer; color: #ff8a80; font: 12px monospace; }
#editor .problems li:hover { background: #333; }
#editor .link { display: flex; flex-wrap: wrap; gap: 4px; padding: 4px; align-items: center; border-top: 1px solid #333; }
#editor .link input { flex: 1; min-width: 40%; font: 11px monospace; }
#editor .link .warn { color: #ffcc66; }
@media (max-width: 800px) { #editor { top: 45%; width: 100%; } }
`;

function element(tag, props = {}, ...children) {
  const node = Object.assign(document.createElement(tag), props);
  node.append(...children);
  return node;
}

export async function openEditor(player) {
  useTypes(player.typeWords());
  document.head.append(element('style', { textContent: CSS + TRACKS_CSS }));
  const saved = await loadSaved();
  const added = { ...(saved?.files || {}) };
  const panel = element('div', { id: 'editor' });
  // The page's keys (space, arrows, Enter...) are the player's, not the editor's.
  panel.addEventListener('keydown', (event) => event.stopPropagation());
  const status = element('div', { className: 'status' });
  const list = element('ul', { className: 'problems' });
  const linkField = element('input', { readOnly: true, title: 'The show as a link' });
  const linkCount = element('span');
  const linkWarning = element('span', { className: 'warn' });

  // For the console and the browser tests: the view and the last reload.
  const handle = window.velmoraEditor = { view: null, last: null, reloadNow: null, tracks: null };
  let timer = 0, view, tracks = null, tracksScript = null;
  const reloadNow = () => {
    clearTimeout(timer);
    const text = view.state.doc.toString();
    const began = performance.now();
    const result = player.reload(text);
    const took = performance.now() - began;
    view.dispatch(setDiagnostics(view.state, diagnosticsOf(view.state.doc, result.problems)));
    list.replaceChildren(...result.problems.map((p) => {
      const item = element('li', { textContent: (p.line ? 'line ' + p.line + ': ' : '') + p.text });
      item.dataset.line = p.line;
      item.addEventListener('click', () => jumpTo(p.line));
      return item;
    }));
    status.className = 'status' + (result.ok ? '' : ' bad');
    status.textContent = result.ok ? 'Playing this script (loaded in ' + took.toFixed(0) + ' ms)'
      : result.problems.length + ' problem(s): the last good script plays on';
    if (tracks && result.ok && text !== tracksScript) {
      tracksScript = text;
      tracks.scriptChanged(text);
    }
    keep(text);
    updateLink(text);
    handle.last = { ok: result.ok, ms: took, text };
    window.dispatchEvent(new CustomEvent('velmora-reloaded', { detail: handle.last }));
    return true;
  };
  const jumpTo = (line) => {
    if (line < 1 || line > view.state.doc.lines) return;
    const at = view.state.doc.line(line);
    view.dispatch({ selection: { anchor: at.from }, scrollIntoView: true });
    view.focus();
  };
  const keep = (draft) => save({ script: player.getScript(), draft, files: added }).catch(() => {});
  let linkBusy = Promise.resolve();
  // The track files the script reads, as texts, for the link.
  const trackTexts = (text) => {
    const texts = {};
    for (const name of Object.keys(scriptTracks(text))) {
      const bytes = player.files.read(name);
      if (bytes) texts[name] = new TextDecoder().decode(bytes);
    }
    return texts;
  };
  const updateLink = (text) => {
    linkBusy = linkBusy.then(async () => {
      const link = await linkFor(text, trackTexts(text));
      linkField.value = link;
      linkCount.textContent = link.length.toLocaleString('en') + ' characters';
      linkWarning.textContent = lengthWarning(link.length);
    });
  };

  view = new EditorView({
    parent: panel,
    state: EditorState.create({
      doc: saved?.draft ?? player.getScript(),
      extensions: [
        Prec.highest(keymap.of([{ key: 'Mod-Enter', run: reloadNow }])),
        lineNumbers(), highlightSpecialChars(), history(), drawSelection(), highlightActiveLine(),
        zylLanguage, zylHighlight, lintGutter(),
        autocompletion({ override: [zylCompletion] }),
        keymap.of([...completionKeymap, ...defaultKeymap, ...historyKeymap]),
        EditorView.updateListener.of((update) => {
          if (!update.docChanged) return;
          clearTimeout(timer);
          timer = setTimeout(reloadNow, PAUSE_MS);
        }),
      ],
    }),
  });

  const button = (label, title, action) => element('button', { type: 'button', textContent: label, title, onclick: action });
  const tab = (tracksShown) => () => {
    panel.classList.toggle('show-tracks', tracksShown);
    if (tracksShown) tracks.focus(); else view.focus();
  };
  const bar = element('div', { className: 'bar' },
    button('Script', 'The script', tab(false)),
    button('Tracks', 'The tracks the script reads, on the song\'s rows', tab(true)),
    button('Reload', 'Reload now (Ctrl/Cmd-Enter)', reloadNow),
    button('Download show', 'The show as a folder (zip) that plays from any static server', async () => {
      download(await siteZip(player, player.getScript()), 'show.zip');
    }),
    button('Download script', 'The script alone', () => {
      download(new Blob([view.state.doc.toString()], { type: 'text/plain' }), player.scriptName.split('/').pop());
    }),
    button("Site's script", "Back to the site's own script (the edit is forgotten)", async () => {
      const site = await player.siteScript();
      await forget().catch(() => {});
      for (const name of Object.keys(added)) delete added[name];
      view.dispatch({ changes: { from: 0, to: view.state.doc.length, insert: site } });
      reloadNow();
    }),
    button('Close', 'Back to the player (E opens the editor again)', () => document.body.classList.remove('editing')));
  const linkRow = element('div', { className: 'link' },
    button('Copy link', 'Copy the link playing this script', () => navigator.clipboard?.writeText(linkField.value)),
    linkField, linkCount, linkWarning);
  // A track edit: the file rewritten in the show's files and kept, then the reload.
  tracksScript = player.getScript();
  tracks = createTracksPane({
    player,
    script: tracksScript,
    onEdit: (file, text) => {
      const bytes = new TextEncoder().encode(text);
      player.files.write(file, bytes);
      added[file] = bytes;
      reloadNow();
    },
    report: (text) => { status.className = 'status bad'; status.textContent = text; },
  });
  handle.tracks = tracks;
  panel.prepend(bar);
  view.dom.after(tracks.element);
  panel.append(status, list, linkRow);
  document.body.append(panel);

  const take = dropTaker(player, {
    added,
    text: () => view.state.doc.toString(),
    insert: (at, line) => view.dispatch({ changes: { from: at(view.state.doc), insert: line + '\n' } }),
    reload: reloadNow,
    report: (text) => { status.className = 'status bad'; status.textContent = text; },
  });

  // The saved draft may differ from what plays (a refused edit): show why.
  if (saved?.draft !== undefined && saved.draft !== player.getScript()) reloadNow();
  else updateLink(view.state.doc.toString());

  handle.view = view;
  handle.reloadNow = reloadNow;
  return {
    show() {
      document.body.classList.add('editing');
      view.focus();
      return view;
    },
    drop: take,
  };
}
