// @ts-check
// The main page: the frame, the views, and the launcher's notifications.
import { byId, h, painted, replace } from './dom.js';
import { initDownloads } from './downloads.js';
import { initPrefs } from './prefs.js';
import { addView, startRouter } from './router.js';
import { insideLauncher, messageOf, tellLauncher } from './sdk.js';
import { initSession, onSession, session } from './session.js';
import { makeDraggable, wireWindowButtons } from './titlebar.js';
import { initToasts } from './toasts.js';
import { accountView, avatar } from './views/account.js';
import { gameView } from './views/game.js';
import { homeView } from './views/home.js';
import { settingsView } from './views/settings.js';

async function boot() {
  const bar = byId('titlebar');
  makeDraggable(bar);
  wireWindowButtons(bar);
  initToasts();
  initDownloads();
  await Promise.all([initPrefs(), initSession()]);
  drawAccountChip();
  onSession(drawAccountChip);
  addView('', homeView);
  addView('game', gameView);
  addView('settings', settingsView);
  addView('account', accountView);
  await startRouter(byId('content'));
}

function drawAccountChip() {
  const { user } = session();
  replace(byId('account-chip'), user
    ? [avatar(user), h('span', { text: user.displayName })]
    : [h('span', { text: 'Sign in' })]);
}

/** @param {unknown} error */
function showBroken(error) {
  replace(byId('content'), [h('div', { class: 'error-state' }, [
    h('h2', { text: 'The launcher could not start this page' }),
    h('p', { class: 'muted', text: messageOf(error) }),
  ])]);
}

async function main() {
  if (!insideLauncher) {
    showBroken(new Error('Open this page in the Vell demo launcher: outside it there is no window.vell.'));
    return;
  }
  try {
    await boot();
  } catch (error) {
    showBroken(error);
  }
  await painted();
  await tellLauncher({ type: 'settled', page: 'home' });
  if (!new URLSearchParams(location.search).has('selftest')) return;
  const { runSelfTest } = await import('./selftest.js');
  await runSelfTest();
}

main();
