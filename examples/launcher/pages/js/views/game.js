// @ts-check
// A game: its state and the one action that fits it, what it is, where you
// play it (servers), how your seasons went, and its ratings.
import { askToInstall } from '../install.js';
import { confirmWithUser } from '../ask.js';
import { PlayType, ServerStateName, Stage } from '../codes.js';
import { h, replace } from '../dom.js';
import { fetchStatus, onStatus } from '../downloads.js';
import { bytes, cover, date } from '../format.js';
import { fromJson, messageOf, vell } from '../sdk.js';
import { showToast } from '../toasts.js';

/** @typedef {import('../types.js').GameInfo} GameInfo */
/** @typedef {import('../types.js').GameDownloadStatus} GameDownloadStatus */
/** @typedef {import('../types.js').SeasonList} SeasonList */
/** @typedef {import('../types.js').SeasonData} SeasonData */

/** @type {import('../router.js').View} */
export async function gameView(root, appCode) {
  const sdk = vell();
  fromJson(await sdk.gameModule.switchGame({ appCode }));
  const [info, ratings, status, selections] = await Promise.all([
    sdk.gameModule.data.getGameInfo({ appCode }).then((answer) => /** @type {GameInfo} */ (fromJson(answer))),
    sdk.gameModule.data.getRatingSystemInfo({ appCode }),
    fetchStatus(appCode),
    sdk.gameModule.data.getGameSelections({}),
  ]);
  const actions = actionBar(info, status, selections.includes(appCode));
  const servers = h('div', { class: 'card' });
  const seasons = h('div', { class: 'card' });
  replace(root, [
    h('a', { class: 'back', href: '#/', text: '← Library' }),
    h('header', { class: 'game-header', style: cover(info.palette) }, [
      h('span', { class: 'glyph', text: info.glyph }),
      h('span', { class: 'eyebrow', text: info.genre }),
      h('h1', { text: info.name }),
      h('p', { class: 'muted', text: `${info.developer} · released ${date(info.released)} · ${bytes(info.sizeBytes)}` }),
    ]),
    actions.element,
    h('div', { class: 'game-grid' }, [
      h('div', { style: 'display: flex; flex-direction: column; gap: 18px' }, [
        h('section', { class: 'card' }, [
          h('h2', { text: 'About', style: 'font-size: 16px; margin-bottom: 8px' }),
          h('p', { class: 'muted', text: info.description, style: 'line-height: 1.6' }),
          h('div', { class: 'features' }, info.features.map((feature) => h('span', { class: 'chip', text: feature }))),
        ]),
        info.hasSeasons && seasons,
      ]),
      h('div', { style: 'display: flex; flex-direction: column; gap: 18px' }, [
        info.hasServers && servers,
        h('section', { class: 'card' }, [
          h('h2', { text: 'Age ratings', style: 'font-size: 16px; margin-bottom: 10px' }),
          h('div', { class: 'ratings' }, ratings.map((rating) => h('div', { class: 'rating' }, [
            h('b', { text: rating.title }), h('span', { class: 'faint', text: rating.content }),
          ]))),
        ]),
      ]),
    ]),
  ]);
  const undo = [onStatus((next) => { if (next.appCode === appCode) actions.update(next); })];
  if (info.hasServers) {
    await drawServers(servers, appCode);
    undo.push(sdk.gameModule.onGameCurrentSelectedServerChanged((changed) => {
      if (changed.appCode === appCode) drawServers(servers, appCode);
    }));
  }
  if (info.hasSeasons) await drawSeasons(seasons);
  return () => undo.forEach((stop) => stop());
}

/**
 * The game's main action, its progress, and the lesser actions.
 * @param {GameInfo} info
 * @param {GameDownloadStatus} first
 * @param {boolean} inLibrary
 */
