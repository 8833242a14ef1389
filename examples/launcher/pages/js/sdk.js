// @ts-check
// The launcher's SDK as these pages use it.

/** @typedef {import('./types.js').LauncherEvent} LauncherEvent */

/** True inside the launcher; a page opened in a desktop browser has no SDK. */
export const insideLauncher = typeof window.vell === 'object' && window.vell !== null;

/** The SDK (window.vell). */
export function vell() {
  if (!insideLauncher) throw new Error('This page works inside the Vell demo launcher only.');
  return window.vell;
}

/**
 * The object of a {strJson, strError} answer; throws with the launcher's error text.
 * @template T
 * @param {{strJson: string, strError: string}} answer
 * @returns {T}
 */
export function fromJson(answer) {
  if (answer.strError) throw new Error(answer.strError);
  return /** @type {T} */ (JSON.parse(answer.strJson));
}

/**
 * Subscribes to the events the launcher broadcasts to every page ({type, ...}).
 * @param {(event: LauncherEvent) => void} handler
 * @returns {() => void} unsubscribes
 */
export function onLauncherEvent(handler) {
  return vell().basicModule.onEmit((value) => {
    if (value && typeof value === 'object' && typeof /** @type {{type?: unknown}} */ (value).type === 'string') {
      handler(/** @type {LauncherEvent} */ (value));
    }
  });
}

/**
 * Tells the launcher about something that happened in the page.
 * @param {LauncherEvent} event
 */
export function tellLauncher(event) {
  return vell().basicModule.emit(event);
}

/** A message for an error of any kind. @param {unknown} error */
export function messageOf(error) {
  if (error instanceof Error) return error.message;
  return String(error);
}
