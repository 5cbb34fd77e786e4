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
