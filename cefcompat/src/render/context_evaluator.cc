#include "render/context_evaluator.h"

#include "render/v8_context_impl.h"

namespace cefcompat {

namespace {

constexpr int kEvalTimeoutMs = 10000;
// The group of what the page throws at evaluations that wait.
constexpr char kWaitedGroup[] = "cefcompat-waited";

}  // namespace

void ContextEvaluator::Evaluate(V8ContextImpl* context, const std::string& expression) {
  if (!context->IsValid()) return;
  const std::string posted = context->TakePosted();
  if (!posted.empty()) SendEvaluation(context, posted);
  if (!expression.empty()) SendEvaluation(context, expression);
}

Connection::Reply ContextEvaluator::EvaluateAndWait(V8ContextImpl* context, const std::string& expression) {
  Evaluate(context, std::string());
  Json params = {{"expression", expression}, {"returnByValue", true}, {"objectGroup", kWaitedGroup}};
  const bool paused = PausedIn(context);
  if (paused) {
    params["callFrameId"] = paused_.callFrameId;
  } else {
    params["contextId"] = context->ContextId();
  }
  Connection::Reply reply = connection_.Call(paused ? "Debugger.evaluateOnCallFrame" : "Runtime.evaluate",
                                             std::move(params), context->SessionId(), kEvalTimeoutMs);
  if (reply.ok && reply.result.contains("exceptionDetails")) {
    connection_.Send("Runtime.releaseObjectGroup", {{"objectGroup", kWaitedGroup}}, context->SessionId());
  }
  return reply;
}

std::string ContextEvaluator::ScriptSource(V8ContextImpl* context, const std::string& scriptId) {
  const Connection::Reply reply =
      connection_.Call("Debugger.getScriptSource", {{"scriptId", scriptId}}, context->SessionId(), kEvalTimeoutMs);
  return reply.ok ? reply.result.value("scriptSource", std::string()) : std::string();
}

void ContextEvaluator::BeginPause(const std::string& sessionId, int contextId, const std::string& callFrameId) {
  paused_ = {true, sessionId, contextId, callFrameId};
}

void ContextEvaluator::EndPause(const std::string& sessionId) {
  paused_.active = false;
  auto& evaluations = pauseEvaluations_[sessionId];
  if (evaluations.pending > 0) {
    evaluations.resumeWanted = true;
    return;
  }
  Resume(sessionId);
}

void ContextEvaluator::Resume(const std::string& sessionId) {
  connection_.Send("Debugger.resume", Json::object(), sessionId);
}

bool ContextEvaluator::PausedIn(V8ContextImpl* context) const {
  return paused_.active && paused_.sessionId == context->SessionId() && paused_.contextId == context->ContextId();
}

void ContextEvaluator::SendEvaluation(V8ContextImpl* context, const std::string& statements) {
  // Nobody reads the value: one that is an object would stay bound in the
  // debugger, out of the collector's reach, until the context goes.
  const std::string expression = statements + "\n;undefined";
  if (PausedIn(context)) {
    // Chromium may run a resume before evaluations sent ahead of it: the
    // session resumes only once every evaluation of the pause has answered.
    const std::string sessionId = context->SessionId();
    ++pauseEvaluations_[sessionId].pending;
    CefRefPtr<CefBaseRefCounted> owner(owner_);
    connection_.Send("Debugger.evaluateOnCallFrame", {{"callFrameId", paused_.callFrameId}, {"expression", expression}},
                     sessionId, [owner, this, sessionId](const Connection::Reply&) { OnPauseEvaluated(sessionId); });
    return;
  }
  connection_.Send("Runtime.evaluate", {{"expression", expression}, {"contextId", context->ContextId()}},
                   context->SessionId());
}

void ContextEvaluator::OnPauseEvaluated(const std::string& sessionId) {
  auto& evaluations = pauseEvaluations_[sessionId];
  if (--evaluations.pending > 0 || !evaluations.resumeWanted) return;
  evaluations.resumeWanted = false;
  Resume(sessionId);
}

}  // namespace cefcompat
