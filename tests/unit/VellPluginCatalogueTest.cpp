// Every SDK action through the real factory: a valid payload gives the signal
// with the parsed model, an invalid one the parse error and no signal, and the
// host's answer reaches the page byte for byte as specified.
#include <QCoreApplication>
#include <QMetaMethod>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "CapturingFrame.h"

#include "plugins/VellPluginRegister.h"
#include "plugins/account_plugins/VellGetAccountAssociateMobilePhonePlugin.h"
#include "plugins/account_plugins/VellGetLoginUserDataPlugin.h"
#include "plugins/account_plugins/VellLoginSuccessPlugin.h"
#include "plugins/account_plugins/VellBindAccountPlugin.h"
#include "plugins/account_plugins/VellRiskLimitResultPlugin.h"
#include "plugins/account_plugins/VellSelectAccountPlugin.h"
#include "plugins/account_plugins/VellSetAccountAssociateMobilePhonePlugin.h"
#include "plugins/account_plugins/VellUnbindAccountPlugin.h"
#include "plugins/basic_plugins/VellGetChannelRemoteConfigDataPlugin.h"
#include "plugins/basic_plugins/VellGetRemoteConfigDataPlugin.h"
#include "plugins/basic_plugins/VellIsFirstLaunchPlugin.h"
#include "plugins/basic_plugins/VellLocalStoragePlugin.h"
#include "plugins/basic_plugins/VellMoveWindowPlugin.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "plugins/browser_plugins/VellBrowserWindowStatePlugin.h"
#include "plugins/data_analysis_plugins/VellReportPlugin.h"
#include "plugins/game_plugins/VellAddGamePlugin.h"
#include "plugins/game_plugins/VellCreateGameTaskPlugin.h"
#include "plugins/game_plugins/VellExecGameToolPlugin.h"
#include "plugins/game_plugins/VellExtensionCardPlugin.h"
#include "plugins/game_plugins/VellGameRecordPlugin.h"
#include "plugins/game_plugins/VellGetGameCurrentSelectedServerPlugin.h"
#include "plugins/game_plugins/VellGetGameDownloadStatusPlugin.h"
#include "plugins/game_plugins/VellGetGameInfoPlugin.h"
#include "plugins/game_plugins/VellGetGameInstallerBasicInfoPlugin.h"
#include "plugins/game_plugins/VellGetGameLibrariesPlugin.h"
#include "plugins/game_plugins/VellGetGamePoliciesPlugin.h"
#include "plugins/game_plugins/VellGetGameRecentServerListPlugin.h"
#include "plugins/game_plugins/VellGetGameSelectionsPlugin.h"
#include "plugins/game_plugins/VellGetGameServerListPlugin.h"
#include "plugins/game_plugins/VellGetGameToolInfoPlugin.h"
#include "plugins/game_plugins/VellGetGameZonePageConfigPlugin.h"
#include "plugins/game_plugins/VellGetRatingSystemInfoPlugin.h"
#include "plugins/game_plugins/VellSaveGameServerSelectionPlugin.h"
#include "plugins/game_plugins/VellSeasonDataPlugin.h"
#include "plugins/game_plugins/VellSeasonListPlugin.h"
#include "plugins/game_plugins/VellSelectInstallDirectoryPlugin.h"
#include "plugins/game_plugins/VellSwitchGamePlugin.h"
#include "plugins/network_plugins/VellRequestPlugin.h"
#include "plugins/settings_plugins/VellGetSettingsPlugin.h"
#include "plugins/settings_plugins/VellSaveSettingsPlugin.h"
#include "plugins/ui_plugins/VellCloseConfirmDialogPlugin.h"
#include "plugins/ui_plugins/VellCloseWebDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenConfirmDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenGameServerDialogPlugin.h"
#include "plugins/ui_plugins/VellOpenInExplorerPlugin.h"
#include "plugins/ui_plugins/VellOpenWebDialogPlugin.h"
#include "plugins/ui_plugins/VellToastPlugin.h"
#include "plugins/ui_plugins/VellUpdateWebDialogPlugin.h"
#include "v8_api/VellV8PluginFactory.h"

