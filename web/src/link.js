// A show carried by a link: the script, deflated (raw) and in base64url, in
// the fragment (`#s=...`), which never reaches the server; the text files
// edited beside it (track files), as JSON { name: text } deflated the same
// way, in `&t=...`. The site's files serve whatever else the script names.

const PREFIX = 's=', FILES = 't=';

async function through(stream, bytes) {
  const piped = new Blob([bytes]).stream().pipeThrough(stream);
  return new Uint8Array(await new Response(piped).arrayBuffer());
}

function base64url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64url(text) {
  const binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  return Uint8Array.from(binary, (c) => c.charCodeAt(0));
}

const deflated = async (text) => base64url(await through(new CompressionStream('deflate-raw'), new TextEncoder().encode(text)));
const inflated = async (text) =>
  new TextDecoder('utf-8', { fatal: true }).decode(await through(new DecompressionStream('deflate-raw'), fromBase64url(text)));

// The fragment (without '#') carrying `script` and the text `files` ({ name: text }).
export async function encodeFragment(script, files = {}) {
  const fragment = PREFIX + await deflated(script);
  return Object.keys(files).length ? fragment + '&' + FILES + await deflated(JSON.stringify(files)) : fragment;
}

// The script a fragment carries: null when it carries none, else { script }
// (with `files` when it carries some) or { error } when it cannot be read back.
export async function decodeFragment(hash) {
  const fragment = hash.startsWith('#') ? hash.slice(1) : hash;
  const part = fragment.split('&').find((p) => p.startsWith(PREFIX));
  if (!part) return null;
  try {
    const script = await inflated(part.slice(PREFIX.length));
    const filesPart = fragment.split('&').find((p) => p.startsWith(FILES));
    if (!filesPart) return { script };
    const files = JSON.parse(await inflated(filesPart.slice(FILES.length)));
    const names = Object.keys(files);
    if (typeof files !== 'object' || Array.isArray(files) || names.some((n) => typeof files[n] !== 'string' ||
        n === '' || n.startsWith('/') || n.split('/').includes('..'))) throw new Error('not a show\'s files');
    return { script, files };
  } catch (e) {
    return { error: 'The link is damaged: its show cannot be read back (cut short when copied?).' };
  }
}

// The whole link to the site page playing `script` with `files`.
export async function linkFor(script, files = {}, where = location) {
  return where.origin + where.pathname + '#' + (await encodeFragment(script, files));
}

// What a link's length means for where it can go.
export function lengthWarning(length) {
  if (length > 8000) return 'over 8,000 characters: some browsers and servers cut such links';
  if (length > 2000) return 'over 2,000 characters: chat apps turn it into an attachment';
  return '';
}
