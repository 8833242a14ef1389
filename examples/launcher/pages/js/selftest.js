// @ts-check
// The launcher's self-test (index.html?selftest=1): calls every action these
// pages use, checks each answer and each notification it brings, and tells
// the launcher one check at a time. The launcher runs it with a config folder
// of its own, so nothing of the user's changes.
import { ConfirmAction, Stage, WindowAction } from './codes.js';
import { painted } from './dom.js';
import { viewShown } from './router.js';
import { fromJson, messageOf, onLauncherEvent, tellLauncher, vell } from './sdk.js';

/** @typedef {import('./types.js').GameDownloadStatus} GameDownloadStatus */
/** @typedef {import('./types.js').LoginData} LoginData */
/** @typedef {import('./types.js').Library} Library */
/** @typedef {import('./types.js').Settings} Settings */
/** @typedef {import('./types.js').LauncherEvent} LauncherEvent */

const WAIT_MS = 10000;
let total = 0;

/**
 * @param {unknown} condition
 * @param {string} what
 * @returns {asserts condition}
 */
function expect(condition, what) {
  if (!condition) throw new Error(what);
}

/**
 * Runs one check and reports it.
 * @param {string} name
 * @param {() => Promise<string | void>} body resolves with a detail, throws on failure
 */
async function check(name, body) {
  total += 1;
  try {
    const detail = await body();
    await tellLauncher({ type: 'check', name, ok: true, detail: detail ?? '' });
  } catch (error) {
    await tellLauncher({ type: 'check', name, ok: false, detail: messageOf(error) });
  }
}

/**
 * The first value a subscription delivers that passes `test`.
 * @template T
 * @param {(handler: (value: T) => void) => () => void} subscribe
 * @param {(value: T) => boolean} test
 * @param {string} what
 * @returns {{promise: Promise<T>, values: T[]}}
 */
function waitFor(subscribe, test, what) {
  /** @type {T[]} */
  const values = [];
  const promise = new Promise((resolve, reject) => {
    const timer = setTimeout(() => { stop(); reject(new Error(`no ${what} within ${WAIT_MS} ms`)); }, WAIT_MS);
    const stop = subscribe((value) => {
      values.push(value);
      if (!test(value)) return;
      clearTimeout(timer);
      stop();
      resolve(value);
    });
  });
  return { promise: /** @type {Promise<T>} */ (promise), values };
}

/** @param {(event: LauncherEvent) => boolean} test @param {string} what */
function launcherEvent(test, what) {
  return waitFor(onLauncherEvent, test, what).promise;
}

/** @param {string} appCode @param {(status: GameDownloadStatus) => boolean} test @param {string} what */
function downloadStatus(appCode, test, what) {
  return waitFor(vell().gameModule.onGameDownloadStatusChanged, (status) => status.appCode === appCode && test(status), what);
}

/** @param {(data: LoginData) => boolean} test @param {string} what */
function accountChange(test, what) {
  return waitFor((handler) => vell().accountModule.onAccountChanged((value) => handler(/** @type {LoginData} */ (value))), test, what).promise;
}

/** @param {string} appCode @param {string} action */
async function task(appCode, action) {
  return (await vell().gameModule.createGameTask({ appCode, action, isPreDownload: false })).strError;
}

/** @param {string} name */
function dialogClosed(name) {
  return launcherEvent((event) => event.type === 'webDialogClosed' && event.name === name, `closing of the "${name}" dialog`);
}

async function basics() {
  const sdk = vell();
  await check('pingPong answers', async () => {
    const answer = await sdk.basicModule.pingPong({ text: 'self-test' });
    expect(answer.text === 'pong: self-test', `answered ${JSON.stringify(answer)}`);
  });
  await check('an unserved action is rejected', async () => {
    const code = await sdk.invoke('jssdk::basicModule:noSuchAction', {}).then(() => 'resolved', (error) => error.code);
    expect(code === '#ActionNotFound', `settled with ${code}`);
  });
  await check('a payload of the wrong shape is rejected', async () => {
    const code = await sdk.invoke('jssdk::basicModule:moveWindow', { deltaX: 'far' }).then(() => 'resolved', (error) => error.code);
    expect(code === '#ParseValue2JsonError', `settled with ${code}`);
  });
  await check('report is taken', async () => {
    expect(await sdk.dataAnalysisModule.report({ key: 'self-test', desc: 'report', extJson: '{}' }) === null, 'not answered with null');
  });
  await check('isFirstLaunch tells a first start', async () => {
    const answer = await sdk.basicModule.data.isFirstLaunch({});
    expect(answer.isFirstLaunch === true, `answered ${JSON.stringify(answer)}`);
  });
  await check('the news come as remote configuration', async () => {
    const news = /** @type {import('./types.js').News} */ (fromJson(await sdk.basicModule.data.getRemoteConfigData({})));
    expect(news.news.length >= 3 && news.banner.title, 'no banner or too few news');
    return `${news.news.length} news`;
  });
}

