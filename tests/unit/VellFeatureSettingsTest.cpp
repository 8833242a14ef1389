#include <gtest/gtest.h>

#include "LogCapture.h"
#include "core/VellFeatureSettingsMixins.h"

namespace {

// Reading classes of their own, so that each test controls its module's table.
class DefaultApp : public VellAppFeatureSettingsMixin<DefaultApp> {};
class DefaultWidget : public VellSignalsWidgetMixin<DefaultWidget> {};
class DefaultTimer : public VTimeItFeatureSettingsMixin<DefaultTimer> {};
class DefaultPin : public VTimeItPinFeatureSettingsMixin<DefaultPin> {};
class FlagApp : public VellAppFeatureSettingsMixin<FlagApp> {
 public:
  using VellAppFeatureSettingsMixin<FlagApp>::GetModuleName;
};
class PortApp : public VellAppFeatureSettingsMixin<PortApp> {
 public:
  using VellAppFeatureSettingsMixin<PortApp>::GetModuleName;
};

// Captures what the integer accessors write to standard error.
class StderrCapture {
 public:
  StderrCapture() { testing::internal::CaptureStderr(); }
  std::string Take() { return testing::internal::GetCapturedStderr(); }
};

TEST(VellFeatureSettingsTest, DefaultsWithEmptyTables) {
  DefaultApp app;
  EXPECT_TRUE(app.IsCefExtensionEnable());
  EXPECT_TRUE(app.IsScrollStyleScriptEnable());
  EXPECT_FALSE(app.IsSingleProcessEnable());
  EXPECT_FALSE(app.IsLogEnable());
  EXPECT_EQ(app.RemoteDebuggingPort(), 0);
  DefaultWidget widget;
  EXPECT_EQ(widget.RenderProcessTerminatedLimit(), 5);
  EXPECT_TRUE(widget.ResetRenderProcessTerminatedCounterIfSuccess());
  EXPECT_EQ(DefaultTimer().ErrorTime(), 10000);
  EXPECT_EQ(DefaultTimer().WarnTime(), 0);
  EXPECT_EQ(DefaultPin().ErrorTime(), 10000);
  EXPECT_EQ(DefaultPin().WarnTime(), 10);
}

TEST(VellFeatureSettingsTest, ModuleNamesAreClassPrefixed) {
  EXPECT_STREQ(FlagApp::GetModuleName(), "class {anonymous}::FlagApp");
}

TEST(VellFeatureSettingsTest, FlagsMatchExactlyAndSnapshotsAreTakenAtConstruction) {
  auto* registry = VellFeatureSettings::Instance();
  registry->LoadModuleTable({{FlagApp::GetModuleName(),
                              {{"IsLogEnable", "ON"},
                               {"IsCefExtensionEnable", "on"},
                               {"IsScrollStyleScriptEnable", "true"},
                               {"IsSingleProcessEnable", "ON"}}}});
  FlagApp before;
  EXPECT_TRUE(before.IsLogEnable());
  EXPECT_FALSE(before.IsCefExtensionEnable());
  EXPECT_FALSE(before.IsScrollStyleScriptEnable());
  EXPECT_TRUE(before.IsSingleProcessEnable());

  registry->LoadModuleTable({{FlagApp::GetModuleName(), {{"IsLogEnable", "OFF"}}}});
  EXPECT_TRUE(before.IsLogEnable());
  EXPECT_FALSE(FlagApp().IsLogEnable());
  EXPECT_TRUE(FlagApp().IsSingleProcessEnable());  // other keys are kept
}

TEST(VellFeatureSettingsTest, IntegerParsingFollowsStoi) {
  auto* registry = VellFeatureSettings::Instance();
  const auto port = [&](const std::string& text) {
    registry->LoadModuleTable({{PortApp::GetModuleName(), {{"RemoteDebuggingPort", text}}}});
    return PortApp().RemoteDebuggingPort();
  };
  {
    StderrCapture err;
    EXPECT_EQ(port("9222"), 9222);
    EXPECT_EQ(port("  -7"), -7);
    EXPECT_EQ(port("9222abc"), 9222);
    EXPECT_EQ(err.Take(), "");
  }
  {
    StderrCapture err;
    EXPECT_EQ(port("abc"), -1);
    EXPECT_EQ(err.Take(), "Invalid argument: stoi\n");
  }
  {
    StderrCapture err;
    EXPECT_EQ(port("12345678901"), -1);
    EXPECT_EQ(err.Take(), "Out of range: stoi\n");
  }
}

TEST(VellFeatureSettingsTest, RepeatedRegistration) {
  auto* registry = VellFeatureSettings::Instance();
  EXPECT_TRUE(registry->Register("class RegisterProbe", false));
  EXPECT_FALSE(registry->Register("class RegisterProbe", true));

  LogCapture capture;
  EXPECT_FALSE(registry->Register("class RegisterProbe", false));
  ASSERT_EQ(capture.Lines().size(), 1u);
  EXPECT_EQ(capture.Lines()[0].type, QtWarningMsg);
  EXPECT_EQ(capture.Lines()[0].text,
            "[VELL] VellFeatureSettings::Register: module class RegisterProbe has been registered");

  std::vector<std::pair<std::string, std::string>> reported;
  registry->SetRegisterErrorCallback(
      [&](const std::string& module, const std::string& message) { reported.emplace_back(module, message); });
  EXPECT_FALSE(registry->Register("class RegisterProbe", false));
  registry->SetRegisterErrorCallback(nullptr);
  ASSERT_EQ(reported.size(), 1u);
  EXPECT_EQ(reported[0].first, "class RegisterProbe");
  EXPECT_EQ(capture.Lines().size(), 1u);
  EXPECT_TRUE(registry->GetFeatureMap("class NeverRegistered").empty());
}

TEST(VellFeatureSettingsTest, JsonToMapModule) {
  const auto table = VellFeatureSettings::JsonToMapModule(
      nlohmann::json::parse(R"({"class VellApp":{"IsLogEnable":"ON","RemoteDebuggingPort":"9222"},"class X":{}})"));
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table.at("class VellApp").at("RemoteDebuggingPort"), "9222");
  EXPECT_TRUE(table.at("class X").empty());

  try {
    VellFeatureSettings::JsonToMapModule(nlohmann::json::parse(R"({"class VellApp":{"RemoteDebuggingPort":9222}})"));
    FAIL() << "a number value must be refused";
  } catch (const nlohmann::json::type_error& e) {
    EXPECT_NE(std::string(e.what()).find("type must be string, but is number"), std::string::npos);
  }
}

}  // namespace
