#pragma once

#include <string>

#include "include/cef_v8.h"

namespace cefcompat {

// One frame of a stack trace, as the page's V8 reported it while it waited.
// A copy: valid on any thread, for as long as it is held.
class V8StackFrameImpl : public CefV8StackFrame {
 public:
  struct Fields {
    std::string scriptName;
    std::string scriptNameOrSourceUrl;
    std::string functionName;
    int line = 0;
    int column = 0;
    bool isEval = false;
    bool isConstructor = false;
  };

  explicit V8StackFrameImpl(Fields fields) : fields_(std::move(fields)) {}

  bool IsValid() override { return true; }
  CefString GetScriptName() override { return fields_.scriptName; }
  CefString GetScriptNameOrSourceURL() override { return fields_.scriptNameOrSourceUrl; }
  CefString GetFunctionName() override { return fields_.functionName; }
  int GetLineNumber() override { return fields_.line; }
  int GetColumn() override { return fields_.column; }
  bool IsEval() override { return fields_.isEval; }
  bool IsConstructor() override { return fields_.isConstructor; }

 private:
  const Fields fields_;
  IMPLEMENT_REFCOUNTING(V8StackFrameImpl);
};

}  // namespace cefcompat
