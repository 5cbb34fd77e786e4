// The track pane: the song's rows (order, pattern, row) as the module plays
// them, a column per track the script reads, keys typed at the cursor. Every
// edit rewrites the track file in the show's files and reloads the show where
// it is, so the frame shows it at once. A click seeks the show there; a
// selection of rows loops (the page seeks back when the music leaves it).
import { parseTracks, formatTracks, scriptTracks, INTERPOLATIONS, before, nineDigits } from './track-file.js';

export const CSS = `
#editor .tracks { flex: 1; min-height: 0; display: none; flex-direction: column; }
#editor.show-tracks .tracks { display: flex; }
#editor.show-tracks .cm-editor { display: none !important; }
#editor .tracks .tbar { display: flex; gap: 8px; padding: 3px 6px; align-items: center; border-bottom: 1px solid #333; font-size: 12px; }
#editor .tracks .tbar input { width: 3em; }
#editor .tracks .grid { flex: 1; overflow: auto; outline: none; font: 12px monospace; }
#editor .tracks table { border-collapse: collapse; }
#editor .tracks th { position: sticky; top: 0; background: #25262a; color: #aaa; font-weight: normal; padding: 2px 6px; }
#editor .tracks td { padding: 0 6px; height: 16px; white-space: pre; color: #888; cursor: default; }
#editor .tracks td.k { min-width: 9em; color: #ddd; border-left: 1px solid #333; }
#editor .tracks tr.beat td { background: #26282c; }
#editor .tracks tr.measure td { background: #2e3036; }
#editor .tracks tr.sel td { background: #33415c; }
#editor .tracks tr.now td { background: #5a4a1e; }
#editor .tracks td.cur { outline: 1px solid #9ecbff; outline-offset: -1px; }
#editor .tracks td.typing { color: #ffcc66; }
#editor .tracks td.m { width: 64px; padding: 0 2px; }
#editor .tracks .problem { color: #ff8a80; }
`;

const STEP_PAGE = 16;

function element(tag, props = {}, ...children) {
  const node = Object.assign(document.createElement(tag), props);
  node.append(...children);
  return node;
}

// The song's rows, one entry a row played: { order, pattern, row }.
export function songRows(song) {
  const rows = [];
  (song.orders || []).forEach((o, order) => {
    if (o.pattern < 0) return;
    for (let row = 0; row < o.rows; ++row) rows.push({ order, pattern: o.pattern, row });
  });
  return rows;
}

// The key a cell shows, as typed back: "12.5 linear".
const keyText = (key) => (key ? nineDigits(key.value) + ' ' + key.interpolation : '');

