#pragma once

#include <mutex>
#include <string>
#include <vector>

#include <QtGlobal>

// Captures every line written through Qt's message logger while alive.
// Captures may nest: each one alive sees every line.
class LogCapture {
 public:
  struct Line {
    QtMsgType type;
    std::string text;
  };

  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<Line> Lines() const;
  std::vector<std::string> Texts() const;
  // Lines that contain `part`.
  std::vector<Line> Matching(const std::string& part) const;
  void Clear();

 private:
  static void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message);

  mutable std::mutex m_mutex;
  std::vector<Line> m_lines;
};
