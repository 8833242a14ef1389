// The command line the application object prepares in every process.
#include <gtest/gtest.h>

#include "core/VellApp.h"
#include "core/VellFeatureSettings.h"

namespace {

std::map<std::string, std::string> SwitchesWith(const std::map<std::string, std::string>& features,
                                                const VellAppUAInfo& info = {}) {
  VellFeatureSettings::Instance()->LoadModuleTable({{"class VellApp", features}});
  std::string hooked = "not called";
  CefRefPtr<VellApp> app(new VellApp(new VellV8Handler(), [&](const CefString& type, CefRefPtr<CefCommandLine> line) {
    hooked = type.ToString();
    EXPECT_TRUE(line->HasSwitch("user-agent"));  // the hook comes last
  }));
  app->SetVellAppUaInfo(info);
  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::CreateCommandLine();
  app->OnBeforeCommandLineProcessing("renderer", commandLine);
  EXPECT_EQ(hooked, "renderer");
  CefCommandLine::SwitchMap switches;
  commandLine->GetSwitches(switches);
  std::map<std::string, std::string> out;
  for (const auto& [name, value] : switches) out[name.ToString()] = value.ToString();
  return out;
}

const char kChromeUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/89.0.4389.114 "
    "Safari/537.36 ";

TEST(VellAppTest, CommandLineSwitchesFollowTheFeatures) {
  const std::map<std::string, std::string> defaults = {
      {"autoplay-policy", "no-user-gesture-required"},
      {"user-agent", std::string(kChromeUserAgent) + "[DrevanLauncher////0]"},
  };
  EXPECT_EQ(SwitchesWith({{"IsSingleProcessEnable", "OFF"}, {"RemoteDebuggingPort", "0"}}), defaults);
  // Four empty fields: four separators. An unparseable port adds nothing.
  EXPECT_EQ(SwitchesWith({{"RemoteDebuggingPort", "port"}}), defaults);

  auto switches = SwitchesWith({{"IsSingleProcessEnable", "ON"}, {"RemoteDebuggingPort", "9222"}},
                               {"test", "en", "1.2.3", true});
  EXPECT_EQ(switches["user-agent"], std::string(kChromeUserAgent) + "[DrevanLauncher/test/en/1.2.3/1]");
  EXPECT_EQ(switches["remote-debugging-port"], "9222");
  EXPECT_EQ(switches.count("single-process"), 1u);
  EXPECT_EQ(switches.size(), 4u);
}

}  // namespace
