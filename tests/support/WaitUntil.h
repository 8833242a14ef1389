#pragma once

#include <functional>

constexpr int kHostTimeoutMs = 15000;

// Runs the Qt event loop until `done` holds or the time is up; returns `done()`.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kHostTimeoutMs);
