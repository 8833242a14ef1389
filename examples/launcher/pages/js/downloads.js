// @ts-check
// Every game's download status as the launcher last told it, for the views.
import { vell } from './sdk.js';

/** @typedef {import('./types.js').GameDownloadStatus} GameDownloadStatus */

/** @type {Map<string, GameDownloadStatus>} */
const statuses = new Map();
/** @type {Set<(status: GameDownloadStatus) => void>} */
const listeners = new Set();

/** Follows the launcher's notifications from now on. */
export function initDownloads() {
  vell().gameModule.onGameDownloadStatusChanged((status) => {
    statuses.set(status.appCode, status);
    for (const listener of [...listeners]) listener(status);
  });
}

/**
 * The game's status, asked of the launcher.
 * @param {string} appCode
 * @returns {Promise<GameDownloadStatus>}
 */
export async function fetchStatus(appCode) {
  const status = await vell().gameModule.data.getGameDownloadStatus({ appCode });
  statuses.set(appCode, status);
  return status;
}

/** @param {string} appCode */
export function knownStatus(appCode) {
  return statuses.get(appCode);
}

/** Every status known that is on its way. */
export function activeStatuses() {
  return [...statuses.values()].filter((status) => status.uiStage >= 1 && status.uiStage <= 3);
}

/**
 * Calls `listener` with each status change until the returned function is called.
 * @param {(status: GameDownloadStatus) => void} listener
 */
export function onStatus(listener) {
  listeners.add(listener);
  return () => { listeners.delete(listener); };
}
