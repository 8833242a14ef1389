#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/VellSettings.h"

namespace {

TEST(VellSettingsTest, BuiltInValuesAndModification) {
  QTemporaryDir dir;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(dir.path()));
  const QString current = QDir::currentPath();
  auto* settings = VellSettings::Instance();  // first use: built here, in `dir`
  QDir::setCurrent(previous);

  const CefSettings& native = settings->GetNativeCefSettings();
  EXPECT_EQ(native.size, sizeof(cef_settings_t));
  EXPECT_EQ(native.no_sandbox, 1);
  EXPECT_EQ(native.multi_threaded_message_loop, 1);
  EXPECT_EQ(native.windowless_rendering_enabled, 0);
  EXPECT_EQ(CefString(&native.cache_path).ToString(), current.toStdString() + "data/Cache/CefWebCache");
  EXPECT_EQ(CefString(&native.locale).ToString(), "en-US");
  EXPECT_EQ(native.log_severity, LOGSEVERITY_ERROR);
  EXPECT_EQ(native.ignore_certificate_errors, 1);
  EXPECT_EQ(native.background_color, 0xFF0F1011u);
  EXPECT_TRUE(CefString(&native.browser_subprocess_path).empty());
  EXPECT_TRUE(CefString(&native.user_agent).empty());
  EXPECT_EQ(native.remote_debugging_port, 0);

  const auto& features = settings->GetVellFeatureSettings();
  ASSERT_EQ(features.size(), 1u);
  EXPECT_EQ(features.at("class VellApp"),
            (std::map<std::string, std::string>{{"IsLogEnable", "ON"},
                                                {"IsScrollStyleScriptEnable", "ON"},
                                                {"IsCefExtensionEnable", "ON"},
                                                {"IsSingleProcessEnable", "OFF"}}));

  settings->ModifyNativeCefSettings([](CefSettings& s) { s.remote_debugging_port = 9222; });
  EXPECT_EQ(settings->GetNativeCefSettings().remote_debugging_port, 9222);
  EXPECT_EQ(CefString(&settings->GetNativeCefSettings().locale).ToString(), "en-US");

  settings->ModifyVellFeatureSettings([](VellSettings::FeatureTable& t) { t["class VellApp"]["IsLogEnable"] = "OFF"; });
  EXPECT_EQ(settings->GetVellFeatureSettings().at("class VellApp").at("IsLogEnable"), "OFF");
}

}  // namespace
