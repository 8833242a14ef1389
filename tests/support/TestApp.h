#pragma once

#include <functional>

#include "include/cef_app.h"

// The application object of a test executable, made in the launcher process
// and in each render sub-process the runtime starts from the same executable.
using TestAppFactory = std::function<CefRefPtr<CefApp>()>;
bool SetTestAppFactory(TestAppFactory factory);
CefRefPtr<CefApp> MakeTestApp();

// An application object whose render side is a `Handler`.
template <class Handler>
class RenderHandlerApp : public CefApp {
 public:
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return handler_; }
  // Tests built for the single-process mode ask for it in the launcher's process.
  void OnBeforeCommandLineProcessing(const CefString& type, CefRefPtr<CefCommandLine> line) override {
#ifdef VELL_TEST_SINGLE_PROCESS
    if (type.empty()) line->AppendSwitch("single-process");
#else
    (void)type, (void)line;
#endif
  }

 private:
  CefRefPtr<Handler> handler_{new Handler()};
  IMPLEMENT_REFCOUNTING(RenderHandlerApp);
};
