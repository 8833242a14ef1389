#pragma once

#include <string>

#include "include/cef_v8.h"
#include "render/page_script.h"

namespace cefcompat {

// An exception as CefV8Context::Eval reports it, read from the protocol's
// exception details: V8's message ("Uncaught " and what was thrown), where it
// was thrown, and the line there. Any thread.
class V8ExceptionImpl : public CefV8Exception {
 public:
  struct Where {
    std::string resourceName;
    std::string sourceLine;
    int line = 0;  // 1-based; 0 when unknown
    int startPosition = 0;
    int endPosition = 0;
    int startColumn = 0;
    int endColumn = 0;
  };

  // An evaluation that could not run at all.
  explicit V8ExceptionImpl(std::string message) : message_(std::move(message)) {}
  V8ExceptionImpl(std::string message, Where where) : message_(std::move(message)), where_(std::move(where)) {}

  // `details` are the protocol's; `source` the text of the script they point
  // into, named `resourceName`, whose first line counts as `firstLine`.
  static CefRefPtr<V8ExceptionImpl> FromDetails(const Json& details, const std::string& source,
                                                const std::string& resourceName, int firstLine);

  CefString GetMessage() override { return message_; }
  CefString GetSourceLine() override { return where_.sourceLine; }
  CefString GetScriptResourceName() override { return where_.resourceName; }
  int GetLineNumber() override { return where_.line; }
  int GetStartPosition() override { return where_.startPosition; }
  int GetEndPosition() override { return where_.endPosition; }
  int GetStartColumn() override { return where_.startColumn; }
  int GetEndColumn() override { return where_.endColumn; }

 private:
  static std::string MessageOf(const Json& details);

  const std::string message_;
  const Where where_;
  IMPLEMENT_REFCOUNTING(V8ExceptionImpl);
};

}  // namespace cefcompat
