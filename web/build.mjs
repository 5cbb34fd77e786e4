// Bundles the page's scripts into OUT (default: dist/): player.js, loaded
// with the page, and editor.js, loaded only when the editor is opened (the
// script's type words it asks the player for).
//   node build.mjs [OUT]
import { build } from 'esbuild';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const out = process.argv[2] || join(here, 'dist');

const common = { bundle: true, minify: true, target: ['chrome80', 'firefox113', 'safari16'], legalComments: 'none', logLevel: 'info' };
await build({ ...common, entryPoints: [join(here, 'src', 'player-main.js')], outfile: join(out, 'player.js'), format: 'iife' });
await build({ ...common, entryPoints: [join(here, 'src', 'editor', 'editor-main.js')], outfile: join(out, 'editor.js'), format: 'esm' });
await build({ ...common, entryPoints: [join(here, 'src', 'audio-processor.js')], outfile: join(out, 'audio-processor.js'), format: 'iife' });
