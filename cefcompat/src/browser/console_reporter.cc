#include "browser/console_reporter.h"

#include "base/log.h"

namespace cefcompat {

namespace {

cef_log_severity_t ConsoleLevel(const std::string& type) {
  if (type == "debug") return LOGSEVERITY_VERBOSE;
  if (type == "warning") return LOGSEVERITY_WARNING;
  if (type == "error" || type == "assert") return LOGSEVERITY_ERROR;
  return LOGSEVERITY_INFO;
}

std::string RemoteObjectText(const Json& arg) {
  if (arg.contains("value")) {
    const Json& value = arg["value"];
    return value.is_string() ? value.get<std::string>() : value.dump();
  }
  if (arg.contains("unserializableValue")) return arg["unserializableValue"].get<std::string>();
  if (arg.contains("description")) return arg["description"].get<std::string>();
  return arg.value("type", std::string("undefined"));
}

}  // namespace

ConsoleReporter::ConsoleReporter(CefBrowser* browser, CefRefPtr<CefClient> client)
    : browser_(browser), client_(std::move(client)) {}

void ConsoleReporter::Subscribe(PageSession& session) {
  session.On("Runtime.consoleAPICalled", [this](const Json& params) { OnConsole(params); });
  session.On("Runtime.exceptionThrown", [this](const Json& params) { OnException(params); });
}

void ConsoleReporter::OnConsole(const Json& params) {
  std::string message;
  for (const auto& arg : params.value("args", Json::array())) {
    message += (message.empty() ? "" : " ") + RemoteObjectText(arg);
  }
  std::string source;
  int line = 0;
  const Json frames = params.value("stackTrace", Json::object()).value("callFrames", Json::array());
  if (!frames.empty()) {
    source = frames[0].value("url", std::string());
    line = frames[0].value("lineNumber", 0) + 1;
  }
  Report(ConsoleLevel(params.value("type", std::string())), message, source, line);
}

void ConsoleReporter::OnException(const Json& params) {
  const Json details = params.value("exceptionDetails", Json::object());
  std::string description = details.value("exception", Json::object()).value("description", std::string());
  description = description.substr(0, description.find('\n'));
  const std::string text = details.value("text", std::string("Uncaught"));
  const std::string message = description.empty() ? text : text + " " + description;
  Report(LOGSEVERITY_ERROR, message, details.value("url", std::string()), details.value("lineNumber", 0) + 1);
}

void ConsoleReporter::Report(cef_log_severity_t level, const std::string& message, const std::string& source,
                             int line) {
  auto display = client_ ? client_->GetDisplayHandler() : nullptr;
  if (display && display->OnConsoleMessage(browser_, level, message, source, line)) return;
  Log(LOGSEVERITY_INFO, "CONSOLE(" + std::to_string(line) + ") \"" + message + "\", source: " + source);
}

}  // namespace cefcompat
