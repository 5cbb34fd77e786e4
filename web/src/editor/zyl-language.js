// The show script for the editor: its sections, type words and declared
// names highlighted, and completion of type words (for the section the
// cursor is in) and of the names the script declares.
import { StreamLanguage, HighlightStyle, syntaxHighlighting } from '@codemirror/language';
import { tags } from '@lezer/highlight';

// Declaration sections in the order a script has them, then the wiring.
const SECTIONS = ['ZYL_FX_Generator', 'ZYL_Fonction', 'ZYL_Surface', 'CABLAGE'];
const PREFIXES = ['ZYL_Box', 'ZYL_Fnct', 'ZYL_Surface'];
// The type words and a declaration of each, as the player's type table has them.
let types = [];
let known = new Set();
export function useTypes(list) {
  types = list;
  known = new Set(list.map((t) => t.word));
}

function sectionOf(line) {
  const match = /^\s*\[(\/?)([A-Za-z_]+)\]/.exec(line);
  if (!match) return undefined;
  const index = SECTIONS.indexOf(match[2]);
  return index < 0 ? undefined : (match[1] ? -1 : index);
}

export const zylLanguage = StreamLanguage.define({
  name: 'velmora-script',
  startState: () => ({ section: -1, names: [], column: 0 }),
  token(stream, state) {
    if (stream.sol()) state.column = 0;
    if (stream.eatSpace()) return null;
    if (stream.peek() === ';') { stream.skipToEnd(); return 'comment'; }
    if (state.column === 0 && stream.match(/^\[\/?[A-Za-z_]+\]/)) {
      const section = sectionOf(stream.current());
      if (section !== undefined) state.section = section;
      state.column = 1;
      return 'heading';
    }
    const column = state.column++;
    if (stream.match(/^"[^"]*"?/)) return 'string';
    if (stream.match(/^-?\d+(\.\d*)?/) && (stream.eol() || /\s/.test(stream.peek()))) return 'number';
    stream.match(/^\S+/);
    const word = stream.current();
    if (state.section >= 0 && state.section < 3) {
      if (column === 0) return known.has(word) ? 'typeName' : 'invalid';
      if (column === 1) {
        if (!state.names.includes(word)) state.names.push(word);
        return 'variableName.definition';
      }
      return null;
    }
    if (state.section === 3) {
      if (word === 'OUT') return 'keyword';
      if (state.names.includes(word)) return 'variableName';
    }
    return null;
  },
  languageData: { commentTokens: { line: ';' } },
});

export const zylHighlight = syntaxHighlighting(HighlightStyle.define([
  { tag: tags.heading, color: '#c678dd', fontWeight: 'bold' },
  { tag: tags.typeName, color: '#61afef' },
  { tag: tags.definition(tags.variableName), color: '#e5c07b' },
  { tag: tags.variableName, color: '#d19a66' },
  { tag: tags.keyword, color: '#56b6c2' },
  { tag: tags.number, color: '#98c379' },
  { tag: tags.string, color: '#98c379' },
  { tag: tags.comment, color: '#7f848e', fontStyle: 'italic' },
  { tag: tags.invalid, color: '#e06c75' },
]));

// The section (0..3, -1 outside) a line of `doc` is in, and the names declared.
function scan(doc, upToLine) {
  let section = -1;
  const names = [];
  for (let n = 1; n <= doc.lines; ++n) {
    const text = doc.line(n).text;
    const s = sectionOf(text);
    if (n < upToLine && s !== undefined) section = s;
    else if (s === undefined && !/^\s*(;|$)/.test(text)) {
      const words = text.trim().split(/\s+/);
      if (words[0].startsWith('ZYL_') && words.length > 1) names.push({ name: words[1], type: words[0] });
    }
  }
  return { section, names };
}

export function zylCompletion(context) {
  const word = context.matchBefore(/[\w.]*/);
  if (!word || (word.from === word.to && !context.explicit)) return null;
  const line = context.state.doc.lineAt(context.pos);
  const first = line.text.slice(0, word.from - line.from).trim() === '';
  const { section, names } = scan(context.state.doc, line.number);
  let options;
  if (first && section >= 0 && section < 3) {
    options = types.filter((t) => t.word.startsWith(PREFIXES[section]))
      .map((t) => ({ label: t.word, type: 'type', detail: t.example.slice(t.word.length).trim() }));
  } else {
    options = names.map((d) => ({ label: d.name, type: 'variable', detail: d.type }));
    if (section === 3) options.push({ label: 'OUT', type: 'keyword' });
  }
  return { from: word.from, options, validFor: /^[\w.]*$/ };
}
