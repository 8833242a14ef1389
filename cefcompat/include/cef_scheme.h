#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"
#include "include/cef_request.h"
#include "include/cef_resource_handler.h"

class CefSchemeHandlerFactory;

// Registers `factory` for requests to `scheme_name` (http, https or a scheme
// added with CefSchemeRegistrar::AddCustomScheme) and, for standard schemes,
// to `domain_name` (empty: every domain). A null factory removes the one
// registered for that scheme and domain. False, with the reason in the log,
// for a scheme this runtime cannot serve. Any thread of the browser process.
bool CefRegisterSchemeHandlerFactory(const CefString& scheme_name, const CefString& domain_name,
                                     CefRefPtr<CefSchemeHandlerFactory> factory);

// Removes every registered factory. Any thread of the browser process.
bool CefClearSchemeHandlerFactories();

// Adds custom schemes; valid only during CefApp::OnRegisterCustomSchemes.
class CefSchemeRegistrar : public CefBaseScoped {
 public:
  // `options` combines cef_scheme_options_t values. False when the name is
  // not a valid scheme name, is one of Chromium's own schemes, or was
  // already added.
  virtual bool AddCustomScheme(const CefString& scheme_name, int options) = 0;
};

// Makes the resource handler of each request to the scheme (and domain) it is
// registered for. TID_IO.
class CefSchemeHandlerFactory : public virtual CefBaseRefCounted {
 public:
  // A handler for `request` (which must not be changed), or null to leave the
  // request to Chromium (http, https) or fail it with ERR_UNKNOWN_URL_SCHEME
  // (custom schemes).
  virtual CefRefPtr<CefResourceHandler> Create(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                               const CefString& scheme_name, CefRefPtr<CefRequest> request) = 0;
};