namespace {

using Args = QList<QVariant>;

template <class T>
T Arg(const Args& args, int index) {
  return args.at(index).value<T>();
}

struct Row {
  QString action;
  std::string valid;                         // a payload the model accepts
  std::string invalid;                       // one it refuses; empty for plugins that read no payload
  std::function<void(const Args&)> check;    // the emitted arguments, field by field
  std::function<void(const Args&)> answer;   // the host calling back; empty for the emit shape
  std::string expected;                      // the response value the page receives
};

// clang-format off
std::vector<Row> Rows() {
  return {
    // account
    {"jssdk::accountModule:bindAccount", R"({"account":"a","accountOpenId":"o","authToken":"t","refreshToken":"r","extra":1})", R"({"account":"a"})",
     [](const Args& a) { auto m = Arg<VellBindAccountPluginModel::FireBindAccountModel>(a, 0);
       EXPECT_EQ(m.account, "a"); EXPECT_EQ(m.accountOpenId, "o"); EXPECT_EQ(m.authToken, "t"); EXPECT_EQ(m.refreshToken, "r"); }, {}, ""},
    {"jssdk::accountModule:getAccountAssociateMobilePhone", R"({"accountOpenId":"o"})", R"({"accountOpenId":1})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel>(a, 0).accountOpenId, "o"); },
     [](const Args& a) { Arg<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback>(a, 1)({"h", "m"}); },
     R"({"hashedMobileNumber":"h","maskedMobileNumber":"m"})"},
    {"jssdk::accountModule:loginSuccess", R"({"account":"a","accountOpenId":"o","authToken":"t","refreshToken":"r","loginType":true,"isAuthRemember":false})",
     R"({"account":"a","accountOpenId":"o","authToken":"t","refreshToken":"r","loginType":"1","isAuthRemember":false})",
     [](const Args& a) { auto m = Arg<VellLoginSuccessPluginModel::FireLoginSuccessModel>(a, 0);
       EXPECT_EQ(m.account, "a"); EXPECT_EQ(m.refreshToken, "r"); EXPECT_EQ(m.loginType, 1); EXPECT_FALSE(m.isAuthRemember); }, {}, ""},
    {"jssdk::accountModule:logout", "not even json", "", [](const Args& a) { EXPECT_TRUE(a.isEmpty()); }, {}, ""},
    {"jssdk::accountModule:riskLimitResult", R"({"accountOpenId":"o","serialNumber":"s","loginType":3.9,"isAuthRemember":true})", R"({"accountOpenId":"o","serialNumber":"s","loginType":3,"isAuthRemember":1})",
     [](const Args& a) { auto m = Arg<VellRiskLimitResultPluginModel::FireRiskLimitResultModel>(a, 0);
       EXPECT_EQ(m.serialNumber, "s"); EXPECT_EQ(m.loginType, 3); EXPECT_TRUE(m.isAuthRemember); }, {}, ""},
    {"jssdk::accountModule:selectAccount", R"({"accountOpenId":"o","accountHash":"h","account":"a","loginType":2,"isAuthRemember":true})", R"({"accountOpenId":"o","account":"a","loginType":2,"isAuthRemember":true})",
     [](const Args& a) { auto m = Arg<VellSelectAccountPluginModel::FireSelectAccountModel>(a, 0);
       EXPECT_EQ(m.accountHash, "h"); EXPECT_EQ(m.account, "a"); EXPECT_EQ(m.loginType, 2); }, {}, ""},
    {"jssdk::accountModule:setAccountAssociateMobilePhone", R"({"accountOpenId":"o","hashedMobileNumber":"h","maskedMobileNumber":"m"})", R"({"accountOpenId":"o"})",
     [](const Args& a) { auto m = Arg<VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel>(a, 0);
       EXPECT_EQ(m.hashedMobileNumber, "h"); EXPECT_EQ(m.maskedMobileNumber, "m"); }, {}, ""},
    {"jssdk::accountModule:unbindAccount", R"({"accountOpenId":"o"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellUnbindAccountPluginModel::FireUnbindAccountModel>(a, 0).accountOpenId, "o"); }, {}, ""},
    {"jssdk::accountModule:data:getLoginUserData", "", "", {},
     [](const Args& a) { Arg<VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback>(a, 0)({R"({"a":1})", ""}); },
     R"({"strError":"","strJson":"{\"a\":1}"})"},
    // basic
    {"jssdk::basicModule:data:getRemoteConfigData", "", "", {},
     [](const Args& a) { Arg<VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback>(a, 0)({"e", "j"}); },
     R"({"strError":"e","strJson":"j"})"},
    {"jssdk::basicModule:data:getChannelRemoteConfigData", "", "", {},
     [](const Args& a) { Arg<VellGetChannelRemoteConfigDataPluginModel::FireGetChannelRemoteConfigDataCallback>(a, 0)({"", "c"}); },
     R"({"strError":"","strJson":"c"})"},
    {"jssdk::basicModule:data:isFirstLaunch", "", "", {},
     [](const Args& a) { Arg<VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback>(a, 0)({true}); }, R"({"isFirstLaunch":true})"},
    {"jssdk::basicModule:pingPong", R"({"text":"ping"})", R"({"text":5})",
     [](const Args& a) { EXPECT_EQ(Arg<VellPingPongPluginModel::RequestModel>(a, 0).text, "ping"); },
     [](const Args& a) { Arg<VellPingPongPluginModel::FirePingPongCallback>(a, 1)({"pong \xC3\xA9"}); }, "{\"text\":\"pong \xC3\xA9\"}"},
    {"jssdk::basicModule:emit", "not json {", "", [](const Args& a) { EXPECT_EQ(Arg<std::string>(a, 0), "not json {"); }, {}, ""},
    {"jssdk::basicModule:localStorage", R"({"url":"k","data":null,"headers":{},"method":"get"})", R"({"url":"k","data":1,"headers":{"a":1},"method":"get"})",
     [](const Args& a) { auto m = Arg<VellLocalStoragePluginModel::FireLocalStorageModel>(a, 0);
       EXPECT_EQ(m.url, "k"); EXPECT_TRUE(m.data.is_null()); EXPECT_TRUE(m.headers.empty()); EXPECT_EQ(m.method, "get"); },
     [](const Args& a) { Arg<VellLocalStoragePluginModel::FireLocalStorageCallback>(a, 1)({"", "v"}); }, R"({"strError":"","strJson":"v"})"},
    {"jssdk::basicModule:moveWindow", R"({"deltaX":-12.9,"deltaY":7})", R"({"deltaX":2147483648,"deltaY":0})",
     [](const Args& a) { auto m = Arg<VellMoveWindowPluginModel::RequestModel>(a, 0); EXPECT_EQ(m.deltaX, -12); EXPECT_EQ(m.deltaY, 7); }, {}, ""},
    // browser
    {"jssdk::browserModule:browserBack", "", "", [](const Args& a) { EXPECT_TRUE(a.isEmpty()); }, {}, ""},
    {"jssdk::browserModule:browserForward", "", "", [](const Args& a) { EXPECT_TRUE(a.isEmpty()); }, {}, ""},
    {"jssdk::browserModule:reload", "", "", {}, {}, ""},
    {"jssdk::browserModule:reloadWithoutCache", "", "", {}, {}, ""},
    {"jssdk::browserModule:browserWindowState", R"({"windowAction":2})", R"({"windowAction":"max"})",
     [](const Args& a) { EXPECT_EQ(Arg<VellBrowserWindowStatePluginModel::FireChangeWindowActionModel>(a, 0).windowAction, 2); }, {}, ""},
    {"jssdk::browserModule:pageReady", "", "", [](const Args& a) { EXPECT_TRUE(a.isEmpty()); }, {}, ""},
    // data analysis
    {"jssdk::dataAnalysisModule:report", R"({"key":"k","desc":"d","extJson":"{\"x\":1}"})", R"({"key":"k","desc":"d","extJson":{}})",
     [](const Args& a) { auto m = Arg<VellReportPluginModel::FireReportModel>(a, 0); EXPECT_EQ(m.key, "k"); EXPECT_EQ(m.extJson, R"({"x":1})"); }, {}, ""},
    // game actions
    {"jssdk::gameModule:addGame", R"({"appCode":"g","isSelected":true})", R"({"appCode":"g","isSelected":1})",
     [](const Args& a) { auto m = Arg<VellAddGamePluginModel::FireAddGameModel>(a, 0); EXPECT_EQ(m.appCode, "g"); EXPECT_TRUE(m.isSelected); }, {}, ""},
    {"jssdk::gameModule:switchGame", R"({"appCode":"g"})", "not json",
     [](const Args& a) { EXPECT_EQ(Arg<VellSwitchGamePluginModel::FireSwitchGameModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellSwitchGamePluginModel::FireSwitchGameCallback>(a, 1)({"", "{}"}); }, R"({"strError":"","strJson":"{}"})"},
    {"jssdk::gameModule:createGameTask", R"({"appCode":"g","action":"install","isPreDownload":false})", R"({"appCode":"g","action":"install"})",
     [](const Args& a) { auto m = Arg<VellCreateGameTaskModel::RequestModel>(a, 0); EXPECT_EQ(m.action, "install"); EXPECT_FALSE(m.isPreDownload); },
     [](const Args& a) { Arg<VellCreateGameTaskModel::FireCreateGameTaskCallback>(a, 1)({"busy"}); }, R"({"strError":"busy"})"},
    {"jssdk::gameModule:selectInstallDirectory", R"({"appCode":"g"})", R"({"app":"g"})",
     [](const Args& a) { EXPECT_EQ(Arg<VellSelectInstallDirectoryPluginModelModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback>(a, 1)(); }, ""},
    {"jssdk::gameModule:saveGameServerSelection", R"({"appCode":"g","serverId":"s"})", R"({"appCode":"g","serverId":1})",
     [](const Args& a) { auto m = Arg<VellSaveGameServerSelectionPluginModel::RequestModel>(a, 0); EXPECT_EQ(m.serverId, "s"); }, {}, ""},
    {"jssdk::gameModule:execGameTool", R"({"appCode":"g","executePath":"tool.exe"})", R"({"appCode":"g"})",
     [](const Args& a) { EXPECT_EQ(Arg<VellExecGameToolPluginModel::RequestModel>(a, 0).executePath, "tool.exe"); },
     [](const Args& a) { Arg<VellExecGameToolPluginModel::FireExecGameToolCallback>(a, 1)({""}); }, R"({"strError":""})"},
    // game getters
    {"jssdk::gameModule:data:getGameLibraries", "", "", {},
     [](const Args& a) { Arg<VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback>(a, 0)({"", "[]"}); }, R"({"strError":"","strJson":"[]"})"},
    {"jssdk::gameModule:data:getGameSelections", "", "", {},
     [](const Args& a) { Arg<VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback>(a, 0)({"a", "b"}); }, R"(["a","b"])"},
    {"jssdk::gameModule:data:getGameDownloadStatus", R"({"appCode":"g"})", R"({"appCode":null})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameDownloadStatusModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback>(a, 1)(
         {"g", 4, "1", "2", 0.5, "m", "", "1MB/s", "3s", true, 2, false}); },
     R"({"appCode":"g","currentVersion":"1","downloadType":2,"errMsg":"","isPreDownloadVisible":true,"isPreUpdateFormat":false,"msg":"m","nextVersion":"2","progress":0.5,"speed":"1MB/s","time":"3s","uiStage":4})"},
    {"jssdk::gameModule:data:getGameInfo", R"({"appCode":"g"})", R"([])",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameInfoPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameInfoPluginModel::FireGetGameInfoCallback>(a, 1)({"", "x"}); }, R"({"strError":"","strJson":"x"})"},
    {"jssdk::gameModule:data:getGameInstallerBasicInfo", R"({"appCode":"g"})", R"({"appCode":true})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameInstallerBasicInfoPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback>(a, 1)(
         {"u", "g", "n", "/p", "2", "3", "1", true}); },
     R"({"appCode":"g","appName":"n","appSize":"1","installPath":"/p","isSpaceEnough":true,"needSpaceSize":"2","posterUrl":"u","remainingSpaceSize":"3"})"},
    {"jssdk::gameModule:data:getGameToolInfo", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameToolInfoPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameToolInfoPluginModel::FireGetGameToolInfoCallback>(a, 1)({{"a", "n", "d", "r", "e", "i", "u"}}); },
     R"([{"action":"a","desc":"d","executePath":"e","iconSrc":"i","name":"n","relativePath":"r","url":"u"}])"},
    {"jssdk::gameModule:data:getGamePolicies", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGamePoliciesPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback>(a, 1)({{true, "t", "h"}}); },
     R"([{"href":"h","isChecked":true,"title":"t"}])"},
    {"jssdk::gameModule:data:getRatingSystemInfo", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetRatingSystemInfoPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback>(a, 1)({{"1", "t", "c"}}); },
     R"([{"content":"c","id":"1","title":"t"}])"},
    {"jssdk::gameModule:data:getGameServerList", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameServerListPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameServerListPluginModel::FireGetGameServerListCallback>(a, 1)({{}, {{"z", "Z", {{"s", "S", 1}}}}}); },
     R"({"allZoneModels":[{"id":"z","name":"Z","serverModels":[{"id":"s","name":"S","state":1}]}],"recommendedZoneModels":[]})"},
    {"jssdk::gameModule:data:getGameRecentServerList", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameRecentServerListPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback>(a, 1)({{{"s", "S", 0}}}); },
     R"({"serverModels":[{"id":"s","name":"S","state":0}]})"},
    {"jssdk::gameModule:data:getGameCurrentSelectedServer", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameCurrentSelectedServerPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback>(a, 1)({"ok", "s", "S", "z", "Z"}); },
     R"({"serverId":"s","serverName":"S","state":"ok","zoneId":"z","zoneName":"Z"})"},
    {"jssdk::gameModule:data:getExtensionCard", "", "", {},
     [](const Args& a) { Arg<VellExtensionCardPluginModel::FireGetExtensionCardCallback>(a, 0)({{"not json, verbatim"}}); }, "not json, verbatim"},
    {"jssdk::gameModule:data:getSeasonList", "", "", {},
     [](const Args& a) { Arg<VellSeasonListPluginModel::FireGetSeasonListCallback>(a, 0)({{"[1,2]"}}); }, "[1,2]"},
    {"jssdk::gameModule:data:getSeasonData", R"({"seasonId":3,"playType":1})", R"({"seasonId":"3","playType":1})",
     [](const Args& a) { auto m = Arg<VellSeasonDataPluginModel::FireGetSeasonDataModel>(a, 0); EXPECT_EQ(m.seasonId, 3); EXPECT_EQ(m.playType, 1); },
     [](const Args& a) { Arg<VellSeasonDataPluginModel::FireGetSeasonDataCallback>(a, 1)({{R"({"s":3})"}}); }, R"({"s":3})"},
    {"jssdk::gameModule:data:getGameRecord", R"({"cursor":10,"size":20,"seasonId":3,"playType":1})", R"({"cursor":"10","size":20,"seasonId":3,"playType":1})",
     [](const Args& a) { auto m = Arg<VellGameRecordPluginModel::FireGetGameRecordModel>(a, 0); EXPECT_EQ(m.cursor, 10); EXPECT_EQ(m.size, 20); },
     [](const Args& a) { Arg<VellGameRecordPluginModel::FireGetGameRecordCallback>(a, 1)({{"{}"}}); }, "{}"},
    {"jssdk::gameModule:data:getGameZonePageConfig", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellGetGameZonePageConfigPluginModel::RequestModel>(a, 0).appCode, "g"); },
     [](const Args& a) { Arg<VellGetGameZonePageConfigPluginModel::FireGetGameZonePageConfigCallback>(a, 1)({"", "c"}); }, R"({"strError":"","strJson":"c"})"},
    // network
    {"jssdk::networkModule:request", R"({"url":"https://x","data":{"q":1},"headers":{"h":"v"},"method":"POST"})", R"({"url":"https://x","data":1,"headers":{"h":2},"method":"POST"})",
     [](const Args& a) { auto m = Arg<VellRequestPluginModel::FireRequestModel>(a, 0);
       EXPECT_EQ(m.data, nlohmann::json::parse(R"({"q":1})")); EXPECT_EQ(m.headers.at("h"), "v"); EXPECT_EQ(m.method, "POST"); },
     [](const Args& a) { Arg<VellRequestPluginModel::FireRequestCallback>(a, 1)({"", "body"}); }, R"({"strError":"","strJson":"body"})"},
    // ui
    {"jssdk::uiModule:openConfirmDialog",
     R"({"title":"t","content":"c","leftButtonText":"l","rightButtonText":"r","checkboxText":"x","checkedText":"y","withCloseButton":true,"buttonType":1,"name":"n"})",
     R"({"title":"t"})",
     [](const Args& a) { auto m = Arg<VellOpenConfirmDialogPluginModel::RequestModel>(a, 0);
       EXPECT_EQ(m.checkedText, "y"); EXPECT_TRUE(m.withCloseButton); EXPECT_EQ(m.buttonType, 1); EXPECT_EQ(m.name, "n"); },
     [](const Args& a) { Arg<VellOpenConfirmDialogPluginModel::FireOpenConfirmDialogCallback>(a, 1)({{true, 2}, ""}); },
     R"({"result":{"action":2,"isCheckBoxChecked":true},"strError":""})"},
    {"jssdk::uiModule:openDialog", R"({"dialogType":"about"})", R"({"dialogType":[]})",
     [](const Args& a) { EXPECT_EQ(Arg<VellOpenDialogPluginModel::FireOpenDialogModel>(a, 0).dialogType, "about"); }, {}, ""},
    {"jssdk::uiModule:openGameServerDialog", R"({"appCode":"g"})", R"({})",
     [](const Args& a) { EXPECT_EQ(Arg<VellOpenGameServerDialogPluginModel::RequestModel>(a, 0).appCode, "g"); }, {}, ""},
    {"jssdk::uiModule:openWebDialog", R"({"name":"n","url":"u","width":800.7,"height":600})", R"({"name":"n","url":"u","width":"800","height":600})",
     [](const Args& a) { auto m = Arg<VellOpenWebDialogPluginModel::FireOpenWebDialogModel>(a, 0); EXPECT_EQ(m.width, 800); EXPECT_EQ(m.height, 600); }, {}, ""},
    {"jssdk::uiModule:toast", R"({"message":"hi","ms":1500,"position":1})", R"({"message":"hi","ms":1500})",
     [](const Args& a) { auto m = Arg<VellToastPluginModel::FireToastModel>(a, 0); EXPECT_EQ(m.message, "hi"); EXPECT_EQ(m.ms, 1500); }, {}, ""},
    {"jssdk::uiModule:updateWebDialog", R"({"name":"n","url":"u","width":1,"height":2})", R"({"name":"n","url":"u","width":1})",
     [](const Args& a) { auto m = Arg<VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel>(a, 0); EXPECT_EQ(m.height, 2); }, {}, ""},
    {"jssdk::uiModule:closeConfirmDialog", R"({"isCheckBoxChecked":false,"action":1})", R"({"isCheckBoxChecked":0,"action":1})",
     [](const Args& a) { auto m = Arg<VellCloseConfirmDialogPluginModel::RequestModel>(a, 0); EXPECT_EQ(m.action, 1); }, {}, ""},
    {"jssdk::uiModule:openInExplorer", R"({"path":"/games"})", R"({"path":null})",
     [](const Args& a) { EXPECT_EQ(Arg<VellOpenInExplorerPluginModel::RequestModel>(a, 0).path, "/games"); }, {}, ""},
    // settings
    {"jssdk::settingsModule:saveSettings", R"({"settings":{"a":1},"autoUpdates":[{"appCode":"g","autoUpdate":true}]})", R"({"settings":{},"autoUpdates":[{"appCode":"g","autoUpdate":"yes"}]})",
     [](const Args& a) { auto m = Arg<VellSaveSettingsPluginModel::RequestModel>(a, 0);
       ASSERT_EQ(m.autoUpdates.size(), 1u); EXPECT_EQ(m.autoUpdates[0].appCode, "g"); EXPECT_TRUE(m.autoUpdates[0].autoUpdate); EXPECT_EQ(m.settings["a"], 1); }, {}, ""},
    {"jssdk::settingsModule:updateSettings", "{raw", "", [](const Args& a) { EXPECT_EQ(Arg<std::string>(a, 0), "{raw"); }, {}, ""},
    {"jssdk::settingsModule:data:getSettings", "", "", {},
     [](const Args& a) { Arg<VellGetSettingsPluginModel::FireGetSettingsCallback>(a, 0)({"", "{}"}); }, R"({"strError":"","strJson":"{}"})"},
  };
}
// clang-format on

