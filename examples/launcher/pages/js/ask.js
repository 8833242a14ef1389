// @ts-check
// Confirmations, shown by the launcher in a dialog of its own.
import { ConfirmAction } from './codes.js';
import { vell } from './sdk.js';

/**
 * Asks the user; true when they chose `yes`.
 * @param {{title: string, content: string, yes: string, no?: string, name: string}} question
 */
export async function confirmWithUser(question) {
  const answer = await vell().uiModule.openConfirmDialog({
    title: question.title,
    content: question.content,
    leftButtonText: question.no ?? 'Cancel',
    rightButtonText: question.yes,
    checkboxText: '',
    checkedText: '',
    withCloseButton: true,
    buttonType: 0,
    name: question.name,
  });
  if (answer.strError) throw new Error(answer.strError);
  return answer.result.action === ConfirmAction.Right;
}
