// The edited show as a folder laid out as `velmora web` writes one: the
// player's files, show.txt listing the show's files (the script first), and
// the files under show/. It plays from any static server.
import { zipSync } from 'fflate';

// The player's files a site holds; the same list as `velmora web` copies.
export const PLAYER_FILES = ['index.html', 'page.js', 'velmora.js', 'velmora.wasm', 'player.js', 'editor.js', 'audio-processor.js'];

export async function siteZip(player, script) {
  const entries = {};
  await Promise.all(PLAYER_FILES.map(async (name) => {
    const answer = await fetch(name);
    if (answer.ok) entries[name] = new Uint8Array(await answer.arrayBuffer());
  }));
  const names = player.files.list();
  for (const name of names) {
    const bytes = name === player.scriptName ? new TextEncoder().encode(script) : player.files.read(name);
    if (bytes) entries['show/' + name] = [bytes, { level: /\.(jpe?g|png|mo3|wasm)$/i.test(name) ? 0 : 6 }];
  }
  entries['show.txt'] = new TextEncoder().encode(names.map((n) => n + '\n').join(''));
  return new Blob([zipSync(entries)], { type: 'application/zip' });
}

export function download(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}
