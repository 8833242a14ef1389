#include "browser/zoom_controller.h"

#include <cmath>

#include "base/log.h"
#include "browser/runtime.h"

namespace cefcompat {

namespace {

constexpr double kZoomBase = 1.2;

// Puts `factor` into the document's own zoom sheet (made on first use).
std::string ZoomScript(double factor) {
  const std::string rule = factor == 1.0 ? "" : ":root { zoom: " + std::to_string(factor) + " !important; }";
  return "(() => {"
         "  const key = Symbol.for('cefcompat.zoom');"
         "  let sheet = document[key];"
         "  if (!sheet) {"
         "    sheet = new CSSStyleSheet();"
         "    Object.defineProperty(document, key, {value: sheet});"
         "    document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];"
         "  }"
         "  sheet.replaceSync('" + rule + "');"
         "})()";
}

}  // namespace

void ZoomController::Apply(double level) {
  if (!std::isfinite(level)) {
    Log(LOGSEVERITY_ERROR, "SetZoomLevel: the level must be a finite number");
    return;
  }
  level_ = level;
  const std::string script = ZoomScript(std::pow(kZoomBase, level));
  if (!script_->id.empty()) session_.Send("Page.removeScriptToEvaluateOnNewDocument", {{"identifier", script_->id}});
  script_->id.clear();
  const int generation = ++script_->generation;
  std::shared_ptr<Script> current = script_;
  const std::string sessionId = session_.SessionId();
  session_.Send("Page.addScriptToEvaluateOnNewDocument", {{"source", script}},
                [current, generation, sessionId](const Connection::Reply& reply) {
                  if (!reply.ok) return;
                  const std::string id = reply.result.value("identifier", std::string());
                  // A level set meanwhile has a script of its own.
                  if (generation == current->generation) {
                    current->id = id;
                  } else {
                    Runtime* runtime = Runtime::Get();
                    if (runtime) runtime->GetConnection().Send("Page.removeScriptToEvaluateOnNewDocument", {{"identifier", id}}, sessionId);
                  }
                });
  session_.Send("Runtime.evaluate", {{"expression", script}});
}

}  // namespace cefcompat
