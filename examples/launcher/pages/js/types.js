// @ts-check
// The shapes of what the launcher answers these pages.

/**
 * @typedef {{appCode: string, name: string, genre: string, developer: string, tagline: string, version: string,
 *   sizeBytes: number, palette: string[], glyph: string, installedVersion: string, uiStage: number,
 *   hasServers: boolean, hasSeasons: boolean}} GameSummary
 * @typedef {GameSummary & {description: string, released: string, features: string[]}} GameInfo
 * @typedef {{games: GameSummary[], selections: string[]}} Library
 * @typedef {{openId: string, account: string, displayName: string, email: string, level: number,
 *   avatarColor: string, memberSince: string, phone: string}} User
 * @typedef {{signedIn: boolean, user: User | null, accounts: User[]}} LoginData
 * @typedef {{accent: string, language: string, downloadLimitMBps: number, installDirectory: string,
 *   launchOnStartup: boolean, closeAfterGameStart: boolean, showToasts: boolean,
 *   autoUpdates: Record<string, boolean>}} Settings
 * @typedef {{id: string, appCode: string, date: string, title: string, text: string}} NewsItem
 * @typedef {{banner: {appCode: string, eyebrow: string, title: string, text: string}, news: NewsItem[]}} News
 * @typedef {{id: number, name: string, start: string, end: string}} Season
 * @typedef {{appCode: string, seasons: Season[]}} SeasonList
 * @typedef {{seasonId: number, playType: number, name?: string, rank?: string, matches?: number, wins?: number,
 *   hours?: number, error?: string}} SeasonData
 * @typedef {import('../../../../sdk/vell-sdk').GameDownloadStatus} GameDownloadStatus
 * @typedef {import('../../../../sdk/vell-sdk').GetGameServerListZoneModel} Zone
 * @typedef {import('../../../../sdk/vell-sdk').GetGameServerListServerModel} Server
 * @typedef {{type: string, [key: string]: unknown}} LauncherEvent
 */

export {};
