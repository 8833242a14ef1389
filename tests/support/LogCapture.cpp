#include "LogCapture.h"

#include <QString>

namespace {
std::mutex g_activeMutex;
LogCapture* g_active = nullptr;
}  // namespace

LogCapture::LogCapture() {
  std::lock_guard<std::mutex> lock(g_activeMutex);
  g_active = this;
  m_previous = qInstallMessageHandler(&LogCapture::Handler);
}

LogCapture::~LogCapture() {
  std::lock_guard<std::mutex> lock(g_activeMutex);
  qInstallMessageHandler(m_previous);
  g_active = nullptr;
}

// Captured lines still reach the handler below (the suite's own checks).
void LogCapture::Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  QtMessageHandler previous = nullptr;
  {
    std::lock_guard<std::mutex> activeLock(g_activeMutex);
    if (!g_active) return;
    previous = g_active->m_previous;
    std::lock_guard<std::mutex> lock(g_active->m_mutex);
    g_active->m_lines.push_back({type, message.toStdString()});
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
