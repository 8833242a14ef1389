#pragma once

#include <string>

#include <QString>

// The SDK's vocabulary: every action name a page can call ("jssdk::",
// the module, a colon, "data:" for getters, the action), named after the
// plugin class that serves it.
namespace VellActionNames {

inline const QString kJsSdkPrefix = "jssdk::";

// The error code of an answer whose payload does not parse into the plugin's model.
inline const std::string kParseValue2JsonError = "#ParseValue2JsonError";

inline const QString kBindAccount = "jssdk::accountModule:bindAccount";
inline const QString kGetAccountAssociateMobilePhone = "jssdk::accountModule:getAccountAssociateMobilePhone";
inline const QString kLoginSuccess = "jssdk::accountModule:loginSuccess";
inline const QString kLogout = "jssdk::accountModule:logout";
inline const QString kRiskLimitResult = "jssdk::accountModule:riskLimitResult";
inline const QString kSelectAccount = "jssdk::accountModule:selectAccount";
inline const QString kSetAccountAssociateMobilePhone = "jssdk::accountModule:setAccountAssociateMobilePhone";
inline const QString kUnbindAccount = "jssdk::accountModule:unbindAccount";
inline const QString kGetLoginUserData = "jssdk::accountModule:data:getLoginUserData";
inline const QString kGetRemoteConfigData = "jssdk::basicModule:data:getRemoteConfigData";
inline const QString kGetChannelRemoteConfigData = "jssdk::basicModule:data:getChannelRemoteConfigData";
inline const QString kIsFirstLaunch = "jssdk::basicModule:data:isFirstLaunch";
inline const QString kPingPong = "jssdk::basicModule:pingPong";
inline const QString kEmit = "jssdk::basicModule:emit";
inline const QString kLocalStorage = "jssdk::basicModule:localStorage";
inline const QString kMoveWindow = "jssdk::basicModule:moveWindow";
inline const QString kBrowserBack = "jssdk::browserModule:browserBack";
inline const QString kBrowserForward = "jssdk::browserModule:browserForward";
inline const QString kReload = "jssdk::browserModule:reload";
inline const QString kReloadWithoutCache = "jssdk::browserModule:reloadWithoutCache";
inline const QString kBrowserWindowState = "jssdk::browserModule:browserWindowState";
inline const QString kPageReady = "jssdk::browserModule:pageReady";
inline const QString kReport = "jssdk::dataAnalysisModule:report";
inline const QString kAddGame = "jssdk::gameModule:addGame";
inline const QString kSwitchGame = "jssdk::gameModule:switchGame";
inline const QString kCreateGameTask = "jssdk::gameModule:createGameTask";
inline const QString kSelectInstallDirectory = "jssdk::gameModule:selectInstallDirectory";
inline const QString kSaveGameServerSelection = "jssdk::gameModule:saveGameServerSelection";
inline const QString kExecGameTool = "jssdk::gameModule:execGameTool";
inline const QString kGetGameLibraries = "jssdk::gameModule:data:getGameLibraries";
inline const QString kGetGameSelections = "jssdk::gameModule:data:getGameSelections";
inline const QString kGetGameDownloadStatus = "jssdk::gameModule:data:getGameDownloadStatus";
inline const QString kGetGameInfo = "jssdk::gameModule:data:getGameInfo";
inline const QString kGetGameInstallerBasicInfo = "jssdk::gameModule:data:getGameInstallerBasicInfo";
inline const QString kGetGameToolInfo = "jssdk::gameModule:data:getGameToolInfo";
inline const QString kGetGamePolicies = "jssdk::gameModule:data:getGamePolicies";
inline const QString kGetRatingSystemInfo = "jssdk::gameModule:data:getRatingSystemInfo";
inline const QString kGetGameServerList = "jssdk::gameModule:data:getGameServerList";
inline const QString kGetGameRecentServerList = "jssdk::gameModule:data:getGameRecentServerList";
inline const QString kGetGameCurrentSelectedServer = "jssdk::gameModule:data:getGameCurrentSelectedServer";
inline const QString kExtensionCard = "jssdk::gameModule:data:getExtensionCard";
inline const QString kSeasonList = "jssdk::gameModule:data:getSeasonList";
inline const QString kSeasonData = "jssdk::gameModule:data:getSeasonData";
inline const QString kGameRecord = "jssdk::gameModule:data:getGameRecord";
inline const QString kGetGameZonePageConfig = "jssdk::gameModule:data:getGameZonePageConfig";
inline const QString kRequest = "jssdk::networkModule:request";
inline const QString kCloseWebDialog = "jssdk::uiModule:closeWebDialog";
inline const QString kOpenConfirmDialog = "jssdk::uiModule:openConfirmDialog";
inline const QString kOpenDialog = "jssdk::uiModule:openDialog";
inline const QString kOpenGameServerDialog = "jssdk::uiModule:openGameServerDialog";
inline const QString kOpenWebDialog = "jssdk::uiModule:openWebDialog";
inline const QString kToast = "jssdk::uiModule:toast";
inline const QString kUpdateWebDialog = "jssdk::uiModule:updateWebDialog";
inline const QString kCloseConfirmDialog = "jssdk::uiModule:closeConfirmDialog";
inline const QString kOpenInExplorer = "jssdk::uiModule:openInExplorer";
inline const QString kSaveSettings = "jssdk::settingsModule:saveSettings";
inline const QString kUpdateSettings = "jssdk::settingsModule:updateSettings";
inline const QString kGetSettings = "jssdk::settingsModule:data:getSettings";
inline const QString kCloseCurrentWebDialog = "jssdk::uiModule:closeCurrentWebDialog";

}  // namespace VellActionNames
