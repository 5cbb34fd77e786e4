// The edited show kept in the browser (IndexedDB), one record per site page:
// the script's text and the files added to the show.

const DB = 'velmora', STORE = 'shows';

function open() {
  return new Promise((resolve, reject) => {
    const request = indexedDB.open(DB, 1);
    request.onupgradeneeded = () => request.result.createObjectStore(STORE);
    request.onsuccess = () => resolve(request.result);
    request.onerror = () => reject(request.error);
  });
}

async function run(mode, act) {
  const db = await open();
  try {
    return await new Promise((resolve, reject) => {
      const transaction = db.transaction(STORE, mode);
      const request = act(transaction.objectStore(STORE));
      transaction.oncomplete = () => resolve(request.result);
      transaction.onerror = () => reject(transaction.error);
    });
  } finally {
    db.close();
  }
}

export const siteKey = () => location.pathname.replace(/[^/]*$/, '');

// { script: string, files: { name: Uint8Array }, saved: ms } or null.
// A store that never answers (some headless and private modes) is none: the
// show must start all the same.
const STORE_WAIT_MS = 3000;

export async function loadSaved(key = siteKey()) {
  try {
    const late = new Promise((resolve) => setTimeout(() => resolve(null), STORE_WAIT_MS));
    return (await Promise.race([run('readonly', (store) => store.get(key)), late])) || null;
  } catch (e) {
    return null;  // no IndexedDB (private mode): the site's own show
  }
}

export function save(show, key = siteKey()) {
  return run('readwrite', (store) => store.put({ ...show, saved: Date.now() }, key));
}

export function forget(key = siteKey()) {
  return run('readwrite', (store) => store.delete(key));
}
