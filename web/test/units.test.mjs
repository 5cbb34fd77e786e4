// The page's pieces that need no browser: links, problems, dropped files.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import { join, dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { inflateSync } from 'fflate';
import { encodeFragment, decodeFragment, lengthWarning } from '../src/link.js';
import { diagnosticsOf } from '../src/editor/problems.js';
import { problemWord } from '../src/player-api.js';
import { kindOf } from '../src/editor/drop.js';
import { parseTracks, formatTracks, nineDigits, scriptTracks } from '../src/editor/track-file.js';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');

test('a link carries the script back, raw deflate in base64url, within the lengths asked', async () => {
  const examples = readdirSync(join(root, 'docs', 'examples')).filter((n) => n.endsWith('.zyl'));
  const scripts = [...examples.map((n) => join(root, 'docs', 'examples', n)), join(root, 'demo', 'script.zyl')];
  for (const path of scripts) {
    const script = readFileSync(path, 'utf8');
    const fragment = await encodeFragment(script);
    assert.match(fragment, /^s=[A-Za-z0-9_-]+$/);
    assert.deepEqual(await decodeFragment('#' + fragment), { script });
    // Any raw-deflate writer's bytes read back the same.
    assert.equal(new TextDecoder().decode(inflateSync(Buffer.from(fragment.slice(2), 'base64url'))), script);
    assert.ok(fragment.length < (path.includes('demo') ? 2500 : 1000), path + ': ' + fragment.length);
  }
  assert.equal(await decodeFragment('#other=1'), null);
  assert.match((await decodeFragment('#s=AAAA')).error, /damaged/);
});

test('link length warnings at 2,000 and 8,000 characters', () => {
  assert.deepEqual([1999, 2000, 2001, 8000, 8001].map((n) => lengthWarning(n) !== ''), [false, false, true, true, true]);
  assert.match(lengthWarning(8001), /8,000/);
});

test('the player\'s problems marked on their line, on their word or else the whole line', () => {
  const lines = ['[ZYL_FX_Generator]', 'ZYL_BoxCopyer copie', '[/ZYL_FX_Generator]'];
  let from = 0;
  const starts = lines.map((l) => { const at = from; from += l.length + 1; return at; });
  const doc = { lines: lines.length, line: (n) => ({ from: starts[n - 1], to: starts[n - 1] + lines[n - 1].length, text: lines[n - 1] }) };
  const marks = diagnosticsOf(doc, [
    { line: 2, word: '', text: "unknown type 'ZYL_BoxCopyer'" },
    { line: 3, word: '', text: 'section has no end word' },
    { line: 0, word: '', text: "'data/a.jpg' not found" },
  ]);
  assert.deepEqual(marks.map((m) => [m.from, m.to, m.message]), [
    [starts[1], starts[1] + 'ZYL_BoxCopyer'.length, "unknown type 'ZYL_BoxCopyer'"],
    [starts[2], starts[2] + lines[2].length, 'section has no end word'],
    [0, lines[0].length, "'data/a.jpg' not found"],
  ]);
});

test('the word a problem quotes, when it stands on the line', () => {
  assert.equal(problemWord("unknown type 'ZYL_BoxCopyer'", 'ZYL_BoxCopyer copie'), 'ZYL_BoxCopyer');
  assert.equal(problemWord("unknown type 'ZYL_Other'", 'ZYL_BoxCopyer copie'), '');
  assert.equal(problemWord('unknown box type ZYL_BoxCopyer; did you mean ZYL_BoxCopier?', 'ZYL_BoxCopyer copie'), 'ZYL_BoxCopyer');
  assert.equal(problemWord('section has no end word', 'ZYL_BoxCopier copie'), '');
});

