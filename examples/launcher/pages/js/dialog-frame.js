// @ts-check
// What every web dialog page shares: its title bar moves the dialog, its
// close button closes it, and its address tells its name and the self-test.
import { byId } from './dom.js';
import { vell } from './sdk.js';
import { makeDraggable } from './titlebar.js';

export const query = new URLSearchParams(location.search);
export const selfTest = query.has('selftest');

/** Asks the launcher to close the dialog showing this page. */
export function closeDialog() {
  return vell().uiModule.closeWebDialog({ type: 'CloseDialog', payload: null });
}

/** Wires #titlebar (dragging) and #close. */
export function initDialogFrame() {
  makeDraggable(byId('titlebar'));
  byId('close').addEventListener('click', () => { closeDialog(); });
}
