// What the page's editor, link, download and drop features need from the
// player, and nothing more. Whatever plays the show (today's page over the
// wasm exports, or a later one) hands an object of this shape to
// `providePlayer`; the features wait for it with `whenPlayer`.
//
// interface Player {
//   scriptName: string                 the script's name inside the show ("script.zyl")
//   getScript(): string                the text of the show playing now (the last good one)
//   siteScript(): Promise<string>      the site's own script, as packed
//   reload(text): { ok: boolean, problems: Problem[] }
//       Loads `text` as the script. The music position (order, row), pause
//       and loop are kept. When the player refuses it, the last good show
//       plays on and `problems` says why, as `velmora check` words it.
//   files: {
//     list(): string[]                 the show's files (the script first), as show.txt lists them
//     read(name): Uint8Array | null
//     write(name, bytes): void         a file added or replaced (a dropped picture, mesh, module)
//   }
//   replaceMusic(): string             the module written to the show's files becomes the live
//                                      show's music, at the same order and row; '' or why not
//   typeWords(): { word, example }[]   the script's type words, from the player's type table
//   position(): { order, row }         where the music is
//   song(): { channels, orders: [{ pattern, rows }] }   the module's order list (pattern -1:
//                                      an entry that names no pattern), or { error }
//   seek(order, row): void             the show and its music moved there
//   channelLevels(count): number[]     the channels' levels (0..1) heard now; [] when silent
//   paused(): boolean                  whether the show is paused (Space)
//   onFrame(callback): () => void      called after each frame shown; returns the unsubscriber
//   frameHashes({ count, fps, start, position }): Promise<string[]>
//       SHA-256 of frames evaluated as `velmora render --hash` does, of the
//       show loaded now (headless; the live show is not disturbed).
// }
//
// interface Problem { line: number (1-based, 0: none), word: string (may be ''), text: string }

let provided = null;
const waiting = [];

export function providePlayer(player) {
  provided = player;
  for (const resolve of waiting.splice(0)) resolve(player);
}

export function whenPlayer() {
  return provided ? Promise.resolve(provided) : new Promise((resolve) => waiting.push(resolve));
}

// The word of a problem's text that stands on its line, for marking it: a
// quoted one first, else the first word of the text that is a word of the line.
export function problemWord(text, lineText) {
  for (const match of text.matchAll(/'([^'\s]+)'|"([^"\s]+)"/g)) {
    const word = match[1] || match[2];
    if (lineText.includes(word)) return word;
  }
  const words = new Set(lineText.split(/\s+/));
  return text.split(/[\s;,:()?!]+/).find((word) => word.length > 1 && words.has(word)) || '';
}
