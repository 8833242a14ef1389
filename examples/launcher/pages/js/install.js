// @ts-check
// The install panel: where the game goes, whether it fits, and the
// agreements to accept before the launcher starts the download.
import { h } from './dom.js';
import { vell } from './sdk.js';

/**
 * Asks the user to confirm installing `appCode`; true when they did and the download started.
 * @param {string} appCode
 * @returns {Promise<boolean>}
 */
export async function askToInstall(appCode) {
  const sdk = vell();
  const [info, policies] = await Promise.all([
    sdk.gameModule.data.getGameInstallerBasicInfo({ appCode }),
    sdk.gameModule.data.getGamePolicies({ appCode }),
  ]);
  return new Promise((resolve) => {
    const boxes = policies.map(() => h('input', { attrs: { type: 'checkbox' } }));
    boxes.forEach((box, index) => { box.checked = policies[index].isChecked; });
    const install = h('button', { class: 'button primary', text: 'Install', attrs: { 'data-test': 'install-confirm' } });
    const refresh = () => { install.disabled = !info.isSpaceEnough || boxes.some((box) => !box.checked); };
    boxes.forEach((box) => box.addEventListener('change', refresh));
    refresh();
    /** @param {boolean} started */
    const finish = (started) => { scrim.remove(); resolve(started); };
    install.addEventListener('click', async () => {
      const answer = await sdk.gameModule.createGameTask({ appCode, action: 'install', isPreDownload: false });
      finish(!answer.strError);
    });
    const scrim = h('div', { class: 'scrim' }, [h('div', { class: 'modal' }, [
      h('h2', { text: `Install ${info.appName}` }),
      h('dl', { class: 'facts' }, [
        h('dt', { text: 'Install to' }), h('dd', { text: info.installPath }),
        h('dt', { text: 'Download' }), h('dd', { text: info.appSize }),
        h('dt', { text: 'Space needed' }), h('dd', { text: info.needSpaceSize }),
        h('dt', { text: 'Space free' }), h('dd', { text: info.remainingSpaceSize, style: info.isSpaceEnough ? '' : 'color: var(--bad)' }),
      ]),
      !info.isSpaceEnough && h('div', { class: 'notice', text: 'There is not enough free space there. Choose another folder in Settings.' }),
      ...policies.map((policy, index) => h('label', { class: 'check' }, [
        boxes[index],
        h('span', {}, ['I accept the ', h('a', { text: policy.title, href: '#', on: { click: (event) => {
          event.preventDefault();
          sdk.uiModule.openWebDialog({ name: 'policy', url: policy.href, width: 560, height: 480 });
        } } })]),
      ])),
      h('div', { class: 'row', style: 'justify-content: flex-end' }, [
        h('button', { class: 'button', text: 'Not now', on: { click: () => finish(false) } }),
        install,
      ]),
    ])]);
    document.body.append(scrim);
  });
}
