#include "network/scheme_registrar_impl.h"

#include <atomic>

#include "include/cef_app.h"
#include "network/scheme_registry.h"

namespace cefcompat {

bool SchemeRegistrarImpl::AddCustomScheme(const CefString& scheme_name, int options) {
  return SchemeRegistry::Instance().AddCustomScheme(scheme_name.ToString(), options);
}

void SchemeRegistrarImpl::RegisterOnce(CefRefPtr<CefApp> app) {
  static std::atomic<bool> registered{false};
  if (!app || registered.exchange(true)) return;
  SchemeRegistrarImpl registrar;
  app->OnRegisterCustomSchemes(&registrar);
}

}  // namespace cefcompat
