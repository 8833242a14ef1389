#include "utils/VTimeIt.h"

#include <chrono>

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"

VTimeIt::VTimeIt(const std::string& tag, const int& line, const std::string& function)
    : m_strTag(tag.empty() ? "default" : tag),
      m_nStart(GetMicroseconds()),
      m_nLine(line),
      m_strFunction(function),
      m_nWarnTime(WarnTime()),
      m_nErrorTime(ErrorTime()) {}

VTimeIt::~VTimeIt() {
  const double elapsed = static_cast<double>(GetMicroseconds() - m_nStart) / 1000.0;
  if (elapsed < m_nWarnTime) return;
  VellLog(elapsed >= m_nErrorTime ? 4 : 3,
          fmt::format("VTimeIt({}): {}:{} exec {}ms!", m_strTag, m_strFunction, m_nLine, elapsed));
}

int64_t VTimeIt::GetMicroseconds() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void VTimeIt::PrintCurrentTimePoint(const std::string& tag, const int& line, const std::string& function) {
  VellLog(1, fmt::format("VTimeIt({}): {}:{}, microseconds = {} !", tag, line, function, GetMicroseconds()));
}
