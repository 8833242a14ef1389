#pragma once

#include <functional>

#include "include/cef_app.h"

// The application object of a test executable, made in the launcher process
// and in each render sub-process the runtime starts from the same executable.
using TestAppFactory = std::function<CefRefPtr<CefApp>()>;
bool SetTestAppFactory(TestAppFactory factory);
CefRefPtr<CefApp> MakeTestApp();
