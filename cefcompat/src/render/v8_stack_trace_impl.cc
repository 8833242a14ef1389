#include "render/v8_stack_trace_impl.h"

#include <string>

#include "base/log.h"
#include "protocol/link.h"
#include "render/page_script.h"
#include "render/render_browser.h"
#include "render/render_process.h"
#include "render/v8_context_impl.h"
#include "render/v8_stack_frame_impl.h"

namespace cefcompat {

CefRefPtr<V8StackTraceImpl> V8StackTraceImpl::Capture(V8ContextImpl* context, int limit) {
  std::vector<CefRefPtr<CefV8StackFrame>> frames;
  if (limit <= 0 || !context->Browser()->PausedIn(context)) return new V8StackTraceImpl(std::move(frames));
  const auto reply = context->Browser()->EvaluateAndWait(
      context, "__cefcompat.stack(" + std::to_string(limit) + ", " + JsString(kSetupScriptUrl) + ")");
  const Json read = reply.ok ? reply.result.value("result", Json::object()).value("value", Json()) : Json();
  if (!read.is_array()) {
    Log(LOGSEVERITY_WARNING, "the page's stack could not be read: " + (reply.ok ? reply.result.dump() : reply.error));
    return new V8StackTraceImpl(std::move(frames));
  }
  for (const auto& frame : read) {
    frames.push_back(
        new V8StackFrameImpl({frame.value("script", std::string()), frame.value("source", std::string()),
                              frame.value("name", std::string()), frame.value("line", 0), frame.value("column", 0),
                              frame.value("eval", false), frame.value("constructor", false)}));
  }
  return new V8StackTraceImpl(std::move(frames));
}

CefRefPtr<CefV8StackFrame> V8StackTraceImpl::GetFrame(int index) {
  return index >= 0 && index < GetFrameCount() ? frames_[index] : nullptr;
}

}  // namespace cefcompat

CefRefPtr<CefV8StackTrace> CefV8StackTrace::GetCurrent(int frame_limit) {
  CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
  if (!cefcompat::RenderProcess::OnRendererThread() || !context || !context->IsValid()) return nullptr;
  return cefcompat::V8StackTraceImpl::Capture(static_cast<cefcompat::V8ContextImpl*>(context.get()), frame_limit);
}
