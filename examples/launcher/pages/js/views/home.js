// @ts-check
// Home: the featured game, the game library with each game's state, the
// running downloads and the news.
import { Stage } from '../codes.js';
import { h, replace } from '../dom.js';
import { activeStatuses, fetchStatus, onStatus } from '../downloads.js';
import { bytes, cover, date } from '../format.js';
import { fromJson, vell } from '../sdk.js';

/** @typedef {import('../types.js').GameSummary} GameSummary */
/** @typedef {import('../types.js').Library} Library */
/** @typedef {import('../types.js').News} News */
/** @typedef {import('../types.js').GameDownloadStatus} GameDownloadStatus */

/** @type {import('../router.js').View} */
export async function homeView(root) {
  const sdk = vell();
  const [library, news, firstLaunch] = await Promise.all([
    sdk.gameModule.data.getGameLibraries({}).then((answer) => /** @type {Library} */ (fromJson(answer))),
    sdk.basicModule.data.getRemoteConfigData({}).then((answer) => /** @type {News} */ (fromJson(answer))),
    sdk.basicModule.data.isFirstLaunch({}),
  ]);
  const statuses = await Promise.all(library.games.map((game) => fetchStatus(game.appCode)));
  const cards = new Map(library.games.map((game, index) => [game.appCode, gameCard(game, statuses[index], library.selections)]));
  const downloads = h('div', { class: 'downloads-mini' });
  const featured = library.games.find((game) => game.appCode === news.banner.appCode) ?? library.games[0];
  replace(root, [
    firstLaunch.isFirstLaunch && welcome(),
    featured && hero(featured, news),
    h('div', { class: 'columns' }, [
      h('section', {}, [
        h('div', { class: 'section-title' }, [h('h2', { text: 'Library' }), h('span', { text: `${library.games.length} games` })]),
        h('div', { class: 'grid' }, [...cards.values()].map((card) => card.element)),
      ]),
      h('aside', { class: 'news' }, [
        h('div', { class: 'section-title' }, [h('h2', { text: 'Downloads' })]),
        downloads,
        h('div', { class: 'section-title' }, [h('h2', { text: 'News' })]),
        ...news.news.map(newsItem),
      ]),
    ]),
  ]);
  const names = new Map(library.games.map((game) => [game.appCode, game.name]));
  const drawDownloads = () => replace(downloads, downloadRows(names));
  drawDownloads();
  return onStatus((status) => {
    cards.get(status.appCode)?.update(status);
    drawDownloads();
  });
}

function welcome() {
  return h('div', { class: 'welcome' }, [
    h('span', { class: 'brand-mark', text: '✦' }),
    h('div', {}, [
      h('b', { text: 'Welcome to the Vell demo launcher' }),
      h('div', { class: 'muted', text: 'Everything here is a web page served from a password-protected archive and answered by the launcher.' }),
    ]),
  ]);
}

/**
 * @param {GameSummary} game
 * @param {News} news
 */
function hero(game, news) {
  return h('a', { class: 'hero', style: cover(game.palette), href: `#/game/${game.appCode}`, attrs: { 'data-test': 'hero' } }, [
    h('span', { class: 'glyph', text: game.glyph }),
    h('span', { class: 'eyebrow', text: news.banner.eyebrow }),
    h('h1', { text: news.banner.title }),
    h('p', { text: news.banner.text }),
    h('div', { class: 'row' }, [h('span', { class: 'button primary', text: `Open ${game.name}` })]),
  ]);
}

/**
 * A card that keeps its badge and progress bar up to date.
 * @param {GameSummary} game
 * @param {GameDownloadStatus} status
 * @param {string[]} selections
 */
function gameCard(game, status, selections) {
  const badge = h('span', { class: 'badge' });
  const bar = h('div');
  const progress = h('div', { class: 'progress' }, [bar]);
  const line = h('span', { class: 'faint' });
  const element = h('a', { class: 'game-card', href: `#/game/${game.appCode}`, attrs: { 'data-app': game.appCode } }, [
    h('div', { class: 'cover', style: cover(game.palette) }, [badge, game.glyph]),
    h('div', { class: 'body' }, [
      h('h3', { text: game.name }),
      h('span', { class: 'muted', text: `${game.genre} · ${game.developer}` }),
      line,
      progress,
    ]),
  ]);
  /** @param {GameDownloadStatus} next */
  const update = (next) => {
    const [label, kind] = badgeOf(next.uiStage, selections.includes(game.appCode));
    badge.textContent = label;
    badge.className = `badge ${kind}`;
    const moving = next.uiStage >= Stage.Downloading && next.uiStage <= Stage.Installing;
    progress.hidden = !moving;
    bar.style.width = `${next.progress}%`;
    line.textContent = moving ? `${next.msg}${next.speed ? ` · ${next.speed}` : ''}` : `${bytes(game.sizeBytes)} · v${game.version}`;
  };
  update(status);
  return { element, update };
}

/**
 * @param {number} stage
 * @param {boolean} mine
 * @returns {[string, string]}
 */
function badgeOf(stage, mine) {
  switch (stage) {
    case Stage.Ready: return ['Ready to play', 'ready'];
    case Stage.UpdateAvailable: return ['Update available', 'update'];
    case Stage.Downloading: return ['Downloading', 'busy'];
    case Stage.Paused: return ['Paused', 'busy'];
    case Stage.Installing: return ['Installing', 'busy'];
    default: return mine ? ['In your library', 'mine'] : ['Not installed', ''];
  }
}

/** @param {Map<string, string>} names */
function downloadRows(names) {
  const active = activeStatuses();
  if (active.length === 0) return [h('div', { class: 'news-item faint', text: 'Nothing downloading. Pick a game to install it.' })];
  return active.map((status) => h('a', { class: 'news-item', href: `#/game/${status.appCode}`, style: 'text-decoration: none; color: inherit' }, [
    h('div', { class: 'row', style: 'justify-content: space-between' }, [
      h('b', { text: names.get(status.appCode) ?? status.appCode }),
      h('span', { class: 'faint', text: `${Math.floor(status.progress)}%` }),
    ]),
    h('div', { class: 'progress', style: 'margin: 8px 0 6px' }, [h('div', { style: `width: ${status.progress}%` })]),
    h('span', { class: 'faint', text: [status.msg, status.speed, status.time].filter(Boolean).join(' · ') }),
  ]));
}

/** @param {import('../types.js').NewsItem} item */
function newsItem(item) {
  return h('article', { class: 'news-item' }, [
    h('span', { class: 'faint', text: date(item.date) }),
    h('h3', { text: item.title }),
    h('p', { text: item.text }),
  ]);
}
