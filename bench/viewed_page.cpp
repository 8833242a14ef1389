#include "viewed_page.h"

#include <QVBoxLayout>

#include "bench_support.h"
#include "browser/browser_impl.h"
#include "browser/runtime.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "inter/VellBrowserWrapper.h"
#include "view/surface_window.h"

namespace {

constexpr int kShowTimeoutMs = 15000;
constexpr int kEvaluateTimeoutMs = 5000;
constexpr int kPageCheckMs = 50;

}  // namespace

ViewedPage::~ViewedPage() {
  if (!widget_) return;
  VellSignalsWidget* signalsWidget = browser_.GetVellSignalsWidget();
  bool closed = false;
  QObject::connect(signalsWidget, &VellSignalsWidget::OnBeforeClose, [&closed] { closed = true; });
  delete widget_;  // closes the browser
  RunUntil([&closed] { return closed; }, kShowTimeoutMs);
  delete signalsWidget;
}

bool ViewedPage::Start(int width, int height) {
  browser_.Init("about:blank");
  if (browser_.IsInitBrowserFailed()) return false;
  widget_ = new VellWidget();
  auto* layout = new QVBoxLayout(&window_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(widget_);
  widget_->ConnectCefBrowser(&browser_);
  // Shown once the browser's view is in the widget, as a launcher shows its
  // window after building it.
  if (!RunUntil([&] { return widget_->layout()->count() > 0; }, kShowTimeoutMs)) return false;
  window_.move(40, 40);
  window_.show();
  return Resize(width, height);
}

bool ViewedPage::Resize(int width, int height) {
  const QSize size(width, height);
  window_.resize(size);
  if (!RunUntil([&] { return widget_->size() == size && Surface() && Surface()->size() == size; }, kShowTimeoutMs)) {
    return false;
  }
  const std::string wanted = std::to_string(width) + "x" + std::to_string(height);
  return WaitForPage("innerWidth + 'x' + innerHeight === '" + wanted + "'", kShowTimeoutMs);
}

bool ViewedPage::Load(const std::string& url, const std::string& ready) {
  widget_->LoadUrl(url);
  return WaitForPage(ready, kShowTimeoutMs);
}

std::string ViewedPage::Evaluate(const std::string& expression) {
  VellBrowserWrapper* wrapper = browser_.GetVellHandler()->GetBrowser();
  if (!wrapper || !wrapper->GetHost()) return {};
  const auto* page = static_cast<const cefcompat::BrowserImpl*>(wrapper->GetHost()->GetBrowser().get());
  const auto reply = cefcompat::Runtime::Get()->GetConnection().Call(
      "Runtime.evaluate", {{"expression", "String(" + expression + ")"}, {"returnByValue", true}}, page->SessionId(),
      kEvaluateTimeoutMs);
  if (!reply.ok) return {};
  return reply.result.value("result", cefcompat::Json::object()).value("value", std::string());
}

// Checked between runs of the event loop: the page answers over the protocol,
// which has no signal of its own for a page's state.
bool ViewedPage::WaitForPage(const std::string& expression, int timeoutMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < timeoutMs) {
    if (Evaluate(expression) == "true") return true;
    RunFor(kPageCheckMs);
  }
  return false;
}

cefcompat::SurfaceWindow* ViewedPage::Surface() {
  VellBrowserWrapper* wrapper = browser_.GetVellHandler() ? browser_.GetVellHandler()->GetBrowser() : nullptr;
  if (!wrapper) return nullptr;
  return static_cast<cefcompat::SurfaceWindow*>(cefcompat::SurfaceForHandle(wrapper->GetWindowHandle()));
}

unsigned long ViewedPage::ChromiumWindow() {
  cefcompat::SurfaceWindow* surface = Surface();
  return surface ? surface->Embedded() : 0;
}

QPoint ViewedPage::GlobalCentre() const { return widget_->mapToGlobal(widget_->rect().center()); }
