// @ts-check
// The server dialog (servers.html?appCode=…): every zone's servers with
// their state; picking one saves it and closes the dialog.
import { closeDialog, initDialogFrame, query, selfTest } from './dialog-frame.js';
import { ServerStateName } from './codes.js';
import { byId, h, painted, replace } from './dom.js';
import { fromJson, vell } from './sdk.js';

/** @typedef {import('./types.js').Zone} Zone */

async function main() {
  initDialogFrame();
  const sdk = vell();
  const appCode = query.get('appCode') ?? '';
  const [info, list, current] = await Promise.all([
    sdk.gameModule.data.getGameInfo({ appCode }).then((answer) => /** @type {{name: string}} */ (fromJson(answer))),
    sdk.gameModule.data.getGameServerList({ appCode }),
    sdk.gameModule.data.getGameCurrentSelectedServer({ appCode }),
  ]);
  byId('title').textContent = `Choose a server · ${info.name}`;
  const recommended = new Set(list.recommendedZoneModels.map((zone) => zone.id));
  /** @param {string} serverId */
  const choose = async (serverId) => {
    await sdk.gameModule.saveGameServerSelection({ appCode, serverId });
    await closeDialog();
  };
  /** @param {Zone} zone */
  const zoneSection = (zone) => h('section', { class: 'zone' }, [
    h('h3', { text: `${zone.name}${recommended.has(zone.id) ? ' · recommended' : ''}` }),
    ...zone.serverModels.map((server) => h('button', {
      class: `server server-pick${server.id === current.serverId ? ' chosen' : ''}`,
      attrs: { 'data-server': server.id },
      on: { click: () => { choose(server.id); } },
    }, [
      h('span', { class: `dot state-${server.state}` }),
      h('span', { class: 'name', text: server.name }),
      h('span', { class: 'faint', text: ServerStateName[server.state] ?? '' }),
    ])),
  ]);
  replace(byId('content'), list.allZoneModels.map(zoneSection));
  byId('done').addEventListener('click', () => { closeDialog(); });
  if (!selfTest) return;
  await painted();
  const first = document.querySelector('[data-server]');
  if (first instanceof HTMLButtonElement) first.click();
}

main();
