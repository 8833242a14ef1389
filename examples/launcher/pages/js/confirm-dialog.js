// @ts-check
// The confirmation dialog (confirm.html?data=<JSON>): the question a page
// asked through openConfirmDialog; the button pressed goes back to that page.
import { initDialogFrame, selfTest, query } from './dialog-frame.js';
import { ConfirmAction } from './codes.js';
import { byId, h, painted, replace } from './dom.js';
import { vell } from './sdk.js';

/**
 * @typedef {{title: string, content: string, leftButtonText: string, rightButtonText: string,
 *   checkboxText: string, withCloseButton: boolean}} Question
 */

async function main() {
  initDialogFrame();
  const question = /** @type {Question} */ (JSON.parse(query.get('data') ?? '{}'));
  const box = h('input', { attrs: { type: 'checkbox', id: 'remember' } });
  /** @param {number} action */
  const answer = (action) => vell().uiModule.closeConfirmDialog({ isCheckBoxChecked: box.checked, action });
  byId('title').textContent = question.title;
  byId('close').hidden = !question.withCloseButton;
  byId('close').addEventListener('click', () => { answer(ConfirmAction.Closed); });
  const right = h('button', { class: 'button primary', text: question.rightButtonText, on: { click: () => { answer(ConfirmAction.Right); } } });
  replace(byId('content'), [
    h('p', { text: question.content, style: 'line-height: 1.6; margin-bottom: 14px' }),
    question.checkboxText && h('label', { class: 'check' }, [box, h('span', { text: question.checkboxText })]),
  ]);
  replace(byId('actions'), [
    question.leftButtonText && h('button', { class: 'button', text: question.leftButtonText, on: { click: () => { answer(ConfirmAction.Left); } } }),
    right,
  ]);
  if (!selfTest) return;
  await painted();
  box.checked = true;
  right.click();
}

main();
