#pragma once

#include <map>
#include <string>

#include "include/cef_base.h"
#include "protocol/connection.h"

namespace cefcompat {

class V8ContextImpl;

// Sends one browser's evaluations to its contexts, each after what was posted
// to its context. While the page waits paused in our script, evaluations in
// that context run on the paused call frame, and the session resumes only
// once every evaluation of the pause has answered. TID_RENDERER.
class ContextEvaluator {
 public:
  // `owner` holds this evaluator; the replies still due keep it.
  ContextEvaluator(CefBaseRefCounted* owner, Connection& connection) : owner_(owner), connection_(connection) {}

  void Evaluate(V8ContextImpl* context, const std::string& expression);
  // The value by value; objects the page threw are let go once answered.
  Connection::Reply EvaluateAndWait(V8ContextImpl* context, const std::string& expression);
  // The source of a script of the context's session; empty when the debugger no longer has it.
  std::string ScriptSource(V8ContextImpl* context, const std::string& scriptId);
  // The page waits in our script at `callFrameId`: evaluations in the context go there until EndPause.
  void BeginPause(const std::string& sessionId, int contextId, const std::string& callFrameId);
  // Resumes the session once the pause's evaluations have answered.
  void EndPause(const std::string& sessionId);
  void Resume(const std::string& sessionId);
  // The page waits in our script in this context (a native call, or its setup).
  bool PausedIn(V8ContextImpl* context) const;

 private:
  void SendEvaluation(V8ContextImpl* context, const std::string& statements);
  void OnPauseEvaluated(const std::string& sessionId);

  struct Pause {
    bool active = false;
    std::string sessionId;
    int contextId = 0;
    std::string callFrameId;
  };
  struct PauseEvaluations {
    int pending = 0;
    bool resumeWanted = false;
  };

  CefBaseRefCounted* const owner_;
  Connection& connection_;
  Pause paused_;
  std::map<std::string, PauseEvaluations> pauseEvaluations_;
};

}  // namespace cefcompat
