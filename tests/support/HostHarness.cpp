#include "HostHarness.h"

#include <regex>
#include <sstream>

#include "RuntimeEnvironment.h"

LogCapture& HostLog() {
  static LogCapture* const log = new LogCapture();
  return *log;
}

namespace {
// Created at start-up, so that the runtime's first lines are kept too.
LogCapture* const g_log = &HostLog();
}  // namespace

bool WaitForLog(const std::string& part) { return WaitUntil([&] { return !g_log->Matching(part).empty(); }); }

std::vector<LogCapture::Line> ConsoleLines(const std::string& message) {
  std::vector<LogCapture::Line> lines;
  const std::string tail = " " + message;
  for (const auto& line : g_log->Matching("OnConsoleMessage: ")) {
    if (line.text.size() >= tail.size() && line.text.compare(line.text.size() - tail.size(), tail.size(), tail) == 0) {
      lines.push_back(line);
    }
  }
  return lines;
}

std::string LastLoggedSize(const std::vector<std::string>& tags) {
  static const std::regex kSize("^[0-9]+x[0-9]+$");
  std::string size;
  for (const auto& line : g_log->Matching("OnConsoleMessage: ")) {
    for (const std::string& tag : tags) {
      const auto at = line.text.find(" " + tag + "|");
      if (at == std::string::npos) continue;
      std::istringstream fields(line.text.substr(at + 1));
      for (std::string field; std::getline(fields, field, '|');) {
        if (!std::regex_match(field, kSize)) continue;
        size = field;
        break;
      }
    }
  }
  return size;
}

bool WaitForConsole(const std::string& message) { return WaitUntil([&] { return !ConsoleLines(message).empty(); }); }

std::string Page(const std::string& script) {
  return DataUrl(
      "<script>const log = (...a) => console.log(a.map(x => typeof x === 'string' ? x : JSON.stringify(x)).join('|'));" +
      script + "</script>");
}
