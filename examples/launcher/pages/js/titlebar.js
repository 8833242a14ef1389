// @ts-check
// The window's frame, drawn by the page: dragging the bar moves the window,
// its buttons minimise, maximise and close it.
import { WindowAction } from './codes.js';
import { vell } from './sdk.js';

/**
 * Makes `bar` move the window: each move asks the launcher to shift the
 * window by how far the pointer is from where it was pressed, which the
 * move itself undoes, so the offset never builds up.
 * @param {HTMLElement} bar
 */
export function makeDraggable(bar) {
  /** @type {{x: number, y: number} | null} */
  let anchor = null;
  let moving = false;
  bar.addEventListener('mousedown', (event) => {
    if (event.button !== 0 || isControl(event.target)) return;
    anchor = { x: event.clientX, y: event.clientY };
  });
  window.addEventListener('mouseup', () => { anchor = null; });
  window.addEventListener('mousemove', (event) => {
    if (!anchor || moving) return;
    const deltaX = event.clientX - anchor.x;
    const deltaY = event.clientY - anchor.y;
    if (deltaX === 0 && deltaY === 0) return;
    moving = true;
    vell().basicModule.moveWindow({ deltaX, deltaY }).finally(() => { moving = false; });
  });
}

/** @param {EventTarget | null} target */
function isControl(target) {
  return target instanceof Element && target.closest('button, a, input, select') !== null;
}

/**
 * Wires the window buttons of `bar` (data-window="minimise|maximise|close")
 * and a double click on it (maximise or restore).
 * @param {HTMLElement} bar
 */
export function wireWindowButtons(bar) {
  /** @type {Record<string, number>} */
  const actions = { minimise: WindowAction.Minimise, maximise: WindowAction.Maximise, close: WindowAction.Close };
  for (const button of bar.querySelectorAll('[data-window]')) {
    const action = actions[button.getAttribute('data-window') ?? ''];
    button.addEventListener('click', () => vell().browserModule.browserWindowState({ windowAction: action }));
  }
  bar.addEventListener('dblclick', (event) => {
    if (!isControl(event.target)) vell().browserModule.browserWindowState({ windowAction: WindowAction.Maximise });
  });
}
