// Declarations of window.vell, the launcher's SDK, for page authors.

export type VellPayload = Record<string, unknown>;
/** The launcher's answer: parsed JSON, the raw text when it is not JSON, or null when empty. */
export type VellAnswer = unknown;
export type VellAction = (payload?: VellPayload) => Promise<VellAnswer>;
/** Subscribes a handler; the returned function unsubscribes it. */
export type VellSubscribe<T = unknown> = (handler: (value: T) => void) => () => void;

/** The Error a Promise rejects with when the launcher answers with an error. */
export interface VellError extends Error {
  /** The error code, e.g. "#ParseValue2JsonError". */
  code: string;
}

export interface VellAccountModule {
  bindAccount: VellAction;
  getAccountAssociateMobilePhone: VellAction;
  loginSuccess: VellAction;
  logout: VellAction;
  riskLimitResult: VellAction;
  selectAccount: VellAction;
  setAccountAssociateMobilePhone: VellAction;
  unbindAccount: VellAction;
  data: { getLoginUserData: VellAction };
  onAccountChanged: VellSubscribe;
  $$notifyAccountChanged(value: unknown): void;
}

export interface VellBasicModule {
  pingPong(payload: { text: string }): Promise<{ text: string }>;
  /** Sends any JSON value to the launcher as an event. */
  emit(payload?: unknown): Promise<null>;
  localStorage(payload: {
    url: string;
    data: unknown;
    headers: Record<string, string>;
    method: string;
  }): Promise<{ strError: string; strJson: string }>;
  moveWindow(payload: { deltaX: number; deltaY: number }): Promise<null>;
  data: {
    getRemoteConfigData: () => Promise<{ strError: string; strJson: string }>;
    getChannelRemoteConfigData: () => Promise<{ strError: string; strJson: string }>;
    isFirstLaunch: () => Promise<{ isFirstLaunch: boolean }>;
  };
  /** Events the launcher broadcasts to pages. */
  onEmit: VellSubscribe;
  /** With a function: subscribes it (as onEmit). With a value: delivers it to the subscribers. */
  registerEmitHandler(handlerOrEvent: unknown): (() => void) | undefined;
}

export interface VellBrowserModule {
  browserBack: VellAction;
  browserForward: VellAction;
  reload: VellAction;
  reloadWithoutCache: VellAction;
  browserWindowState: VellAction;
  pageReady: VellAction;
  /** Called for every page once its content has loaded. */
  PageReady: VellAction;
  data: Record<string, never>;
  onWindowNormalSizeChanged: VellSubscribe<boolean>;
  $$notifyWindowNormalSizeChanged(normal: boolean): void;
}

export interface VellDataAnalysisModule {
  report: VellAction;
  data: Record<string, never>;
}

export interface VellGameModule {
  addGame: VellAction;
  switchGame: VellAction;
  createGameTask: VellAction;
  selectInstallDirectory: VellAction;
  saveGameServerSelection: VellAction;
  execGameTool: VellAction;
  data: {
    getGameLibraries: VellAction;
    getGameSelections: VellAction;
    getGameDownloadStatus: VellAction;
    getGameInfo: VellAction;
    getGameInstallerBasicInfo: VellAction;
    getGameToolInfo: VellAction;
    getGamePolicies: VellAction;
    getRatingSystemInfo: VellAction;
    getGameServerList: VellAction;
    getGameRecentServerList: VellAction;
    getGameCurrentSelectedServer: VellAction;
    getExtensionCard: VellAction;
    getSeasonList: VellAction;
    getSeasonData: VellAction;
    getGameRecord: VellAction;
    getGameZonePageConfig: VellAction;
  };
  onGameCurrentSelectedServerChanged: VellSubscribe<{ appCode: string }>;
  onGameDownloadStatusChanged: VellSubscribe;
  onExtensionCardChanged: VellSubscribe;
  onGameRecordChanged: VellSubscribe;
  onSeasonDataChanged: VellSubscribe;
  onSeasonListChanged: VellSubscribe;
  $$notifyGameCurrentSelectedServerChanged(value: { appCode: string }): void;
  $$notifyGameDownloadStatusChanged(value: unknown): void;
  $$notifyExtensionCardChanged(value: unknown): void;
  $$notifyGameRecordChanged(value: unknown): void;
  $$notifySeasonDataChanged(value: unknown): void;
  $$notifySeasonListChanged(value: unknown): void;
}

export interface VellNetworkModule {
  request(payload: {
    url: string;
    data: unknown;
    headers: Record<string, string>;
    method: string;
  }): Promise<VellAnswer>;
  data: Record<string, never>;
}

export interface VellToast {
  message: string;
  ms: number;
  position: number;
}

export interface VellUiModule {
  closeWebDialog: VellAction;
  openConfirmDialog: VellAction;
  openDialog: VellAction;
  openGameServerDialog: VellAction;
  openWebDialog: VellAction;
  toast: VellAction;
  updateWebDialog: VellAction;
  closeConfirmDialog: VellAction;
  openInExplorer: VellAction;
  /** Served only when the launcher registers it. */
  closeCurrentWebDialog: VellAction;
  data: Record<string, never>;
  onToast: VellSubscribe<VellToast>;
  $$notifyToast(toast: VellToast): void;
}

export interface VellSettingsModule {
  saveSettings: VellAction;
  /** Sends the payload to the launcher as it is. */
  updateSettings(payload?: unknown): Promise<VellAnswer>;
  data: { getSettings: VellAction };
}

export interface Vell {
  /** Sends any action by its full name ("jssdk::module:action"); throws for other names. */
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