// The one signal a plugin emits for its action.
std::unique_ptr<QSignalSpy> SpyOnSignal(QObject* plugin) {
  const QMetaObject* meta = plugin->metaObject();
  for (int i = meta->methodOffset(); i < meta->methodCount(); ++i) {
    if (meta->method(i).methodType() == QMetaMethod::Signal) return std::make_unique<QSignalSpy>(plugin, meta->method(i));
  }
  return nullptr;
}

class VellPluginCatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(VellPluginRegister::Register(&owner, &factory), nullptr); }
  // Dispatches `payload` to `action` and lets queued work run.
  bool Call(const QString& action, const std::string& payload) {
    VellProcessMessage message;
    message.SetMessageName(action.toStdString());
    message.SetRequestId(11);
    message.SetValue(payload);
    CefRefPtr<CefProcessMessage> wire;
    VellProcessMessage::ConvertToArgumentList(message, wire);
    const bool handled = factory.HandleFromCefProcessMessage(nullptr, frame, PID_RENDERER, wire);
    QCoreApplication::processEvents();
    return handled;
  }
  QObject owner;
  VellV8PluginFactory factory;
  CefRefPtr<CapturingFrame> frame{new CapturingFrame()};
};

TEST_F(VellPluginCatalogueTest, EveryActionParsesEmitsAndAnswersAsSpecified) {
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 57u);  // closeWebDialog has a test of its own
  ASSERT_EQ(factory.ActionNames().size(), 58u);
  std::set<QString> covered;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.action.toStdString());
    covered.insert(row.action);
    auto* plugin = dynamic_cast<QObject*>(factory.Plugin(row.action).get());
    ASSERT_NE(plugin, nullptr);
    EXPECT_EQ(plugin->parent()->parent(), &owner);
    auto spy = SpyOnSignal(plugin);
    ASSERT_NE(spy, nullptr);

    frame->Clear();
    ASSERT_TRUE(Call(row.action, row.valid));
    const bool reload = row.action == "jssdk::browserModule:reload" || row.action == "jssdk::browserModule:reloadWithoutCache";
    ASSERT_EQ(spy->count(), reload ? 0 : 1);  // the reload plugins act themselves
    if (row.check) row.check(spy->at(0));
    if (row.answer) {
      EXPECT_TRUE(frame->Sent().empty());  // nothing until the host calls back
      row.answer(spy->at(0));
      QCoreApplication::processEvents();  // posted answers
    }
    ASSERT_EQ(frame->Sent().size(), 1u);
    EXPECT_EQ(frame->Sent()[0].GetRequestId(), 11);
    EXPECT_EQ(frame->Sent()[0].GetErrorCode(), "");
    EXPECT_EQ(frame->Sent()[0].GetResponseValue(), row.expected);

    if (row.invalid.empty()) continue;
    frame->Clear();
    spy->clear();
    ASSERT_TRUE(Call(row.action, row.invalid));
    EXPECT_EQ(spy->count(), 0);
    ASSERT_EQ(frame->Sent().size(), 1u);
    EXPECT_EQ(frame->Sent()[0].GetErrorCode(), "#ParseValue2JsonError");
    EXPECT_NE(frame->Sent()[0].GetErrorMessage().find("JSON parse error: "), std::string::npos);
  }
  covered.insert("jssdk::uiModule:closeWebDialog");
  EXPECT_EQ(covered.size(), 58u);
  EXPECT_EQ(factory.Plugin("jssdk::uiModule:closeCurrentWebDialog"), nullptr);
  EXPECT_FALSE(Call("jssdk::uiModule:closeCurrentWebDialog", "{}"));
}

