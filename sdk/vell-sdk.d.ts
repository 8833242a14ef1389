// Declarations of window.vell, the launcher's SDK, for page authors.

/** The launcher's answer: parsed JSON, the raw text when it is not JSON, or null when empty. */
export type VellAnswer = unknown;
/** Subscribes a handler; the returned function unsubscribes it. */
export type VellSubscribe<T = unknown> = (handler: (value: T) => void) => () => void;

/**
 * The codes a call can fail with besides the launcher's own:
 * - "#ActionNotFound": the launcher serves no such action (an unknown module
 *   or action, or a name without the "jssdk::" prefix);
 * - "#ParseValue2JsonError": the payload does not fit the action's model;
 * - "#NativeCallFailed": the call could not reach the launcher.
 */
export type VellErrorCode = '#ActionNotFound' | '#ParseValue2JsonError' | '#NativeCallFailed' | (string & {});

/** The Error a Promise rejects with when the launcher answers with an error. */
export interface VellError extends Error {
  /** The error code, e.g. "#ParseValue2JsonError". */
  code: VellErrorCode;
}

// Models of the actions and their answers, as the launcher exchanges them.
export interface GetGamePoliciesResponseItem { isChecked: boolean; title: string; href: string }
export interface GetGameRecentServerListServerModel { id: string; name: string; state: number }
export interface GetGameServerListServerModel { id: string; name: string; state: number }
export interface GetGameServerListZoneModel { id: string; name: string; serverModels: GetGameServerListServerModel[] }
export interface GetGameToolInfoResponseModelItem { action: string; name: string; desc: string; relativePath: string; executePath: string; iconSrc: string; url: string }
export interface GetRatingSystemInfoResponseItem { id: string; title: string; content: string }
export interface OpenConfirmDialogResult { isCheckBoxChecked: boolean; action: number }
export interface SaveSettingsAutoUpdateItem { appCode: string; autoUpdate: boolean }
export interface ToastNotifyToastModel { message: string; ms: number; position: number }
export type GameDownloadStatus = { appCode: string; uiStage: number; currentVersion: string; nextVersion: string; progress: number; msg: string; errMsg: string; speed: string; time: string; isPreDownloadVisible: boolean; downloadType: number; isPreUpdateFormat: boolean };
export interface VellToast { message: string; ms: number; position: number }

export interface VellAccountModule {
  bindAccount(payload: { account: string; accountOpenId: string; authToken: string; refreshToken: string }): Promise<null>;
  getAccountAssociateMobilePhone(payload: { accountOpenId: string }): Promise<{ hashedMobileNumber: string; maskedMobileNumber: string }>;
  loginSuccess(payload: { account: string; accountOpenId: string; authToken: string; refreshToken: string; loginType: number; isAuthRemember: boolean }): Promise<null>;
  logout(payload?: Record<string, unknown>): Promise<null>;
  riskLimitResult(payload: { accountOpenId: string; serialNumber: string; loginType: number; isAuthRemember: boolean }): Promise<null>;
  selectAccount(payload: { accountOpenId: string; accountHash: string; account: string; loginType: number; isAuthRemember: boolean }): Promise<null>;
  setAccountAssociateMobilePhone(payload: { accountOpenId: string; hashedMobileNumber: string; maskedMobileNumber: string }): Promise<null>;
  unbindAccount(payload: { accountOpenId: string }): Promise<null>;
  data: {
    getLoginUserData(payload?: Record<string, unknown>): Promise<{ strJson: string; strError: string }>;
  };
  onAccountChanged: VellSubscribe;
  $$notifyAccountChanged(value: unknown): void;
}

