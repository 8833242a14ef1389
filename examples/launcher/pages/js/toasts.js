// @ts-check
// Toasts: the launcher's (uiModule.onToast) and the page's own.
import { h } from './dom.js';
import { vell } from './sdk.js';

/** @type {HTMLElement | null} */
let host = null;

/** Shows the launcher's toasts from now on. */
export function initToasts() {
  host = h('div', { class: 'toasts', attrs: { 'aria-live': 'polite' } });
  document.body.append(host);
  vell().uiModule.onToast((toast) => showToast(toast.message, toast.ms));
}

/**
 * @param {string} message
 * @param {number} [ms]
 */
export function showToast(message, ms = 3000) {
  if (!host) return;
  const toast = h('div', { class: 'toast', text: message });
  host.append(toast);
  setTimeout(() => {
    toast.classList.add('leaving');
    setTimeout(() => toast.remove(), 300);
  }, Math.max(1000, ms));
}
