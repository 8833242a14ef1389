#pragma once
// Tasks made from callbacks:
//   CefPostTask(TID_UI, base::Bind(&Handler::Close, this, true));
//   CefPostDelayedTask(TID_IO, base::BindOnce(&Retry, request), 500);

#include <functional>

#include "include/base/cef_bind.h"
#include "include/base/cef_callback.h"
#include "include/cef_task.h"

CefRefPtr<CefTask> CefCreateClosureTask(const base::Closure& closure);
CefRefPtr<CefTask> CefCreateClosureTask(base::OnceClosure closure);
// Not in CEF: any callable, e.g. a lambda.
CefRefPtr<CefTask> CefCreateClosureTask(std::function<void()> closure);

// False when the thread does not exist; the closure is then dropped.
bool CefPostTask(CefThreadId threadId, const base::Closure& closure);
bool CefPostTask(CefThreadId threadId, base::OnceClosure closure);
bool CefPostDelayedTask(CefThreadId threadId, const base::Closure& closure, int64 delay_ms);
bool CefPostDelayedTask(CefThreadId threadId, base::OnceClosure closure, int64 delay_ms);
