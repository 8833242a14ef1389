#include "utils/VTimeItPin.h"

#include <algorithm>

#include <fmt/format.h>

#include "base/VellLoggerAgent.h"
#include "utils/VTimeIt.h"

VTimeItPin::VTimeItPin() : m_nWarnTime(WarnTime()), m_nErrorTime(ErrorTime()) {}

void VTimeItPin::Pin(const std::string& tag, const int& line, const std::string& pinTag) {
  const int64_t now = VTimeIt::GetMicroseconds();
  const double diffPrev = m_nLastPin == -1 ? -1 : static_cast<double>(now - m_nLastPin) / 1000.0;
  m_nLastPin = now;

  auto& lastOfTag = m_mapLastPinPerTag.try_emplace(pinTag, -1).first->second;
  const double diffPrevTag = lastOfTag == -1 ? -1 : static_cast<double>(now - lastOfTag) / 1000.0;
  lastOfTag = now;

  const std::string text = fmt::format("VTimeItPin({}:{}):{}, diffPrev = {}ms, diffPrevTag = {}ms!", tag,
                                        line, pinTag, diffPrev, diffPrevTag);
  const double worst = std::max(diffPrev, diffPrevTag);
  const int severity = worst >= m_nErrorTime ? 4 : worst >= m_nWarnTime ? 3 : 2;
  VellLog(severity, text);
}
