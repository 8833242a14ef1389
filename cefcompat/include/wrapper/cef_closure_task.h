#pragma once

#include <functional>

#include "include/cef_task.h"

// Wraps a callable as a task: CefPostTask(TID_UI, CefCreateClosureTask([] { ... })).
CefRefPtr<CefTask> CefCreateClosureTask(std::function<void()> closure);
