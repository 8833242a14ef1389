#pragma once

#include "include/cef_scheme.h"

class CefApp;

namespace cefcompat {

// The registrar CefApp::OnRegisterCustomSchemes is given: adds to this
// process's SchemeRegistry. Lives on the stack for the length of that call.
class SchemeRegistrarImpl : public CefSchemeRegistrar {
 public:
  bool AddCustomScheme(const CefString& scheme_name, int options) override;

  // Asks `app` for its custom schemes, once per process (as CEF does); later
  // calls do nothing.
  static void RegisterOnce(CefRefPtr<CefApp> app);
};

}  // namespace cefcompat
