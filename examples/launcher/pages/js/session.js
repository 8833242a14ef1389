// @ts-check
// Who is signed in, as the launcher tells it.
import { fromJson, vell } from './sdk.js';

/** @typedef {import('./types.js').LoginData} LoginData */

/** @type {LoginData} */
let current = { signedIn: false, user: null, accounts: [] };
/** @type {Set<(data: LoginData) => void>} */
const listeners = new Set();

/** Reads the session and follows its changes. */
export async function initSession() {
  vell().accountModule.onAccountChanged((value) => update(/** @type {LoginData} */ (value)));
  update(fromJson(await vell().accountModule.data.getLoginUserData({})));
}

/** @param {LoginData} data */
function update(data) {
  current = data;
  for (const listener of [...listeners]) listener(data);
}

export function session() {
  return current;
}

/** @param {(data: LoginData) => void} listener */
export function onSession(listener) {
  listeners.add(listener);
  return () => { listeners.delete(listener); };
}