TEST_F(VellPluginCatalogueTest, CloseWebDialogDispatchesOnItsType) {
  auto* plugin = dynamic_cast<VellCloseWebDialogPlugin*>(factory.Plugin("jssdk::uiModule:closeWebDialog").get());
  QSignalSpy closed(plugin, &VellCloseWebDialogPlugin::FireCloseDialog);
  QSignalSpy installer(plugin, &VellCloseWebDialogPlugin::FireCloseInstallerDialog);
  QSignalSpy takeOver(plugin, &VellCloseWebDialogPlugin::FireCloseTakeOverDialog);
  auto answerOf = [&](const std::string& payload) {
    frame->Clear();
    Call("jssdk::uiModule:closeWebDialog", payload);
    EXPECT_EQ(frame->Sent().size(), 1u);  // exactly one answer, whatever the payload
    return frame->Sent().empty() ? VellProcessMessage() : frame->Sent()[0];
  };
  EXPECT_EQ(answerOf(R"({"type":"CloseDialog","payload":null})").GetErrorCode(), "");
  EXPECT_EQ(closed.count(), 1);
  EXPECT_EQ(answerOf(R"({"type":"CloseInstallerDialog","payload":{"appCode":"g"}})").GetErrorCode(), "");
  ASSERT_EQ(installer.count(), 1);
  EXPECT_EQ(installer[0][0].value<std::string>(), "g");
  EXPECT_EQ(answerOf(R"({"type":"CloseTakeOverDialog","payload":{"appCode":"g","isTakeOver":true}})").GetErrorCode(), "");
  ASSERT_EQ(takeOver.count(), 1);
  EXPECT_TRUE(takeOver[0][1].toBool());

  const auto invalid = answerOf(R"({"type":"closedialog","payload":null})");
  EXPECT_EQ(invalid.GetErrorCode(), "InvalidType");
  EXPECT_EQ(invalid.GetErrorMessage(), "Invalid type = closedialog");
  EXPECT_EQ(answerOf(R"({"type":"CloseDialog"})").GetErrorCode(), "#ParseValue2JsonError");
  // Payloads the two dialog types cannot use: one error answer, no signal.
  for (const char* payload : {R"({"type":"CloseInstallerDialog","payload":[1]})",
                              R"({"type":"CloseInstallerDialog","payload":{"appCode":7}})",
                              R"({"type":"CloseTakeOverDialog","payload":{"appCode":"g"}})",
                              R"({"type":"CloseTakeOverDialog","payload":{"appCode":"g","isTakeOver":"yes"}})"}) {
    EXPECT_EQ(answerOf(payload).GetErrorCode(), "#ParseValue2JsonError") << payload;
  }
  EXPECT_EQ(closed.count() + installer.count() + takeOver.count(), 3);
}

