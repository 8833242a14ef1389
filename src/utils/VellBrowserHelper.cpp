#include "utils/VellBrowserHelper.h"

#include "base/VellLoggerAgent.h"

bool VellBrowserHelper::ExecuteJavaScript(const CefRefPtr<CefFrame>& frame, const CefString& code,
                                          const bool& printError) {
  if (frame && frame->IsValid()) {
    frame->ExecuteJavaScript(code, frame->GetURL(), 0);
    return true;
  }
  if (printError) VellLog(4, "unable execute js code = " + code.ToString());
  return false;
}
