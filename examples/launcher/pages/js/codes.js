// @ts-check
// The numbers agreed with the launcher.

/** A game's uiStage in its download status. */
export const Stage = Object.freeze({
  NotInstalled: 0,
  Downloading: 1,
  Paused: 2,
  Installing: 3,
  Ready: 4,
  UpdateAvailable: 5,
});

/** What browserWindowState asks of the window. */
export const WindowAction = Object.freeze({ Minimise: 1, Maximise: 2, Restore: 3, Close: 4 });

/** The button a confirmation dialog was left with. */
export const ConfirmAction = Object.freeze({ Closed: 0, Left: 1, Right: 2 });

/** The kinds of play a season's figures are kept for. */
export const PlayType = Object.freeze({ Solo: 0, Squad: 1 });

/** @type {Record<number, string>} */
export const ServerStateName = { 0: 'Maintenance', 1: 'Smooth', 2: 'Busy', 3: 'Full' };
