#pragma once

#include "include/cef_browser.h"

// Per-request callbacks of one browser's resource loads. TID_IO.
class CefResourceRequestHandler : public virtual CefBaseRefCounted {};
