#pragma once
// Times as CEF gives them: a broken-down UTC time, and conversions to and
// from seconds since the epoch.

#include <ctime>

typedef struct _cef_time_t {
  int year;          // four digits, e.g. 2021
  int month;         // 1 (January) to 12
  int day_of_week;   // 0 (Sunday) to 6
  int day_of_month;  // 1 to 31
  int hour;          // 0 to 23
  int minute;        // 0 to 59
  int second;        // 0 to 59 (60 for a leap second)
  int millisecond;   // 0 to 999
} cef_time_t;

// Each returns 1 on success and 0 when the time cannot be converted.
int cef_time_to_timet(const cef_time_t* cef_time, time_t* time);
int cef_time_from_timet(time_t time, cef_time_t* cef_time);
int cef_time_to_doublet(const cef_time_t* cef_time, double* time);
int cef_time_from_doublet(double time, cef_time_t* cef_time);
int cef_time_now(cef_time_t* cef_time);
// The milliseconds from `cef_time1` to `cef_time2`.
int cef_time_delta(const cef_time_t* cef_time1, const cef_time_t* cef_time2, long long* delta);