async function windowChecks() {
  const sdk = vell();
  await check('moveWindow moves the window', async () => {
    expect(await sdk.basicModule.moveWindow({ deltaX: 12, deltaY: 8 }) === null, 'not answered with null');
  });
  for (const [action, normal, label] of /** @type {[number, boolean, string][]} */ ([
    [WindowAction.Maximise, false, 'maximise'], [WindowAction.Maximise, true, 'maximise again restores'],
    [WindowAction.Minimise, false, 'minimise'], [WindowAction.Restore, true, 'restore'],
  ])) {
    await check(`browserWindowState: ${label}`, async () => {
      const told = waitFor(sdk.browserModule.onWindowNormalSizeChanged, (value) => value === normal, `normal size ${normal}`).promise;
      await sdk.browserModule.browserWindowState({ windowAction: action });
      await told;
    });
  }
}

async function settings() {
  const sdk = vell();
  await check('settings: read, saved, told to every page, read back', async () => {
    const before = /** @type {Settings} */ (fromJson(await sdk.settingsModule.data.getSettings({})));
    expect(before.accent === 'violet', `accent ${before.accent}`);
    const told = launcherEvent((event) => event.type === 'settingsChanged', 'settingsChanged event');
    const toast = waitFor(sdk.uiModule.onToast, (value) => value.message === 'Settings saved', 'toast').promise;
    await sdk.settingsModule.saveSettings({ settings: { accent: 'teal', downloadLimitMBps: 123 }, autoUpdates: [{ appCode: 'starfall', autoUpdate: true }] });
    const event = await told;
    const saved = /** @type {Settings} */ (event.settings);
    expect(saved.accent === 'teal' && event.error === '', `event ${JSON.stringify(event)}`);
    await toast;
    const after = /** @type {Settings} */ (fromJson(await sdk.settingsModule.data.getSettings({})));
    expect(after.accent === 'teal' && after.autoUpdates.starfall === true, 'not read back');
    expect(after.downloadLimitMBps === 0, 'a limit that is not offered was taken');
    expect(document.documentElement.dataset.accent === 'teal', 'the page did not take the accent');
    await sdk.settingsModule.saveSettings({ settings: { accent: 'violet' }, autoUpdates: [] });
    return 'accent teal, then violet again';
  });
}

async function account() {
  const sdk = vell();
  await check('getLoginUserData: signed in', async () => {
    const data = /** @type {LoginData} */ (fromJson(await sdk.accountModule.data.getLoginUserData({})));
    expect(data.signedIn && data.user?.openId === 'acc-1001' && data.accounts.length === 3, JSON.stringify(data.user));
    return data.user.displayName;
  });
  await check('logout signs out and tells the page', async () => {
    const told = accountChange((data) => !data.signedIn, 'signed-out notice');
    await sdk.accountModule.logout({});
    await told;
  });
  await check('loginSuccess signs in and tells the page', async () => {
    const told = accountChange((data) => data.user?.openId === 'acc-2002', 'signed-in notice');
    await sdk.accountModule.loginSuccess({ account: 'teo.vance', accountOpenId: 'acc-2002', authToken: 't', refreshToken: 'r', loginType: 1, isAuthRemember: true });
    await told;
  });
  await check('selectAccount switches accounts', async () => {
    const told = accountChange((data) => data.user?.openId === 'acc-1001', 'switch notice');
    await sdk.accountModule.selectAccount({ accountOpenId: 'acc-1001', accountHash: 'h', account: 'mira.holt', loginType: 1, isAuthRemember: true });
    await told;
  });
  await check('an unknown account is refused with a toast', async () => {
    const toast = waitFor(sdk.uiModule.onToast, (value) => value.message.startsWith('No account'), 'refusal toast').promise;
    await sdk.accountModule.loginSuccess({ account: 'nobody', accountOpenId: 'acc-0', authToken: 't', refreshToken: 'r', loginType: 1, isAuthRemember: false });
    await toast;
    const data = /** @type {LoginData} */ (fromJson(await sdk.accountModule.data.getLoginUserData({})));
    expect(data.user?.openId === 'acc-1001', 'the account changed');
  });
  await check('a phone number is bound and read back', async () => {
    const told = accountChange((data) => data.user?.phone === '+49 ••• ••• 321', 'phone notice');
    await sdk.accountModule.setAccountAssociateMobilePhone({ accountOpenId: 'acc-1001', hashedMobileNumber: 'abc', maskedMobileNumber: '+49 ••• ••• 321' });
    await told;
    const phone = await sdk.accountModule.getAccountAssociateMobilePhone({ accountOpenId: 'acc-1001' });
    expect(phone.maskedMobileNumber === '+49 ••• ••• 321' && phone.hashedMobileNumber === 'abc', JSON.stringify(phone));
  });
}

