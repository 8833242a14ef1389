#include "LogCapture.h"

#include <algorithm>

#include <QString>

namespace {
// Captures are made by static initialisers of other files too: the state is
// made on first use and never destroyed.
struct Active {
  std::mutex mutex;
  std::vector<LogCapture*> captures;        // mutex
  QtMessageHandler previous = nullptr;      // installed before the first capture; mutex
};

Active& TheActive() {
  static Active* const active = new Active();
  return *active;
}
}  // namespace

LogCapture::LogCapture() {
  Active& active = TheActive();
  std::lock_guard<std::mutex> lock(active.mutex);
  if (active.captures.empty()) active.previous = qInstallMessageHandler(&LogCapture::Handler);
  active.captures.push_back(this);
}

LogCapture::~LogCapture() {
  Active& active = TheActive();
  std::lock_guard<std::mutex> lock(active.mutex);
  active.captures.erase(std::find(active.captures.begin(), active.captures.end(), this));
  if (active.captures.empty()) qInstallMessageHandler(active.previous);
}

// Captured lines still reach the handler that was there before (the suite's
// own checks).
void LogCapture::Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  Active& active = TheActive();
  QtMessageHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> activeLock(active.mutex);
    const std::string text = message.toStdString();
    for (LogCapture* capture : active.captures) {
      std::lock_guard<std::mutex> lock(capture->m_mutex);
      capture->m_lines.push_back({type, text});
    }
    previous = active.previous;
  }
  if (previous) previous(type, context, message);
}

std::vector<LogCapture::Line> LogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_lines;
}

std::vector<std::string> LogCapture::Texts() const {
  std::vector<std::string> texts;
  for (const auto& line : Lines()) texts.push_back(line.text);
  return texts;
}

std::vector<LogCapture::Line> LogCapture::Matching(const std::string& part) const {
  std::vector<Line> found;
  for (const auto& line : Lines()) {
    if (line.text.find(part) != std::string::npos) found.push_back(line);
  }
  return found;
}

void LogCapture::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_lines.clear();
}