export function createTracksPane({ player, script, onEdit, report }) {
  const song = player.song();
  const rows = songRows(song);
  const channels = song.channels || 0;
  // file -> { tracks (parsed), problem }; columns: { file, track } in the script's order.
  let files = {}, columns = [];
  const cursor = { index: 0, column: 0 };
  let anchor = null;  // the selection's other end (a row index), null: none
  let typing = null;  // the value being typed at the cursor
  let rowsPerBeat = 4;
  let follow = true;
  let playing = -1;  // the row index the music is at

  const grid = element('div', { className: 'grid', tabIndex: 0 });
  const table = element('table');
  grid.append(table);
  const beats = element('input', { type: 'number', min: 1, max: 64, value: rowsPerBeat, title: 'Rows per beat' });
  const followBox = element('input', { type: 'checkbox', checked: true, title: 'Scroll with the music' });
  const help = element('span', { textContent: 'type a value, Enter; I: interpolation; Del: delete; Shift+arrows: loop rows' });
  const problem = element('span', { className: 'problem' });
  const root = element('div', { className: 'tracks' },
    element('div', { className: 'tbar' }, element('label', {}, 'rows per beat ', beats),
      element('label', {}, followBox, ' follow'), help, problem),
    grid);
  const meters = element('canvas', { width: 64, height: 14 });

  const read = (name) => {
    const bytes = player.files.read(name);
    return bytes ? new TextDecoder().decode(bytes) : '';
  };
  const track = (column) => {
    const c = columns[column];
    return c && files[c.file].tracks.find((t) => t.name === c.track);
  };

  // The tracks the script reads, from their files as they are now.
  function load(text) {
    files = {};
    columns = [];
    const problems = [];
    for (const [file, names] of Object.entries(scriptTracks(text))) {
      const parsed = parseTracks(read(file));
      if (parsed.error) problems.push(file + ' line ' + parsed.error.line + ': ' + parsed.error.reason);
      const tracks = parsed.tracks || [];
      for (const name of names) if (!tracks.some((t) => t.name === name)) tracks.push({ name, keys: [] });
      files[file] = { tracks, refused: !!parsed.error };
      for (const name of names) columns.push({ file, track: name });
    }
    problem.textContent = problems.join('; ');
    cursor.column = Math.min(cursor.column, Math.max(0, columns.length - 1));
    draw();
  }

  function draw() {
    const head = element('tr', {}, ...['ord', 'pat', 'row', 'levels'].map((t) => element('th', { textContent: t })),
      ...columns.map((c) => element('th', { textContent: c.track, title: c.file })));
    const body = rows.map((r, index) => {
      const tr = element('tr', {},
        element('td', { textContent: String(r.order).padStart(3, '0') }),
        element('td', { textContent: String(r.pattern).padStart(3, '0') }),
        element('td', { textContent: String(r.row).padStart(2, '0') }),
        element('td', { className: 'm' }));
      tr.dataset.index = index;
      columns.forEach((c, column) => {
        const key = track(column).keys.find((k) => k.order === r.order && k.row === r.row);
        tr.append(element('td', { className: 'k', textContent: keyText(key) }));
      });
      return tr;
    });
    table.replaceChildren(head, ...body);
    playing = -1;
    paint();
  }

  const rowOf = (index) => table.rows[index + 1];
  const selection = () => (anchor === null ? null
    : { from: Math.min(anchor, cursor.index), to: Math.max(anchor, cursor.index) });

  // The classes that change without a redraw: beats, the selection, the cursor.
  function paint() {
    const sel = selection();
    rows.forEach((r, index) => {
      const tr = rowOf(index);
      tr.classList.toggle('measure', r.row % (rowsPerBeat * 4) === 0);
      tr.classList.toggle('beat', r.row % rowsPerBeat === 0 && r.row % (rowsPerBeat * 4) !== 0);
      tr.classList.toggle('sel', !!sel && index >= sel.from && index <= sel.to);
    });
    for (const td of table.querySelectorAll('td.cur')) td.classList.remove('cur', 'typing');
    const tr = rowOf(cursor.index);
    const td = tr && tr.cells[4 + cursor.column];
    if (td) {
      td.classList.add('cur');
      td.classList.toggle('typing', typing !== null);
      if (typing !== null) td.textContent = typing;
    }
  }

  function refreshCell(index, column) {
    const r = rows[index];
    const key = track(column).keys.find((k) => k.order === r.order && k.row === r.row);
    rowOf(index).cells[4 + column].textContent = keyText(key);
  }

  // The model of one file into its text in the show's files, then the reload.
  function commit(column) {
    const { file } = columns[column];
    const text = formatTracks(files[file].tracks);
    files[file].refused = false;
    problem.textContent = '';
    onEdit(file, text);
  }

  function setKey(column, change) {
    const t = track(column);
    if (!t) return;
    const r = rows[cursor.index];
    const at = t.keys.findIndex((k) => k.order === r.order && k.row === r.row);
    const next = change(at >= 0 ? t.keys[at] : null);
    if (at >= 0) t.keys.splice(at, 1);
    if (next) {
      t.keys.push({ order: r.order, row: r.row, ...next });
      t.keys.sort((a, b) => (before(a, b) ? -1 : 1));
    }
    refreshCell(cursor.index, column);
    commit(column);
  }

  function move(index, column, extend) {
    if (extend && anchor === null) anchor = cursor.index;
    if (!extend) anchor = null;
    cursor.index = Math.max(0, Math.min(rows.length - 1, index));
    cursor.column = Math.max(0, Math.min(columns.length - 1, column));
    typing = null;
    paint();
    rowOf(cursor.index)?.scrollIntoView({ block: 'nearest' });
  }

  function seekTo(index) {
    const r = rows[index];
    if (r) player.seek(r.order, r.row);
  }

  grid.addEventListener('keydown', (event) => {
    const { key } = event;
    let handled = true;
    if (typing !== null && key === 'Enter') {
      const text = typing;
      typing = null;
      // The player's own reading of a value decides what is one.
      const read = parseTracks('track t\n0:0 ' + text + ' step\n');
      if (read.error) {
        report(read.error.reason);
        refreshCell(cursor.index, cursor.column);
        paint();
      } else {
        const { value } = read.tracks[0].keys[0];
        setKey(cursor.column, (old) => ({ value, interpolation: old ? old.interpolation : 'step' }));
        move(cursor.index + 1, cursor.column, false);
      }
    } else if (typing !== null && key === 'Escape') {
      typing = null;
      refreshCell(cursor.index, cursor.column);
      paint();
    } else if (typing !== null && key === 'Backspace') {
      typing = typing.slice(0, -1);
      paint();
    } else if (/^[0-9.eE+-]$/.test(key) && !event.ctrlKey && !event.metaKey && columns.length) {
      typing = (typing ?? '') + key;
      paint();
    } else if (key === 'ArrowDown' || key === 'ArrowUp' || key === 'PageDown' || key === 'PageUp') {
      const step = (key.startsWith('Page') ? STEP_PAGE : 1) * (key.endsWith('Down') ? 1 : -1);
      move(cursor.index + step, cursor.column, event.shiftKey);
    } else if (key === 'ArrowLeft' || key === 'ArrowRight') {
      move(cursor.index, cursor.column + (key === 'ArrowRight' ? 1 : -1), event.shiftKey);
    } else if (key === 'i' || key === 'I') {
      setKey(cursor.column, (old) => old && {
        value: old.value, interpolation: INTERPOLATIONS[(INTERPOLATIONS.indexOf(old.interpolation) + 1) % INTERPOLATIONS.length],
      });
    } else if (key === 'Delete' || key === 'Backspace') {
      setKey(cursor.column, () => null);
    } else if (key === 'Enter') {
      seekTo(cursor.index);
    } else if (key === 'Escape') {
      move(cursor.index, cursor.column, false);
    } else {
      handled = false;
    }
    if (handled) event.preventDefault();
  });

  grid.addEventListener('mousedown', (event) => {
    const td = event.target.closest('td');
    const tr = td?.parentElement;
    if (!tr || tr.dataset.index === undefined) return;
    const index = Number(tr.dataset.index);
    const column = td.cellIndex >= 4 ? td.cellIndex - 4 : cursor.column;
    move(index, column, event.shiftKey);
    if (!event.shiftKey) seekTo(index);
    grid.focus();
    event.preventDefault();
  });

  beats.addEventListener('change', () => {
    const n = Math.round(Number(beats.value));
    if (n >= 1 && n <= 64) rowsPerBeat = n;
    paint();
  });
  followBox.addEventListener('change', () => { follow = followBox.checked; });

  // Each frame: the playing row marked with the channels' meters in it, and
  // the loop over the selection.
  const indexOf = new Map(rows.map((r, index) => [r.order * 256 + r.row, index]));
  const unsubscribe = player.onFrame(() => {
    if (!root.isConnected || !root.offsetParent) return;
    const p = player.position();
    const index = indexOf.get(p.order * 256 + p.row) ?? -1;
    const sel = selection();
    if (sel && sel.to > sel.from && !player.paused() && (index < sel.from || index > sel.to) && index !== -1) {
      seekTo(sel.from);
      return;
    }
    if (index !== playing) {
      rowOf(playing)?.classList.remove('now');
      playing = index;
      const tr = rowOf(playing);
      if (tr) {
        tr.classList.add('now');
        tr.cells[3].append(meters);
        if (follow && !player.paused()) tr.scrollIntoView({ block: 'center' });
      }
    }
    const levels = player.channelLevels(channels);
    const g = meters.getContext('2d');
    g.clearRect(0, 0, meters.width, meters.height);
    const w = channels ? meters.width / channels : 0;
    levels.forEach((level, c) => {
      g.fillStyle = level > 0.8 ? '#ff8a80' : '#7fd18b';
      const h = Math.round(Math.min(1, level) * meters.height);
      g.fillRect(c * w, meters.height - h, Math.max(1, w - 1), h);
    });
  });

  load(script);
  return {
    element: root,
    focus: () => grid.focus(),
    // A new script: the columns of the tracks it reads now.
    scriptChanged: (text) => load(text),
    columns: () => columns.map((c) => ({ ...c })),
    stop: unsubscribe,
  };
}
