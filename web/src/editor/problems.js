// The player's problems as CodeMirror diagnostics: on their line, on the
// word the text points at when it stands there, else the whole line.
import { problemWord } from '../player-api.js';

export function diagnosticsOf(doc, problems) {
  return problems.map((p) => {
    const line = doc.line(Math.min(Math.max(p.line, 1), doc.lines));
    const word = p.word || problemWord(p.text, line.text);
    const at = word ? line.text.indexOf(word) : -1;
    const from = at >= 0 ? line.from + at : line.from;
    const to = at >= 0 ? from + word.length : line.to;
    return { from, to: Math.max(to, from), severity: 'error', message: p.text, source: 'velmora' };
  });
}
