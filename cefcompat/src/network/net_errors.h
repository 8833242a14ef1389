#pragma once

#include <string>

#include "include/internal/cef_types.h"

namespace cefcompat {

// "net::ERR_CONNECTION_REFUSED" -> ERR_CONNECTION_REFUSED; unknown names -> ERR_FAILED.
cef_errorcode_t NetErrorFromText(const std::string& errorText);

}  // namespace cefcompat
