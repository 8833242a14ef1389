#include "plugins/game_plugins/VellGamePluginsRegister.h"

#include "plugins/VellActionNames.h"
#include "plugins/VellPluginTable.h"
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

// In table order: the order the page-side SDK and the hosts know them by.
std::shared_ptr<VellError> VellGamePluginsRegister::Register(VellV8PluginFactory* factory) {
  return VellPluginTable::Register(
      factory, this,
      {
          VellPluginTable::Of<VellAddGamePlugin>(VellActionNames::kAddGame),
          VellPluginTable::Of<VellSwitchGamePlugin>(VellActionNames::kSwitchGame),
          VellPluginTable::Of<VellCreateGameTaskPlugin>(VellActionNames::kCreateGameTask),
          VellPluginTable::Of<VellSelectInstallDirectoryPlugin>(VellActionNames::kSelectInstallDirectory),
          VellPluginTable::Of<VellSaveGameServerSelectionPlugin>(VellActionNames::kSaveGameServerSelection),
          VellPluginTable::Of<VellExecGameToolPlugin>(VellActionNames::kExecGameTool),
          VellPluginTable::Of<VellGetGameLibrariesPlugin>(VellActionNames::kGetGameLibraries),
          VellPluginTable::Of<VellGetGameSelectionsPlugin>(VellActionNames::kGetGameSelections),
          VellPluginTable::Of<VellGetGameDownloadStatusPlugin>(VellActionNames::kGetGameDownloadStatus),
          VellPluginTable::Of<VellGetGameInfoPlugin>(VellActionNames::kGetGameInfo),
          VellPluginTable::Of<VellGetGameInstallerBasicInfoPlugin>(VellActionNames::kGetGameInstallerBasicInfo),
          VellPluginTable::Of<VellGetGameToolInfoPlugin>(VellActionNames::kGetGameToolInfo),
          VellPluginTable::Of<VellGetGamePoliciesPlugin>(VellActionNames::kGetGamePolicies),
          VellPluginTable::Of<VellGetRatingSystemInfoPlugin>(VellActionNames::kGetRatingSystemInfo),
          VellPluginTable::Of<VellGetGameServerListPlugin>(VellActionNames::kGetGameServerList),
          VellPluginTable::Of<VellGetGameRecentServerListPlugin>(VellActionNames::kGetGameRecentServerList),
          VellPluginTable::Of<VellGetGameCurrentSelectedServerPlugin>(VellActionNames::kGetGameCurrentSelectedServer),
          VellPluginTable::Of<VellExtensionCardPlugin>(VellActionNames::kExtensionCard),
          VellPluginTable::Of<VellSeasonListPlugin>(VellActionNames::kSeasonList),
          VellPluginTable::Of<VellSeasonDataPlugin>(VellActionNames::kSeasonData),
          VellPluginTable::Of<VellGameRecordPlugin>(VellActionNames::kGameRecord),
          VellPluginTable::Of<VellGetGameZonePageConfigPlugin>(VellActionNames::kGetGameZonePageConfig),
      },
      "VellGamePluginsRegister failed.", "VellGamePluginsRegister::Register");
}