async function games() {
  const sdk = vell();
  await check('getGameLibraries lists the catalogue', async () => {
    const library = /** @type {Library} */ (fromJson(await sdk.gameModule.data.getGameLibraries({})));
    expect(library.games.length === 6 && library.games.every((game) => game.name && game.palette.length === 2), 'games missing');
    return library.games.map((game) => game.appCode).join(', ');
  });
  await check('switchGame and getGameInfo', async () => {
    const summary = /** @type {{name: string}} */ (fromJson(await sdk.gameModule.switchGame({ appCode: 'starfall' })));
    const info = /** @type {import('./types.js').GameInfo} */ (fromJson(await sdk.gameModule.data.getGameInfo({ appCode: 'starfall' })));
    expect(summary.name === 'Starfall Odyssey' && info.features.length === 4, 'wrong game');
    const unknown = await sdk.gameModule.data.getGameInfo({ appCode: 'nope' });
    expect(unknown.strError !== '', 'an unknown game was answered');
  });
  await check('ratings, policies and installer figures', async () => {
    const [ratings, policies, installer] = await Promise.all([
      sdk.gameModule.data.getRatingSystemInfo({ appCode: 'starfall' }),
      sdk.gameModule.data.getGamePolicies({ appCode: 'starfall' }),
      sdk.gameModule.data.getGameInstallerBasicInfo({ appCode: 'starfall' }),
    ]);
    expect(ratings[0]?.title === 'PEGI 12' && policies.length === 2, 'ratings or policies');
    expect(installer.appName === 'Starfall Odyssey' && installer.installPath.endsWith('/starfall') && installer.appSize === '41.2 GB', JSON.stringify(installer));
    return `${installer.remainingSpaceSize} free`;
  });
  await check('seasons of the current game', async () => {
    const list = /** @type {import('./types.js').SeasonList} */ (await sdk.gameModule.data.getSeasonList({}));
    expect(list.appCode === 'starfall' && list.seasons.length === 2, JSON.stringify(list));
    const solo = /** @type {import('./types.js').SeasonData} */ (await sdk.gameModule.data.getSeasonData({ seasonId: 7, playType: 0 }));
    const squad = /** @type {import('./types.js').SeasonData} */ (await sdk.gameModule.data.getSeasonData({ seasonId: 7, playType: 1 }));
    expect(solo.rank === 'Diamond II' && squad.rank === 'Platinum I', 'wrong figures');
  });
  await check('library selections are added and removed', async () => {
    expect((await sdk.gameModule.data.getGameSelections({})).join() === 'neoncircuit,pocketgarden', 'sample selections');
    await sdk.gameModule.addGame({ appCode: 'starfall', isSelected: true });
    expect((await sdk.gameModule.data.getGameSelections({})).includes('starfall'), 'not added');
    await sdk.gameModule.addGame({ appCode: 'starfall', isSelected: false });
    expect(!(await sdk.gameModule.data.getGameSelections({})).includes('starfall'), 'not removed');
  });
}

