// Track files in the page: the same grammar, limits and messages as the
// player's reader, and the same text as its writer, so that what the track
// pane writes the player reads back to the same keys.
//   # comment               (anywhere after '#')
//   track NAME              (a new track)
//   ORDER:ROW VALUE INTERP  (a key of the track above; INTERP step|linear|smooth|ramp)

export const INTERPOLATIONS = ['step', 'linear', 'smooth', 'ramp'];
export const LIMITS = { name: 255, line: 2559, tracks: 4096, keys: 1 << 20, order: 65535, row: 255 };
// Half a unit above the largest float: a float would be infinite there.
const FLOAT_LIMIT = (2 - 2 ** -24) * 2 ** 127;
const SPACE = /[ \t\r\v\f]+/;
// What std::from_chars reads as a double, in its general form.
const NUMBER = /^-?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;
const NOT_FINITE = /^-?(inf|infinity|nan(\([0-9A-Za-z_]*\))?)$/i;

export const validName = (name) => name.length >= 1 && name.length <= LIMITS.name && /^[A-Za-z0-9_.:-]+$/.test(name);

function quoted(text) {
  // eslint-disable-next-line no-control-regex
  const shown = text.slice(0, 40).replace(/[\x00-\x1f\x7f]/g, '?');
  return "'" + shown + (text.length > 40 ? "...'" : "'");
}

function whole(text, maximum) {
  if (!/^[0-9]{1,9}$/.test(text)) return null;
  const n = Number(text);
  return n > maximum ? null : n;
}

export const before = (a, b) => a.order < b.order || (a.order === b.order && a.row < b.row);

// { tracks: [{ name, keys: [{ order, row, value, interpolation }] }] } or
// { error: { line, reason } }; keys sorted, values rounded to floats.
export function parseTracks(text) {
  const tracks = [], keyLines = [], trackLines = [];
  let keyCount = 0, lineNumber = 0;
  const refuse = (reason) => ({ error: { line: lineNumber, reason } });
  const lines = text.split('\n');
  if (lines[lines.length - 1] === '') lines.pop();
  for (const line of lines) {
    ++lineNumber;
    if (line.length > LIMITS.line) return refuse('the line is longer than ' + LIMITS.line + ' characters');
    if (line.includes('\0')) return refuse('the line holds a NUL byte: not a text file');
    const hash = line.indexOf('#');
    const w = (hash >= 0 ? line.slice(0, hash) : line).split(SPACE).filter((x) => x !== '').slice(0, 4);
    if (!w.length) continue;
    if (w[0] === 'track') {
      if (w.length !== 2) return refuse("a track line is 'track NAME'");
      if (!validName(w[1])) {
        return refuse('the track name ' + quoted(w[1]) + ' is not 1 to ' + LIMITS.name + " letters, digits, '_', '.', '-' or ':'");
      }
      const first = tracks.findIndex((t) => t.name === w[1]);
      if (first >= 0) return refuse('a second track named ' + quoted(w[1]) + ' (the first is on line ' + trackLines[first] + ')');
      if (tracks.length >= LIMITS.tracks) return refuse('more than ' + LIMITS.tracks + ' tracks');
      tracks.push({ name: w[1], keys: [] });
      keyLines.push([]);
      trackLines.push(lineNumber);
      continue;
    }
    if (w.length !== 3) return refuse("a key is 'ORDER:ROW VALUE INTERPOLATION', not " + quoted(line));
    if (!tracks.length) return refuse("a key before any 'track NAME' line");
    const colon = w[0].indexOf(':');
    const order = colon < 0 ? null : whole(w[0].slice(0, colon), LIMITS.order);
    const row = colon < 0 ? null : whole(w[0].slice(colon + 1), LIMITS.row);
    if (order === null || row === null) {
      return refuse('the position ' + quoted(w[0]) + ' is not ORDER:ROW (order 0-65535, row 0-255)');
    }
    if (!NUMBER.test(w[1]) && !NOT_FINITE.test(w[1])) return refuse('the value ' + quoted(w[1]) + ' is not a number');
    const value = Number(w[1].replace(/^(-?)inf(inity)?$/i, '$1Infinity'));
    if (!Number.isFinite(value) || Math.abs(value) >= FLOAT_LIMIT) {
      return refuse('the value ' + quoted(w[1]) + ' is not a finite number a float holds');
    }
    const interpolation = INTERPOLATIONS.indexOf(w[2]);
    if (interpolation < 0) return refuse('the interpolation ' + quoted(w[2]) + ' is not step, linear, smooth or ramp');
    if (++keyCount > LIMITS.keys) return refuse('more than ' + LIMITS.keys + ' keys');
    keyLines[keyLines.length - 1].push({ key: { order, row, value: Math.fround(value), interpolation: w[2] }, line: lineNumber });
  }
  for (let t = 0; t < tracks.length; ++t) {
    const list = keyLines[t].sort((a, b) => (before(a.key, b.key) ? -1 : before(b.key, a.key) ? 1 : 0));
    for (let i = 1; i < list.length; ++i) {
      if (list[i].key.order === list[i - 1].key.order && list[i].key.row === list[i - 1].key.row) {
        const [first, later] = list[i].line > list[i - 1].line ? [list[i - 1], list[i]] : [list[i], list[i - 1]];
        lineNumber = later.line;
        return refuse('a second key at ' + later.key.order + ':' + later.key.row + " of track '" + tracks[t].name +
          "' (the first is on line " + first.line + ')');
      }
    }
    tracks[t].keys = list.map((k) => k.key);
  }
  return { tracks };
}

// A number as C's "%.9g" writes it: nine significant digits, no trailing zeros.
export function nineDigits(value) {
  if (value === 0) return Object.is(value, -0) ? '-0' : '0';
  const [mantissa, exponentText] = value.toExponential(8).split('e');
  const exponent = Number(exponentText);
  const trim = (digits) => (digits.includes('.') ? digits.replace(/0+$/, '').replace(/\.$/, '') : digits);
  if (exponent < -4 || exponent >= 9) {
    return trim(mantissa) + 'e' + (exponent < 0 ? '-' : '+') + String(Math.abs(exponent)).padStart(2, '0');
  }
  return trim(value.toFixed(Math.max(0, 8 - exponent)));
}

// The text parseTracks reads back to the same tracks, as the player writes it.
export function formatTracks(tracks) {
  let text = "# Velmora tracks: 'track NAME', then one key a line: ORDER:ROW VALUE step|linear|smooth|ramp\n";
  for (const track of tracks) {
    text += '\ntrack ' + track.name + '\n';
    for (const k of track.keys) text += k.order + ':' + k.row + ' ' + nineDigits(k.value) + ' ' + k.interpolation + '\n';
  }
  return text;
}

// The track files a script's ZYL_FnctTrack lines name, with the tracks each
// reads: { file: [track, ...] } in the script's order.
export function scriptTracks(script) {
  const files = {};
  for (const line of script.split('\n')) {
    const w = line.replace(/;.*/, '').trim().split(/\s+/);
    if (w[0] !== 'ZYL_FnctTrack' || w.length < 4) continue;
    const file = w[2].replace(/^"(.*)"$/, '$1');
    (files[file] ||= []).includes(w[3]) || files[file].push(w[3]);
  }
  return files;
}
