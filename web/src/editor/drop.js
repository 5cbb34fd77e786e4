// Files dropped on the page (the player bundle hands them over): a JPEG or PNG picture becomes a surface, an LWO2
// mesh a 3D object box, a module the show's music. Each is written into the
// show's files and kept with the autosave; its declaration goes at the end of
// its section, and the reload says whether the player takes it.

const MUSIC = 'data/zik.mo3';
const MAX_BYTES = 64 * 1024 * 1024;

function startsWith(bytes, ...magic) { return magic.every((b, i) => bytes[i] === b); }

export function kindOf(bytes, fileName) {
  if (startsWith(bytes, 0xFF, 0xD8, 0xFF)) return 'picture';
  if (startsWith(bytes, 0x89, 0x50, 0x4E, 0x47)) return 'picture';
  if (startsWith(bytes, 0x46, 0x4F, 0x52, 0x4D) && String.fromCharCode(...bytes.subarray(8, 12)) === 'LWO2') return 'mesh';
  if (/\.(mo3|mod|xm|it|s3m|mptm)$/i.test(fileName)) return 'module';
  return null;
}

// A name the script can hold: letters, digits and _ only.
function declaredName(fileName, text) {
  const stem = fileName.replace(/\.[^.]*$/, '').replace(/[^A-Za-z0-9_]/g, '_') || 'fichier';
  let name = stem, n = 2;
  while (new RegExp('^\\s*ZYL_\\w+\\s+' + name + '(\\s|$)', 'm').test(text)) name = stem + '_' + n++;
  return name;
}

// Where a line goes in `doc`: before the end word of `section`.
const before = (section) => (doc) => {
  const at = doc.toString().indexOf('[/' + section + ']');
  return at < 0 ? doc.length : at;
};

// The files dropped, taken one after the other.
export function dropTaker(player, { added, text: current, insert, reload, report }) {
  return async (files) => {
    for (const file of files) {
      if (file.size > MAX_BYTES) { report(file.name + ': larger than 64 MiB'); continue; }
      const bytes = new Uint8Array(await file.arrayBuffer());
      const kind = kindOf(bytes, file.name);
      if (!kind) { report(file.name + ': not a JPEG or PNG picture, an LWO2 mesh or a module'); continue; }
      const path = kind === 'module' ? MUSIC : 'data/' + file.name.replace(/[^A-Za-z0-9_.-]/g, '_');
      const previous = player.files.read(path);
      player.files.write(path, bytes);
      if (kind === 'module') {
        const why = player.replaceMusic();
        if (why) {
          // The show plays on with its module: the files keep it too.
          if (previous) player.files.write(path, previous);
          report(file.name + ': ' + why);
          continue;
        }
      }
      added[path] = bytes;
      const text = current();
      if (kind === 'picture') insert(before('ZYL_Surface'), 'ZYL_Surface ' + declaredName(file.name, text) + ' "' + path + '"');
      else if (kind === 'mesh') insert(before('ZYL_FX_Generator'), 'ZYL_BoxObjet3D ' + declaredName(file.name, text) + ' ' + path + ' 0');
      reload();
    }
  };
}
