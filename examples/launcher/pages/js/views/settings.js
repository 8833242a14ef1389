// @ts-check
// Settings: the look, the downloads, where games go and what the launcher
// does on its own; saved by the launcher in the user's config folder.
import { h, replace } from '../dom.js';
import { fromJson, vell } from '../sdk.js';
import { onPrefs, prefs, prefsLoadError } from '../prefs.js';

/** @typedef {import('../types.js').Settings} Settings */
/** @typedef {import('../types.js').Library} Library */

const accents = [['violet', '#7c5cff'], ['teal', '#14b8a6'], ['amber', '#f59e0b'], ['rose', '#f43f5e']];
const languages = [['en-US', 'English'], ['fr-FR', 'Français'], ['de-DE', 'Deutsch'], ['ja-JP', '日本語']];
const limits = [[0, 'No limit'], [50, '50 MB/s'], [200, '200 MB/s'], [800, '800 MB/s']];

/** @type {import('../router.js').View} */
export async function settingsView(root) {
  const library = /** @type {Library} */ (fromJson(await vell().gameModule.data.getGameLibraries({})));
  /** @type {Settings} */
  let draft = structuredClone(prefs());
  const form = h('div', { class: 'card' });
  const draw = () => replace(form, [formOf(draft, library, () => draw())]);
  const status = h('span', { class: 'faint' });
  const save = h('button', { class: 'button primary', text: 'Save changes', attrs: { 'data-test': 'save-settings' }, on: { click: async () => {
    const { autoUpdates, ...settings } = draft;
    save.disabled = true;
    await vell().settingsModule.saveSettings({
      settings,
      autoUpdates: Object.entries(autoUpdates).map(([appCode, autoUpdate]) => ({ appCode, autoUpdate })),
    });
    save.disabled = false;
  } } });
  const loadError = prefsLoadError();
  replace(root, [
    h('div', { class: 'section-title' }, [h('h2', { text: 'Settings', style: 'font-size: 22px' })]),
    loadError && h('div', { class: 'notice', text: `Your saved settings could not be read (${loadError}). The defaults are shown; saving keeps a copy of the old file.` }),
    form,
    h('div', { class: 'row' }, [save, h('button', { class: 'button', text: 'Undo changes', on: { click: () => { draft = structuredClone(prefs()); draw(); } } }), status]),
  ]);
  draw();
  return onPrefs((saved) => {
    draft = structuredClone(saved);
    status.textContent = 'Saved.';
    draw();
  });
}

/**
 * @param {Settings} draft
 * @param {Library} library
 * @param {() => void} redraw
 */
function formOf(draft, library, redraw) {
  /** @param {keyof Settings} key @param {boolean} value */
  const toggle = (key, value) => h('button', { class: `toggle${value ? ' on' : ''}`, attrs: { 'aria-pressed': String(value), 'data-key': key }, on: { click: () => {
    Object.assign(draft, { [key]: !value });
    redraw();
  } } });
  const language = h('select', { on: { change: (event) => { draft.language = /** @type {HTMLSelectElement} */ (event.target).value; } } },
    languages.map(([value, label]) => h('option', { text: label, attrs: { value } })));
  language.value = draft.language;
  const limit = h('select', { on: { change: (event) => { draft.downloadLimitMBps = Number(/** @type {HTMLSelectElement} */ (event.target).value); } } },
    limits.map(([value, label]) => h('option', { text: String(label), attrs: { value: String(value) } })));
  limit.value = String(draft.downloadLimitMBps);
  const folder = h('input', { attrs: { type: 'text', spellcheck: 'false' }, on: { input: (event) => { draft.installDirectory = /** @type {HTMLInputElement} */ (event.target).value; } } });
  folder.value = draft.installDirectory;
  return h('div', { class: 'form' }, [
    h('label', { class: 'name', text: 'Accent colour' }),
    h('div', { class: 'swatches' }, accents.map(([name, colour]) => h('button', {
      class: `swatch${draft.accent === name ? ' on' : ''}`, title: name, style: `background: ${colour}`,
      attrs: { 'data-accent': name }, on: { click: () => { draft.accent = name; redraw(); } },
    }))),
    h('label', { class: 'name', text: 'Language' }), language,
    h('label', { class: 'name', text: 'Download speed limit' }), limit,
    h('label', { class: 'name', text: 'Install games in' }), folder,
    h('label', { class: 'name', text: 'Start with the computer' }), toggle('launchOnStartup', draft.launchOnStartup),
    h('label', { class: 'name', text: 'Close when a game starts' }), toggle('closeAfterGameStart', draft.closeAfterGameStart),
    h('label', { class: 'name', text: 'Show notifications' }), toggle('showToasts', draft.showToasts),
    h('label', { class: 'name', text: 'Update automatically' }),
    h('div', { class: 'features', style: 'margin: 0' }, library.games.map((game) => {
      const on = draft.autoUpdates[game.appCode] ?? false;
      return h('button', { class: `chip${on ? ' on' : ''}`, text: `${on ? '✓ ' : ''}${game.name}`,
        style: on ? 'background: var(--accent-soft); color: var(--text)' : '', on: { click: () => {
          draft.autoUpdates = { ...draft.autoUpdates, [game.appCode]: !on };
          redraw();
        } } });
    })),
  ]);
}
