#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core/VellFeatureSettingsMixins.h"
#include "utils/VellAutoSingleton.h"

// Process-wide stopwatch: each pin reports the time since the previous pin and
// since the previous pin of the same tag. No lock: callers serialise pins.
class VTimeItPin : public VellAutoSingleton<VTimeItPin>,
                   public VTimeItPinFeatureSettingsMixin<VTimeItPin> {
  friend class VellAutoSingleton<VTimeItPin>;

 public:
  void Pin(const std::string& tag, const int& line, const std::string& pinTag);

 protected:
  VTimeItPin();

 private:
  std::map<std::string, int64_t> m_mapLastPinPerTag;
  int64_t m_nLastPin = -1;
  int m_nWarnTime;
  int m_nErrorTime;
};
