// Bundles the page's scripts into OUT (default: dist/): player.js, loaded
// with the page, and editor.js, loaded only when the editor is opened. The
// script's type words come from the engine's type table.
//   node build.mjs [OUT]
import { build } from 'esbuild';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const out = process.argv[2] || join(here, 'dist');

function typeWords() {
  const table = readFileSync(join(here, '..', 'src', 'script', 'TypeTable.cpp'), 'utf8');
  const types = [];
  for (const match of table.matchAll(/\.word = "([^"]+)"[\s\S]*?\.exampleDeclaration =\s*"([^"]*)"/g))
    types.push({ word: match[1], example: match[2] });
  if (types.length < 10) throw new Error('the type table could not be read: ' + types.length + ' types');
  types.push({ word: 'ZYL_Surface', example: 'ZYL_Surface NAME WIDTH HEIGHT' });
  return types;
}

const types = {
  name: 'velmora-types',
  setup(b) {
    b.onResolve({ filter: /^velmora:types$/ }, () => ({ path: 'types', namespace: 'velmora' }));
    b.onLoad({ filter: /.*/, namespace: 'velmora' }, () => ({ contents: JSON.stringify(typeWords()), loader: 'json' }));
  },
};

const common = { bundle: true, minify: true, target: ['chrome80', 'firefox113', 'safari16'], legalComments: 'none', logLevel: 'info' };
await build({ ...common, entryPoints: [join(here, 'src', 'player-main.js')], outfile: join(out, 'player.js'), format: 'iife' });
await build({ ...common, entryPoints: [join(here, 'src', 'editor', 'editor-main.js')], outfile: join(out, 'editor.js'), format: 'esm', plugins: [types] });
await build({ ...common, entryPoints: [join(here, 'src', 'audio-processor.js')], outfile: join(out, 'audio-processor.js'), format: 'iife' });
