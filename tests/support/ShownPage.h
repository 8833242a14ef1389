#pragma once

#include <memory>

#include <QSignalSpy>
#include <gtest/gtest.h>

#include "WaitUntil.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "plugins/data_analysis_plugins/VellReportPlugin.h"

// A page shown the way the launcher shows one: an independent browser on
// about:blank in a widget, its plugins registered; closed after the test.
class ShownPage : public ::testing::Test {
 protected:
  void SetUp() override {
    browser.Init("about:blank");
    ASSERT_FALSE(browser.IsInitBrowserFailed());
    widget->ConnectCefBrowser(&browser);
    signals_ = browser.GetVellSignalsWidget();
    ASSERT_TRUE(WaitUntil([&] { return browser.GetVellHandler()->GetBrowser() && signals_->findChild<VellReportPlugin*>(); }));
    ASSERT_TRUE(WaitUntil([&] { return !signals_->IsLoading(); }));
  }
  void TearDown() override {
    QSignalSpy closed(signals_, &VellSignalsWidget::OnBeforeClose);
    widget.reset();  // closes the browser
    EXPECT_TRUE(WaitUntil([&] { return closed.count() == 1; }));
    delete signals_;
  }
  template <class Plugin>
  Plugin* Find() {
    return signals_->findChild<Plugin*>();
  }

  VellIndependentBrowser browser;
  std::unique_ptr<VellWidget> widget = std::make_unique<VellWidget>();
  VellSignalsWidget* signals_ = nullptr;
};