test('dropped files known by their first bytes, modules by their name', () => {
  const bytes = (...b) => Uint8Array.from([...b, ...new Array(12).fill(0)]);
  assert.equal(kindOf(bytes(0xFF, 0xD8, 0xFF, 0xE0), 'a.bin'), 'picture');
  assert.equal(kindOf(bytes(0x89, 0x50, 0x4E, 0x47), 'a.jpg'), 'picture');
  assert.equal(kindOf(Uint8Array.from([0x46, 0x4F, 0x52, 0x4D, 0, 0, 0, 4, 0x4C, 0x57, 0x4F, 0x32]), 'm'), 'mesh');
  assert.equal(kindOf(Uint8Array.from([0x46, 0x4F, 0x52, 0x4D, 0, 0, 0, 4, 0x4C, 0x57, 0x4F, 0x42]), 'm.lwo'), null);
  assert.equal(kindOf(bytes(1, 2, 3), 'tune.XM'), 'module');
  assert.equal(kindOf(bytes(1, 2, 3), 'notes.txt'), null);
});

test('track files: what the writer writes reads back to the same keys; the reader refuses as the player does', () => {
  const text = readFileSync(join(root, 'demo', 'script.tracks'), 'utf8');
  const read = parseTracks(text);
  assert.ok(read.tracks.length >= 1 && read.tracks.every((t) => t.keys.length > 0), JSON.stringify(read.error));
  const written = formatTracks(read.tracks);
  assert.deepEqual(parseTracks(written), read);
  assert.equal(formatTracks(parseTracks(written).tracks), written);
  // Keys sorted, values as floats, written with C's %.9g.
  const odd = parseTracks('track a # x\n1:3 0.1 ramp\n0:7 -1e-7 linear\n2:0 123456789012 step\ntrack b\n');
  assert.deepEqual(odd.tracks[0].keys.map((k) => k.order + ':' + k.row), ['0:7', '1:3', '2:0']);
  assert.equal(odd.tracks[0].keys[1].value, Math.fround(0.1));
  assert.equal(formatTracks(odd.tracks).split('\n').slice(2).join('|'),
    'track a|0:7 -1.00000001e-07 linear|1:3 0.100000001 ramp|2:0 1.23456791e+11 step||track b|');
  assert.deepEqual([1, 0.5, 1e9, 123456789, 1e-4, 0].map(nineDigits), ['1', '0.5', '1e+09', '123456789', '0.0001', '0']);
  const refusals = [
    ['0:0 1 step', 1, /before any 'track NAME'/],
    ['track a\n0:0 nan step', 2, /not a finite number a float holds/],
    ['track a\n0:0 1e39 step', 2, /not a finite number a float holds/],
    ['track a\n0:0 +1 step', 2, /is not a number/],
    ['track a\n0:256 1 step', 2, /not ORDER:ROW/],
    ['track a\n0:0 1 cubic', 2, /not step, linear, smooth or ramp/],
    ['track a\n\n0:0 1 step\n0:0 2 step', 4, /second key at 0:0 of track 'a' \(the first is on line 3\)/],
    ['track a\ntrack a', 2, /second track named 'a'/],
    ['track a b', 1, /'track NAME'/],
    ['track a\n' + 'x'.repeat(2560), 2, /longer than 2559/],
  ];
  for (const [bad, line, reason] of refusals) {
    const { error } = parseTracks(bad);
    assert.equal(error?.line, line, bad);
    assert.match(error.reason, reason);
  }
  assert.deepEqual(scriptTracks('; ZYL_FnctTrack x no.tracks y\nZYL_FnctTrack a script.tracks courbe\nZYL_FnctTrack b script.tracks balle.x\n'),
    { 'script.tracks': ['courbe', 'balle.x'] });
});

test('a link carries the track files beside the script', async () => {
  const files = { 'script.tracks': 'track a\n0:0 1 step\n' };
  const fragment = await encodeFragment('script', files);
  assert.match(fragment, /^s=[A-Za-z0-9_-]+&t=[A-Za-z0-9_-]+$/);
  assert.deepEqual(await decodeFragment('#' + fragment), { script: 'script', files });
  const hostile = await encodeFragment('script', { '../x': 'y' });
  assert.match((await decodeFragment('#' + hostile)).error, /damaged/);
});