export interface VellBasicModule {
  pingPong(payload: { text: string }): Promise<{ text: string }>;
  localStorage(payload: { url: string; data: unknown; headers: Record<string, string>; method: string }): Promise<{ strError: string; strJson: string }>;
  moveWindow(payload: { deltaX: number; deltaY: number }): Promise<null>;
  /** Sends any JSON value to the launcher as an event. */
  emit(payload?: unknown): Promise<null>;
  data: {
    getRemoteConfigData(payload?: Record<string, unknown>): Promise<{ strError: string; strJson: string }>;
    getChannelRemoteConfigData(payload?: Record<string, unknown>): Promise<{ strError: string; strJson: string }>;
    isFirstLaunch(payload?: Record<string, unknown>): Promise<{ isFirstLaunch: boolean }>;
  };
  /** Events the launcher broadcasts to pages. */
  onEmit: VellSubscribe;
  /** With a function: subscribes it (as onEmit). With a value: delivers it to the subscribers. */
  registerEmitHandler(handlerOrEvent: unknown): (() => void) | undefined;
}

export interface VellBrowserModule {
  browserBack(payload?: Record<string, unknown>): Promise<null>;
  browserForward(payload?: Record<string, unknown>): Promise<null>;
  reload(payload?: Record<string, unknown>): Promise<null>;
  reloadWithoutCache(payload?: Record<string, unknown>): Promise<null>;
  browserWindowState(payload: { windowAction: number }): Promise<null>;
  pageReady(payload?: Record<string, unknown>): Promise<null>;
  data: Record<string, never>;
  /** Called for every page once its content has loaded. */
  PageReady(): Promise<null>;
  onWindowNormalSizeChanged: VellSubscribe<boolean>;
  $$notifyWindowNormalSizeChanged(normal: boolean): void;
}

export interface VellDataAnalysisModule {
  report(payload: { key: string; desc: string; extJson: string }): Promise<null>;
  data: Record<string, never>;
}

export interface VellGameModule {
  addGame(payload: { appCode: string; isSelected: boolean }): Promise<null>;
  switchGame(payload: { appCode: string }): Promise<{ strError: string; strJson: string }>;
  createGameTask(payload: { appCode: string; action: string; isPreDownload: boolean }): Promise<{ strError: string }>;
  selectInstallDirectory(payload: { appCode: string }): Promise<null>;
  saveGameServerSelection(payload: { appCode: string; serverId: string }): Promise<null>;
  execGameTool(payload: { appCode: string; executePath: string }): Promise<{ strError: string }>;
  data: {
    getGameLibraries(payload?: Record<string, unknown>): Promise<{ strError: string; strJson: string }>;
    getGameSelections(payload?: Record<string, unknown>): Promise<string[]>;
    getGameDownloadStatus(payload: { appCode: string }): Promise<{ appCode: string; uiStage: number; currentVersion: string; nextVersion: string; progress: number; msg: string; errMsg: string; speed: string; time: string; isPreDownloadVisible: boolean; downloadType: number; isPreUpdateFormat: boolean }>;
    getGameInfo(payload: { appCode: string }): Promise<{ strError: string; strJson: string }>;
    getGameInstallerBasicInfo(payload: { appCode: string }): Promise<{ posterUrl: string; appCode: string; appName: string; installPath: string; needSpaceSize: string; remainingSpaceSize: string; appSize: string; isSpaceEnough: boolean }>;
    getGameToolInfo(payload: { appCode: string }): Promise<GetGameToolInfoResponseModelItem[]>;
    getGamePolicies(payload: { appCode: string }): Promise<GetGamePoliciesResponseItem[]>;
    getRatingSystemInfo(payload: { appCode: string }): Promise<GetRatingSystemInfoResponseItem[]>;
    getGameServerList(payload: { appCode: string }): Promise<{ recommendedZoneModels: GetGameServerListZoneModel[]; allZoneModels: GetGameServerListZoneModel[] }>;
    getGameRecentServerList(payload: { appCode: string }): Promise<{ serverModels: GetGameRecentServerListServerModel[] }>;
    getGameCurrentSelectedServer(payload: { appCode: string }): Promise<{ state: string; serverId: string; serverName: string; zoneId: string; zoneName: string }>;
    getExtensionCard(payload?: Record<string, unknown>): Promise<unknown>;
    getSeasonList(payload?: Record<string, unknown>): Promise<unknown>;
    getSeasonData(payload: { seasonId: number; playType: number }): Promise<unknown>;
    getGameRecord(payload: { cursor: number; size: number; seasonId: number; playType: number }): Promise<unknown>;
    getGameZonePageConfig(payload: { appCode: string }): Promise<{ strError: string; strJson: string }>;
  };
  onGameCurrentSelectedServerChanged: VellSubscribe<{ appCode: string }>;
  onGameDownloadStatusChanged: VellSubscribe<GameDownloadStatus>;
  onExtensionCardChanged: VellSubscribe;
  onGameRecordChanged: VellSubscribe;
  onSeasonDataChanged: VellSubscribe;
  onSeasonListChanged: VellSubscribe;
  $$notifyGameCurrentSelectedServerChanged(value: { appCode: string }): void;
  $$notifyGameDownloadStatusChanged(value: GameDownloadStatus): void;
  $$notifyExtensionCardChanged(value: unknown): void;
  $$notifyGameRecordChanged(value: unknown): void;
  $$notifySeasonDataChanged(value: unknown): void;
  $$notifySeasonListChanged(value: unknown): void;
}

