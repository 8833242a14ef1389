// CEF's time conversions: cef_time_t is UTC, broken down.
#include <chrono>
#include <cmath>

#include "include/internal/cef_time.h"

namespace {

bool IsValid(const cef_time_t* t) {
  return t && t->month >= 1 && t->month <= 12 && t->day_of_month >= 1 && t->day_of_month <= 31 && t->hour >= 0 &&
         t->hour <= 23 && t->minute >= 0 && t->minute <= 59 && t->second >= 0 && t->second <= 60 &&
         t->millisecond >= 0 && t->millisecond <= 999;
}

}  // namespace

int cef_time_to_timet(const cef_time_t* cef_time, time_t* time) {
  double seconds = 0;
  if (!time || !cef_time_to_doublet(cef_time, &seconds)) return 0;
  *time = static_cast<time_t>(std::floor(seconds));
  return 1;
}

int cef_time_from_timet(time_t time, cef_time_t* cef_time) {
  return cef_time_from_doublet(static_cast<double>(time), cef_time);
}

int cef_time_to_doublet(const cef_time_t* cef_time, double* time) {
  if (!time || !IsValid(cef_time)) return 0;
  struct tm parts = {};
  parts.tm_year = cef_time->year - 1900;
  parts.tm_mon = cef_time->month - 1;
  parts.tm_mday = cef_time->day_of_month;
  parts.tm_hour = cef_time->hour;
  parts.tm_min = cef_time->minute;
  parts.tm_sec = cef_time->second;
  *time = static_cast<double>(timegm(&parts)) + cef_time->millisecond / 1000.0;
  return 1;
}

int cef_time_from_doublet(double time, cef_time_t* cef_time) {
  if (!cef_time || !std::isfinite(time)) return 0;
  const double whole = std::floor(time);
  const time_t seconds = static_cast<time_t>(whole);
  struct tm parts = {};
  if (!gmtime_r(&seconds, &parts)) return 0;
  cef_time->year = parts.tm_year + 1900;
  cef_time->month = parts.tm_mon + 1;
  cef_time->day_of_week = parts.tm_wday;
  cef_time->day_of_month = parts.tm_mday;
  cef_time->hour = parts.tm_hour;
  cef_time->minute = parts.tm_min;
  cef_time->second = parts.tm_sec;
  cef_time->millisecond = static_cast<int>((time - whole) * 1000.0);
  return 1;
}

int cef_time_now(cef_time_t* cef_time) {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return cef_time_from_doublet(std::chrono::duration<double>(now).count(), cef_time);
}

int cef_time_delta(const cef_time_t* cef_time1, const cef_time_t* cef_time2, long long* delta) {
  double first = 0;
  double second = 0;
  if (!delta || !cef_time_to_doublet(cef_time1, &first) || !cef_time_to_doublet(cef_time2, &second)) return 0;
  *delta = std::llround((second - first) * 1000.0);
  return 1;
}
