// The page's layout beyond page.js's own: the frame scaled down (never
// cropped) when the window is narrower than it, the start screen's help
// wrapping, room for the editor beside the frame, and buttons for touch
// (start is a tap on the start screen; pause and row steps press the keys
// the page already knows).

const CSS = `
#screen { max-width: 100% !important; max-height: 100% !important; height: auto !important; object-fit: contain; }
#start { padding: 0 12px; box-sizing: border-box; }
#start div { max-width: 100%; overflow-wrap: anywhere; }
#edit { position: fixed; right: 8px; top: 8px; z-index: 20; font: 13px sans-serif; opacity: 0.6; }
#edit:hover { opacity: 1; }
body.editing #edit { display: none; }
body.editing #stage { right: 50%; }
body.editing #overlay { max-width: calc(50% - 24px); white-space: pre-wrap; }
#touch { position: fixed; left: 50%; bottom: 10px; transform: translateX(-50%); z-index: 15; display: none; gap: 10px; }
#touch button { font-size: 22px; min-width: 52px; min-height: 44px; opacity: 0.7; }
@media (pointer: coarse) { #touch { display: flex; } }
@media (max-width: 800px) {
  body.editing #stage { right: 0; bottom: 55%; }
}
`;

function press(key) {
  document.dispatchEvent(new KeyboardEvent('keydown', { key, bubbles: true, cancelable: true }));
}

export function installLayout() {
  const style = document.createElement('style');
  style.textContent = CSS;
  document.head.append(style);

  const bar = document.createElement('div');
  bar.id = 'touch';
  for (const [label, key, title] of [['\u23EF', ' ', 'Pause'], ['\u25B2', 'ArrowUp', 'Row back'],
    ['\u25BC', 'ArrowDown', 'Row on'], ['\u25B6\u25B6', 'ArrowRight', 'Next order']]) {
    const button = document.createElement('button');
    button.type = 'button';
    button.textContent = label;
    button.title = title;
    button.addEventListener('click', (event) => { event.stopPropagation(); press(key); });
    bar.append(button);
  }
  document.body.append(bar);
}