function actionBar(info, first, inLibrary) {
  const sdk = vell();
  const appCode = info.appCode;
  const main = h('button', { class: 'button primary big', attrs: { 'data-test': 'main-action' } });
  const bar = h('div');
  const progress = h('div', { class: 'progress' }, [bar]);
  const left = h('span');
  const right = h('span');
  const extra = h('div', { class: 'row' });
  let mine = inLibrary;
  /** @type {GameDownloadStatus} */
  let status = first;
  /** @param {string} action */
  const task = async (action) => {
    const answer = await sdk.gameModule.createGameTask({ appCode, action, isPreDownload: false });
    if (answer.strError) showToast(`${info.name}: ${answer.strError}`);
  };
  const libraryButton = () => h('button', { class: 'button', text: mine ? '✓ In your library' : '+ Add to library', on: { click: async () => {
    mine = !mine;
    await sdk.gameModule.addGame({ appCode, isSelected: mine });
    update(status);
  } } });
  main.addEventListener('click', async () => {
    try {
      if (status.uiStage === Stage.NotInstalled) return void await askToInstall(appCode);
      /** @type {Record<number, string>} */
      const byStage = { [Stage.Downloading]: 'pause', [Stage.Paused]: 'resume', [Stage.Ready]: 'launch', [Stage.UpdateAvailable]: 'update' };
      if (byStage[status.uiStage]) await task(byStage[status.uiStage]);
    } catch (error) {
      showToast(messageOf(error));
    }
  });
  /** @param {string} action @param {string} question */
  const careful = (action, question) => async () => {
    const yes = await confirmWithUser({ title: `${info.name}`, content: question, yes: 'Yes', no: 'No', name: action });
    if (yes) await task(action);
  };
  /** @param {GameDownloadStatus} next */
  const update = (next) => {
    status = next;
    const stage = next.uiStage;
    /** @type {Record<number, string>} */
    const labels = { [Stage.NotInstalled]: 'Install', [Stage.Downloading]: 'Pause', [Stage.Paused]: 'Resume',
      [Stage.Installing]: 'Installing…', [Stage.Ready]: 'Play', [Stage.UpdateAvailable]: 'Update' };
    main.textContent = labels[stage] ?? 'Install';
    main.disabled = stage === Stage.Installing;
    const moving = stage >= Stage.Downloading && stage <= Stage.Installing;
    progress.style.visibility = moving ? 'visible' : 'hidden';
    bar.style.width = `${next.progress}%`;
    left.textContent = next.msg + (next.currentVersion ? ` · installed ${next.currentVersion}` : '');
    right.textContent = [next.speed, next.time].filter(Boolean).join(' · ');
    replace(extra, [
      libraryButton(),
      info.hasServers && h('button', { class: 'button', text: 'Choose server', on: { click: () => sdk.uiModule.openGameServerDialog({ appCode }) } }),
      (stage === Stage.Downloading || stage === Stage.Paused) && h('button', { class: 'button danger', text: 'Cancel', on: { click: careful('cancel', 'Cancel this download? What was downloaded is thrown away.') } }),
      (stage === Stage.Ready || stage === Stage.UpdateAvailable) && h('button', { class: 'button danger', text: 'Uninstall', on: { click: careful('uninstall', `Uninstall ${info.name}? Your saved games stay in the cloud.`) } }),
    ]);
  };
  update(first);
  const element = h('section', { class: 'card action-bar' }, [
    main,
    h('div', { class: 'status' }, [h('div', { class: 'line' }, [left, right]), progress]),
    extra,
  ]);
  return { element, update };
}

/**
 * @param {HTMLElement} card
 * @param {string} appCode
 */
async function drawServers(card, appCode) {
  const sdk = vell();
  const [current, recent] = await Promise.all([
    sdk.gameModule.data.getGameCurrentSelectedServer({ appCode }),
    sdk.gameModule.data.getGameRecentServerList({ appCode }),
  ]);
  replace(card, [
    h('div', { class: 'section-title' }, [
      h('h2', { text: 'Server', style: 'font-size: 16px' }),
      h('a', { href: '#', text: 'Change', on: { click: (event) => { event.preventDefault(); sdk.uiModule.openGameServerDialog({ appCode }); } } }),
    ]),
    current.state === 'selected'
      ? h('div', { class: 'server', attrs: { 'data-test': 'current-server' } }, [
        h('span', { class: 'dot state-1' }), h('b', { text: current.serverName, style: 'flex: 1' }), h('span', { class: 'faint', text: current.zoneName }),
      ])
      : h('div', { class: 'muted', text: 'No server chosen yet.' }),
    recent.serverModels.length > 0 && h('div', { class: 'faint', text: 'Played lately', style: 'margin: 12px 0 6px' }),
    ...recent.serverModels.map((server) => h('div', { class: 'server', style: 'margin-bottom: 6px' }, [
      h('span', { class: `dot state-${server.state}` }), h('span', { text: server.name, style: 'flex: 1' }),
      h('span', { class: 'faint', text: ServerStateName[server.state] ?? '' }),
    ])),
  ]);
}

/** @param {HTMLElement} card */
async function drawSeasons(card) {
  const sdk = vell();
  const list = /** @type {SeasonList} */ (await sdk.gameModule.data.getSeasonList({}));
  if (list.seasons.length === 0) return;
  const select = h('select', {}, list.seasons.map((season) => h('option', { text: season.name, attrs: { value: String(season.id) } })));
  select.style.minWidth = '0';
  const kinds = h('div', { class: 'segmented' });
  const figures = h('div');
  /** @type {number} */
  let playType = PlayType.Solo;
  const draw = async () => {
    const data = /** @type {SeasonData} */ (await sdk.gameModule.data.getSeasonData({ seasonId: Number(select.value), playType }));
    replace(kinds, [['Solo', PlayType.Solo], ['Squad', PlayType.Squad]].map(([label, type]) =>
      h('button', { class: type === playType ? 'on' : '', text: String(label), on: { click: () => { playType = Number(type); draw(); } } })));
    const season = list.seasons.find((entry) => entry.id === data.seasonId);
    replace(figures, data.error ? [h('p', { class: 'muted', text: `No figures: ${data.error}.`, style: 'margin-top: 12px' })] : [
      h('div', { class: 'faint', text: season ? `${date(season.start)} – ${date(season.end)}` : '', style: 'margin-top: 10px' }),
      h('div', { class: 'stats', attrs: { 'data-test': 'season-stats' } }, [
        stat('Rank', data.rank ?? ''), stat('Matches', String(data.matches ?? 0)),
        stat('Win rate', `${Math.round((100 * (data.wins ?? 0)) / Math.max(1, data.matches ?? 0))}%`), stat('Hours', String(data.hours ?? 0)),
      ]),
    ]);
  };
  select.addEventListener('change', draw);
  replace(card, [
    h('div', { class: 'section-title' }, [h('h2', { text: 'Your seasons', style: 'font-size: 16px' }), kinds]),
    select,
    figures,
  ]);
  await draw();
}

/**
 * @param {string} label
 * @param {string} value
 */
function stat(label, value) {
  return h('div', { class: 'stat' }, [h('span', { class: 'faint', text: label }), h('b', { text: value })]);
}