async function servers() {
  const sdk = vell();
  await check('server list, current and recent servers', async () => {
    const list = await sdk.gameModule.data.getGameServerList({ appCode: 'starfall' });
    expect(list.recommendedZoneModels.length === 1 && list.allZoneModels.length === 3, 'zones');
    const current = await sdk.gameModule.data.getGameCurrentSelectedServer({ appCode: 'starfall' });
    expect(current.serverId === 'eu-aurora' && current.zoneName === 'Europe', JSON.stringify(current));
    const recent = await sdk.gameModule.data.getGameRecentServerList({ appCode: 'starfall' });
    expect(recent.serverModels.map((server) => server.id).join() === 'eu-aurora,na-meridian', 'recent');
  });
  await check('saveGameServerSelection is kept and told to the page', async () => {
    const told = waitFor(sdk.gameModule.onGameCurrentSelectedServerChanged, (value) => value.appCode === 'starfall', 'server notice').promise;
    await sdk.gameModule.saveGameServerSelection({ appCode: 'starfall', serverId: 'na-meridian' });
    await told;
    const current = await sdk.gameModule.data.getGameCurrentSelectedServer({ appCode: 'starfall' });
    const recent = await sdk.gameModule.data.getGameRecentServerList({ appCode: 'starfall' });
    expect(current.serverId === 'na-meridian' && recent.serverModels[0]?.id === 'na-meridian', 'not kept');
  });
  await check('the server dialog picks a server in a second browser', async () => {
    const told = waitFor(sdk.gameModule.onGameCurrentSelectedServerChanged, (value) => value.appCode === 'tidebreakers', 'server notice').promise;
    const closed = dialogClosed('servers');
    await sdk.uiModule.openGameServerDialog({ appCode: 'tidebreakers' });
    await told;
    await closed;
    const current = await sdk.gameModule.data.getGameCurrentSelectedServer({ appCode: 'tidebreakers' });
    expect(current.serverId === 'atl-azores', `chose ${current.serverId}`);
  });
}

async function downloads() {
  const sdk = vell();
  await check('a download reports its progress several times a second', async () => {
    /** @type {number[]} */
    const progress = [];
    const stop = sdk.gameModule.onGameDownloadStatusChanged((status) => {
      if (status.appCode === 'frostline' && status.uiStage === Stage.Downloading) progress.push(status.progress);
    });
    const started = performance.now();
    try {
      const fourth = downloadStatus('frostline', () => progress.length >= 4, 'four progress notices').promise;
      expect(await task('frostline', 'install') === '', 'install refused');
      await fourth;
    } finally {
      stop();
    }
    const elapsed = performance.now() - started;
    expect(progress.every((value, index) => index === 0 || value >= progress[index - 1]) && progress[3] > 0, `progress ${progress}`);
    expect(elapsed < 2000, `four notices took ${Math.round(elapsed)} ms`);
    return `${progress.slice(0, 4).join(' → ')} % in ${Math.round(elapsed)} ms`;
  });
  await check('pause, resume and cancel', async () => {
    const paused = downloadStatus('frostline', (status) => status.uiStage === Stage.Paused, 'paused').promise;
    expect(await task('frostline', 'pause') === '', 'pause refused');
    await paused;
    expect((await sdk.gameModule.data.getGameDownloadStatus({ appCode: 'frostline' })).uiStage === Stage.Paused, 'not paused');
    expect(await task('frostline', 'pause') !== '', 'paused twice');
    const resumed = downloadStatus('frostline', (status) => status.uiStage === Stage.Downloading, 'resumed').promise;
    expect(await task('frostline', 'resume') === '', 'resume refused');
    await resumed;
    const cancelled = downloadStatus('frostline', (status) => status.uiStage === Stage.NotInstalled, 'cancelled').promise;
    expect(await task('frostline', 'cancel') === '', 'cancel refused');
    await cancelled;
  });
  await check('uninstall, install to the end, and launch', async () => {
    const gone = downloadStatus('pocketgarden', (status) => status.uiStage === Stage.NotInstalled, 'uninstalled').promise;
    expect(await task('pocketgarden', 'uninstall') === '', 'uninstall refused');
    await gone;
    expect(await task('pocketgarden', 'launch') !== '', 'launched while not installed');
    const steps = downloadStatus('pocketgarden', (status) => status.uiStage === Stage.Ready, 'ready');
    const toast = waitFor(sdk.uiModule.onToast, (value) => value.message === 'Pocket Garden is ready to play', 'ready toast').promise;
    expect(await task('pocketgarden', 'install') === '', 'install refused');
    const ready = await steps.promise;
    await toast;
    const stages = [...new Set(steps.values.filter((status) => status.appCode === 'pocketgarden').map((status) => status.uiStage))];
    expect(stages.join() === [Stage.Downloading, Stage.Installing, Stage.Ready].join(), `stages ${stages}`);
    expect(ready.currentVersion === '1.1.0' && ready.progress === 100, JSON.stringify(ready));
    const launched = waitFor(sdk.uiModule.onToast, (value) => value.message.startsWith('Pocket Garden would start'), 'launch toast').promise;
    expect(await task('pocketgarden', 'launch') === '', 'launch refused');
    await launched;
  });
  await check('an update brings the latest version', async () => {
    const ready = downloadStatus('neoncircuit', (status) => status.uiStage === Stage.Ready, 'updated').promise;
    expect(await task('neoncircuit', 'update') === '', 'update refused');
    expect((await ready).currentVersion === '1.9.0', 'wrong version');
  });
  await check('an unknown task is refused', async () => {
    expect(await task('starfall', 'dance') !== '', 'accepted');
  });
}

