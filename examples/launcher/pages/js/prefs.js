// @ts-check
// The user's settings as the launcher keeps them, applied to the look.
import { fromJson, onLauncherEvent, vell } from './sdk.js';

/** @typedef {import('./types.js').Settings} Settings */

/** @type {Settings | null} */
let current = null;
let loadError = '';
/** @type {Set<(settings: Settings) => void>} */
const listeners = new Set();

/** Reads the settings, applies them, and follows the saved ones. */
export async function initPrefs() {
  const answer = await vell().settingsModule.data.getSettings({});
  loadError = answer.strError;
  apply(fromJson({ strJson: answer.strJson, strError: '' }));
  onLauncherEvent((event) => {
    if (event.type === 'settingsChanged') apply(/** @type {Settings} */ (event.settings));
  });
}

/** @param {Settings} settings */
function apply(settings) {
  current = settings;
  document.documentElement.dataset.accent = settings.accent;
  for (const listener of [...listeners]) listener(settings);
}

/** @returns {Settings} */
export function prefs() {
  if (!current) throw new Error('the settings have not been read yet');
  return current;
}

/** Why the saved settings could not be read ('' when they could). */
export function prefsLoadError() {
  return loadError;
}

/** @param {(settings: Settings) => void} listener */
export function onPrefs(listener) {
  listeners.add(listener);
  return () => { listeners.delete(listener); };
}
