// @ts-check
// The views of the main page, by the address's hash: #/, #/game/<appCode>,
// #/settings and #/account.
import { h, replace } from './dom.js';
import { messageOf, vell } from './sdk.js';

/**
 * A view draws itself into `root` and returns what to undo when it is left.
 * @typedef {(root: HTMLElement, parameter: string) => Promise<() => void>} View
 */

/** @type {Record<string, View>} */
const views = {};
/** @type {() => void} */
let leave = () => {};
/** @type {Promise<void>} */
let shown = Promise.resolve();

/**
 * @param {string} name the first part of the hash path ('' for home)
 * @param {View} view
 */
export function addView(name, view) {
  views[name] = view;
}

/**
 * Shows the view of the current hash now and on every change.
 * @param {HTMLElement} root
 * @returns {Promise<void>} once the first view has drawn itself
 */
export function startRouter(root) {
  window.addEventListener('hashchange', () => { shown = show(root); });
  shown = show(root);
  return shown;
}

/** Resolves once the view being shown has drawn itself. */
export function viewShown() {
  return shown;
}

/** @param {HTMLElement} root */
async function show(root) {
  const [name = '', parameter = ''] = location.hash.replace(/^#\/?/, '').split('/');
  leave();
  leave = () => {};
  markNavigation(name);
  const view = views[name] ?? views[''];
  const container = h('div', { class: 'view' });
  replace(root, [container]);
  root.scrollTop = 0;
  vell().dataAnalysisModule.report({ key: 'view', desc: name || 'home', extJson: JSON.stringify({ parameter }) });
  try {
    leave = await view(container, decodeURIComponent(parameter));
  } catch (error) {
    replace(container, [h('div', { class: 'error-state' }, [
      h('h2', { text: 'This view could not be shown' }),
      h('p', { class: 'muted', text: messageOf(error) }),
    ])]);
  }
}

/** @param {string} name */
function markNavigation(name) {
  for (const link of document.querySelectorAll('.nav a')) {
    link.classList.toggle('active', link.getAttribute('data-view') === (name === 'game' ? '' : name));
  }
}
