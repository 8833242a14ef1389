#pragma once

#include <string>

// The four fields of the user-agent tag "[DrevanLauncher/env/lang/version/gp]",
// which pages read back into window.__VELL_…__ globals.
struct VellAppUAInfo {
  std::string strEnv;
  std::string strLang;
  std::string strLauncherVersion;
  bool bIsGp = false;
};