TEST_F(VellPluginCatalogueTest, HostileInputIsAnsweredWithAnErrorAndNeverHalfParsed) {
  auto spy = SpyOnSignal(dynamic_cast<QObject*>(factory.Plugin("jssdk::uiModule:openWebDialog").get()));
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string huge = R"({"name":")" + std::string(8 << 20, 'x') + R"(","url":"u","width":1,"height":1e400})";
  for (const std::string& payload :
       {deep, huge, std::string(R"({"name":"n","url":"u","width":NaN,"height":1})"),
        std::string(R"({"name":"n","url":"u","width":-2147483649,"height":1})")}) {
    frame->Clear();
    Call("jssdk::uiModule:openWebDialog", payload);
    ASSERT_EQ(frame->Sent().size(), 1u) << payload.substr(0, 60);
    EXPECT_EQ(frame->Sent()[0].GetErrorCode(), "#ParseValue2JsonError") << payload.substr(0, 60);
  }
  EXPECT_EQ(spy->count(), 0);
  // Bytes that are not UTF-8 never reach a model: the process message carries
  // UTF-16, so they arrive as U+FFFD.
  Call("jssdk::uiModule:openWebDialog", "{\"name\":\"\xFF\",\"url\":\"u\",\"width\":1,\"height\":1}");
  ASSERT_EQ(spy->count(), 1);
  EXPECT_EQ(spy->at(0)[0].value<VellOpenWebDialogPluginModel::FireOpenWebDialogModel>().name, "\xEF\xBF\xBD");
  // Where any JSON value is allowed, a reasonable depth is carried.
  frame->Clear();
  const std::string nested = std::string(500, '[') + std::string(500, ']');
  Call("jssdk::networkModule:request", R"({"url":"u","data":)" + nested + R"(,"headers":{},"method":"GET"})");
  EXPECT_TRUE(frame->Sent().empty());  // emitted, waiting for the host
  Call("jssdk::networkModule:request", R"({"url":"u","data":)" + deep + R"(,"headers":{},"method":"GET"})");
  ASSERT_EQ(frame->Sent().size(), 1u);
  EXPECT_NE(frame->Sent()[0].GetErrorMessage().find("nesting deeper than 512 levels"), std::string::npos);
}

}  // namespace
