// The global scheme handler factories.
#include "include/cef_scheme.h"

#include "network/scheme_registry.h"

bool CefRegisterSchemeHandlerFactory(const CefString& scheme_name, const CefString& domain_name,
                                     CefRefPtr<CefSchemeHandlerFactory> factory) {
  return cefcompat::SchemeRegistry::Instance().RegisterFactory(scheme_name.ToString(), domain_name.ToString(), factory);
}

bool CefClearSchemeHandlerFactories() {
  cefcompat::SchemeRegistry::Instance().ClearFactories();
  return true;
}
