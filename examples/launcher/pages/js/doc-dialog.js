// @ts-check
// The document dialog (dialog.html?doc=notes|licence|privacy&name=…): patch
// notes and agreements, with a button that makes the dialog larger.
import { closeDialog, initDialogFrame, query, selfTest } from './dialog-frame.js';
import { byId, h, painted, replace } from './dom.js';
import { vell } from './sdk.js';

/** @type {Record<string, {title: string, paragraphs: string[]}>} */
const documents = {
  notes: {
    title: 'What\'s new in the launcher',
    paragraphs: [
      'Downloads now show their speed and the time left, and you can pause and resume them at any moment.',
      'Pick the server you play on from any game page; the launcher remembers the last five you used.',
      'Your settings and library are kept in your config folder and saved safely: a half-written file never replaces a good one.',
    ],
  },
  licence: {
    title: 'Licence agreement',
    paragraphs: [
      'This sample agreement stands in for a game\'s end user licence. The game is licensed, not sold, for your personal use.',
      'You may install it on the computers you use, keep your saved games and share your screenshots.',
      'Do not cheat, sell accounts or take the game apart. The studio may end the licence if you do.',
    ],
  },
  privacy: {
    title: 'Privacy notice',
    paragraphs: [
      'The launcher keeps your settings and your library on this computer.',
      'Reports sent by the pages stay in the launcher\'s log: this demo sends nothing anywhere.',
    ],
  },
};

async function main() {
  initDialogFrame();
  const name = query.get('name') ?? 'policy';
  const doc = documents[query.get('doc') ?? ''] ?? documents.notes;
  byId('title').textContent = doc.title;
  replace(byId('content'), [h('article', { class: 'doc' }, [h('h2', { text: doc.title }), ...doc.paragraphs.map((text) => h('p', { text }))])]);
  const larger = byId('larger');
  larger.addEventListener('click', () => {
    vell().uiModule.updateWebDialog({ name, url: '', width: 760, height: 600 });
    larger.hidden = true;
  });
  byId('done').addEventListener('click', () => { closeDialog(); });
  if (!selfTest) return;
  await painted();
  await vell().uiModule.updateWebDialog({ name, url: '', width: 640, height: 480 });
  await vell().uiModule.toast({ message: 'Hello from the notes dialog', ms: 1500, position: 0 });
  await closeDialog();
}

main();
