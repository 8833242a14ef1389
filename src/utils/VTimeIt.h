#pragma once

#include <cstdint>
#include <string>

#include "core/VellFeatureSettingsMixins.h"

// Scope timer: on destruction reports how long the scope took, at warning from
// WarnTime() ms and at error from ErrorTime() ms (thresholds read when built).
class VTimeIt : public VTimeItFeatureSettingsMixin<VTimeIt> {
 public:
  VTimeIt(const std::string& tag, const int& line, const std::string& function);
  VTimeIt(const VTimeIt&) = default;
  VTimeIt& operator=(const VTimeIt&) = default;
  ~VTimeIt();

  // Wall-clock microseconds.
  static int64_t GetMicroseconds();
  static void PrintCurrentTimePoint(const std::string& tag, const int& line, const std::string& function);

 private:
  std::string m_strTag;
  int64_t m_nStart;
  int m_nLine;
  std::string m_strFunction;
  int m_nWarnTime;
  int m_nErrorTime;
};
