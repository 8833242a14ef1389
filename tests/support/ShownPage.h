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
    closed_ = std::make_unique<QSignalSpy>(signals_, &VellSignalsWidget::OnBeforeClose);
  }
  // The browser closes with its widget, unless it closed before (a test that closed it, or Chromium gone).
  void TearDown() override {
    widget.reset();
    if (closed_) {
      EXPECT_TRUE(WaitUntil([&] { return closed_->count() == 1; }));
    }
    closed_.reset();
    delete signals_;
  }
  template <class Plugin>
  Plugin* Find() {
    return signals_->findChild<Plugin*>();
  }

  VellIndependentBrowser browser;
  std::unique_ptr<VellWidget> widget = std::make_unique<VellWidget>();
  VellSignalsWidget* signals_ = nullptr;
  std::unique_ptr<QSignalSpy> closed_;  // the browser's OnBeforeClose, from the end of SetUp
};