async function dialogs() {
  const sdk = vell();
  await check('a confirmation dialog answers with the button and the box', async () => {
    const closed = dialogClosed('confirm');
    const answer = await sdk.uiModule.openConfirmDialog({
      title: 'Self-test', content: 'The self-test presses the right button.', leftButtonText: 'No', rightButtonText: 'Yes',
      checkboxText: 'Remember', checkedText: '', withCloseButton: true, buttonType: 0, name: 'self-test',
    });
    await closed;
    expect(answer.strError === '' && answer.result.action === ConfirmAction.Right && answer.result.isCheckBoxChecked, JSON.stringify(answer));
  });
  await check('a web dialog resizes, toasts and closes itself', async () => {
    const toast = waitFor(sdk.uiModule.onToast, (value) => value.message === 'Hello from the notes dialog', 'dialog toast').promise;
    const closed = dialogClosed('notes');
    await sdk.uiModule.openWebDialog({ name: 'notes', url: 'https://launcher.test/dialog.html?doc=notes&name=notes&selftest=1', width: 520, height: 420 });
    await toast;
    await closed;
  });
  await check('a dialog outside the launcher\'s pages is not opened', async () => {
    await sdk.uiModule.openWebDialog({ name: 'elsewhere', url: 'https://example.invalid/', width: 400, height: 300 });
    expect(await sdk.uiModule.closeWebDialog({ type: 'CloseDialog', payload: null }) === null, 'closeWebDialog');
  });
}

const SWITCH_ROUNDS = 5;

/**
 * Clicks `selector`'s element as a person would and times the switch it
 * starts: from the click to the new view drawn and painted.
 * @param {string} selector
 * @returns {Promise<number>} milliseconds
 */
async function timedSwitch(selector) {
  const target = document.querySelector(selector);
  expect(target instanceof HTMLElement, `nothing to click for ${selector}`);
  const changed = new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`${selector} did not change the view within ${WAIT_MS} ms`)), WAIT_MS);
    window.addEventListener('hashchange', () => { clearTimeout(timer); resolve(undefined); }, { once: true });
  });
  const start = performance.now();
  target.click();
  await changed;
  await viewShown();
  await painted();
  return performance.now() - start;
}

/** The main page's views, switched as a person does: library, a game, settings, library. */
async function views() {
  await check('the views switch as a person clicks: library, a game, settings, library', async () => {
    if (location.hash !== '' && location.hash !== '#/') {
      await timedSwitch('.nav a[data-view=""]');
    }
    /** @type {number[]} */
    const times = [];
    for (let round = 0; round < SWITCH_ROUNDS; ++round) {
      times.push(await timedSwitch('a.game-card'));
      expect(location.hash.startsWith('#/game/'), `a game card led to ${location.hash}`);
      times.push(await timedSwitch('.nav a[data-view="settings"]'));
      times.push(await timedSwitch('.nav a[data-view=""]'));
    }
    const sorted = [...times].sort((a, b) => a - b);
    const median = sorted[Math.floor(sorted.length / 2)];
    return `median ${median.toFixed(1)} ms over ${times.length} switches, click to the new view painted`;
  });
}

/** Runs every check and tells the launcher how many there were. */
export async function runSelfTest() {
  for (const part of [basics, windowChecks, settings, account, games, servers, downloads, dialogs, views]) await part();
  await tellLauncher({ type: 'selfTestDone', total });
}
