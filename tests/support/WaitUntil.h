#pragma once

#include <functional>

constexpr int kHostTimeoutMs = 15000;

// The sanitizer build (Debug, every access checked) runs the heaviest loads
// of the end-to-end tests more than ten times slower: those loads are divided
// by this there, so that a time-out still means a stall.
#ifdef VELL_SANITIZED_BUILD
constexpr int kHeavyLoadDivisor = 10;
#else
constexpr int kHeavyLoadDivisor = 1;
#endif

// Runs the Qt event loop until `done` holds or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kHostTimeoutMs);
