#pragma once

#include <string>

#include "include/internal/cef_types.h"

namespace cefcompat {

// "net::ERR_CONNECTION_REFUSED" -> ERR_CONNECTION_REFUSED; unknown names -> ERR_FAILED.
cef_errorcode_t NetErrorFromText(const std::string& errorText);
// ERR_UNKNOWN_URL_SCHEME -> "ERR_UNKNOWN_URL_SCHEME"; codes without a name here -> "ERR_FAILED".
std::string NetErrorName(cef_errorcode_t error);
// The Fetch domain's errorReason closest to `error` ("Failed" for codes it has no name for).
std::string FetchErrorReason(cef_errorcode_t error);

}  // namespace cefcompat
