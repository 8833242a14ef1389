#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/VellApp.h"
#include "core/VellFeatureSettings.h"

// Brings the runtime up the way a launcher does (VellApp, VellBootstrap),
// with the framework's sub-process executable as every render process and a
// temporary profile; shuts it down after the last test.
class LauncherEnvironment : public ::testing::Environment {
 public:
  explicit LauncherEnvironment(VellFeatureSettings::ModuleTable features = {},
                               VellAppUAInfo uaInfo = {"test", "en", "1.2.3", true})
      : m_features(std::move(features)), m_uaInfo(std::move(uaInfo)) {}
  void SetUp() override;
  void TearDown() override;

  // The process types the command-line hook saw.
  static std::vector<std::string> HookedProcessTypes();

 private:
  VellFeatureSettings::ModuleTable m_features;
  VellAppUAInfo m_uaInfo;
};