export interface VellNetworkModule {
  request(payload: { url: string; data: unknown; headers: Record<string, string>; method: string }): Promise<{ strError: string; strJson: string }>;
  data: Record<string, never>;
}

export interface VellUiModule {
  closeWebDialog(payload: { type: "CloseDialog" | "CloseInstallerDialog" | "CloseTakeOverDialog"; payload: null | { appCode: string; isTakeOver?: boolean } }): Promise<null>;
  openConfirmDialog(payload: { title: string; content: string; leftButtonText: string; rightButtonText: string; checkboxText: string; checkedText: string; withCloseButton: boolean; buttonType: number; name: string }): Promise<{ result: OpenConfirmDialogResult; strError: string }>;
  openDialog(payload: { dialogType: string }): Promise<null>;
  openGameServerDialog(payload: { appCode: string }): Promise<null>;
  openWebDialog(payload: { name: string; url: string; width: number; height: number }): Promise<null>;
  toast(payload: { message: string; ms: number; position: number }): Promise<null>;
  updateWebDialog(payload: { name: string; url: string; width: number; height: number }): Promise<null>;
  closeConfirmDialog(payload: { isCheckBoxChecked: boolean; action: number }): Promise<null>;
  openInExplorer(payload: { path: string }): Promise<null>;
  /** Served only when the launcher registers its plugin; otherwise rejects with "#ActionNotFound". */
  closeCurrentWebDialog(payload?: Record<string, unknown>): Promise<null>;
  data: Record<string, never>;
  onToast: VellSubscribe<VellToast>;
  $$notifyToast(toast: VellToast): void;
}

export interface VellSettingsModule {
  saveSettings(payload: { settings: unknown; autoUpdates: SaveSettingsAutoUpdateItem[] }): Promise<null>;
  updateSettings(payload?: unknown): Promise<null>;
  data: {
    getSettings(payload?: Record<string, unknown>): Promise<{ strError: string; strJson: string }>;
  };
}

export interface Vell {
  /** Sends any action by its full name ("jssdk::module:action"); other names reject with "#ActionNotFound". */
  invoke(action: string, payload?: unknown): Promise<VellAnswer>;
  accountModule: VellAccountModule;
  basicModule: VellBasicModule;
  browserModule: VellBrowserModule;
  dataAnalysisModule: VellDataAnalysisModule;
  gameModule: VellGameModule;
  networkModule: VellNetworkModule;
  uiModule: VellUiModule;
  settingsModule: VellSettingsModule;
}

declare global {
  interface Window {
    vell: Vell;
    __VELL_ENV__: string;
    __VELL_LANG__: string;
    __VELL_LAUNCHER_VERSION__: string;
    __VELL_IS_GP__: boolean;
  }
}
