#pragma once

#include <atomic>
#include <string>

#include "core/VellHandler.h"
#include "core/VellSignalsWidget.h"

class VellLoadingStateTracker;

// One browser with its handler, signals widget and loading-state tracker,
// created in a hidden window of its own until a VellWidget shows it.
// Qt thread. The signals widget has no Qt parent: its owner deletes it only
// after the browser's OnBeforeClose has been delivered.
class VellIndependentBrowser {
 public:
  VellIndependentBrowser() = default;
  ~VellIndependentBrowser() = default;

  // Asks the runtime for the browser; IsInitBrowserFailed() tells when it refused.
  void Init(const std::string& url);

  CefRefPtr<VellHandler> GetVellHandler() const { return m_pHandler; }
  VellSignalsWidget* GetVellSignalsWidget() const { return m_pSignalsWidget; }
  bool HasInitBrowser() const { return m_bInit; }
  bool IsInitBrowserFailed() const { return m_bInitFailed; }

 private:
  static void _InitCefBrowserSettings(CefBrowserSettings& settings);

  CefRefPtr<VellHandler> m_pHandler;
  std::atomic<bool> m_bInit{false};
  std::atomic<bool> m_bInitFailed{false};
  VellSignalsWidget* m_pSignalsWidget = nullptr;
  VellLoadingStateTracker* m_pTracker = nullptr;
};
