#pragma once

#include <functional>
#include <string>
#include <vector>

#include "LogCapture.h"
#include "WaitUntil.h"

// Waits and checks shared by the tests that host real pages in the framework.

// Every line logged since the process started.
LogCapture& HostLog();
bool WaitForLog(const std::string& part);
// The log lines of the page's console messages that are exactly `message`.
std::vector<LogCapture::Line> ConsoleLines(const std::string& message);
bool WaitForConsole(const std::string& message);
// The page's size ("WxH", the first such field of the line) in the last of its
// console lines that start with one of `tags`; empty when none has one.
std::string LastLoggedSize(const std::vector<std::string>& tags);
// A data URL page whose script has log(...a): console.log of a joined by '|'
// (strings as they are, other values as JSON).
std::string Page(const std::string& script);
