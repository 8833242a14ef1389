#include "network/net_errors.h"

#include <map>

namespace cefcompat {

namespace {

const std::map<std::string, cef_errorcode_t>& Codes() {
  static const std::map<std::string, cef_errorcode_t> kCodes = {
      {"ERR_FAILED", ERR_FAILED},
      {"ERR_ABORTED", ERR_ABORTED},
      {"ERR_INVALID_ARGUMENT", ERR_INVALID_ARGUMENT},
      {"ERR_INVALID_HANDLE", ERR_INVALID_HANDLE},
      {"ERR_FILE_NOT_FOUND", ERR_FILE_NOT_FOUND},
      {"ERR_TIMED_OUT", ERR_TIMED_OUT},
      {"ERR_FILE_TOO_BIG", ERR_FILE_TOO_BIG},
      {"ERR_UNEXPECTED", ERR_UNEXPECTED},
      {"ERR_ACCESS_DENIED", ERR_ACCESS_DENIED},
      {"ERR_NOT_IMPLEMENTED", ERR_NOT_IMPLEMENTED},
      {"ERR_INSUFFICIENT_RESOURCES", ERR_INSUFFICIENT_RESOURCES},
      {"ERR_OUT_OF_MEMORY", ERR_OUT_OF_MEMORY},
      {"ERR_BLOCKED_BY_CLIENT", ERR_BLOCKED_BY_CLIENT},
      {"ERR_BLOCKED_BY_RESPONSE", ERR_BLOCKED_BY_RESPONSE},
      {"ERR_CONNECTION_CLOSED", ERR_CONNECTION_CLOSED},
      {"ERR_CONNECTION_RESET", ERR_CONNECTION_RESET},
      {"ERR_CONNECTION_REFUSED", ERR_CONNECTION_REFUSED},
      {"ERR_CONNECTION_ABORTED", ERR_CONNECTION_ABORTED},
      {"ERR_CONNECTION_FAILED", ERR_CONNECTION_FAILED},
      {"ERR_NAME_NOT_RESOLVED", ERR_NAME_NOT_RESOLVED},
      {"ERR_INTERNET_DISCONNECTED", ERR_INTERNET_DISCONNECTED},
      {"ERR_SSL_PROTOCOL_ERROR", ERR_SSL_PROTOCOL_ERROR},
      {"ERR_ADDRESS_INVALID", ERR_ADDRESS_INVALID},
      {"ERR_ADDRESS_UNREACHABLE", ERR_ADDRESS_UNREACHABLE},
      {"ERR_CONNECTION_TIMED_OUT", ERR_CONNECTION_TIMED_OUT},
      {"ERR_NAME_RESOLUTION_FAILED", ERR_NAME_RESOLUTION_FAILED},
      {"ERR_CERT_COMMON_NAME_INVALID", ERR_CERT_COMMON_NAME_INVALID},
      {"ERR_CERT_DATE_INVALID", ERR_CERT_DATE_INVALID},
      {"ERR_CERT_AUTHORITY_INVALID", ERR_CERT_AUTHORITY_INVALID},
      {"ERR_INVALID_URL", ERR_INVALID_URL},
      {"ERR_DISALLOWED_URL_SCHEME", ERR_DISALLOWED_URL_SCHEME},
      {"ERR_UNKNOWN_URL_SCHEME", ERR_UNKNOWN_URL_SCHEME},
      {"ERR_TOO_MANY_REDIRECTS", ERR_TOO_MANY_REDIRECTS},
      {"ERR_UNSAFE_REDIRECT", ERR_UNSAFE_REDIRECT},
      {"ERR_UNSAFE_PORT", ERR_UNSAFE_PORT},
      {"ERR_INVALID_RESPONSE", ERR_INVALID_RESPONSE},
      {"ERR_EMPTY_RESPONSE", ERR_EMPTY_RESPONSE},
      {"ERR_REQUEST_RANGE_NOT_SATISFIABLE", ERR_REQUEST_RANGE_NOT_SATISFIABLE},
      {"ERR_CONTENT_DECODING_FAILED", ERR_CONTENT_DECODING_FAILED},
      {"ERR_CONTENT_LENGTH_MISMATCH", ERR_CONTENT_LENGTH_MISMATCH},
      {"ERR_INCOMPLETE_CHUNKED_ENCODING", ERR_INCOMPLETE_CHUNKED_ENCODING},
      {"ERR_CACHE_MISS", ERR_CACHE_MISS},
      {"ERR_INSECURE_RESPONSE", ERR_INSECURE_RESPONSE},
  };
  return kCodes;
}

}  // namespace

cef_errorcode_t NetErrorFromText(const std::string& errorText) {
  const auto& kCodes = Codes();
  const std::string prefix = "net::";
  const std::string name = errorText.rfind(prefix, 0) == 0 ? errorText.substr(prefix.size()) : errorText;
  const auto it = kCodes.find(name);
  return it == kCodes.end() ? ERR_FAILED : it->second;
}

std::string NetErrorName(cef_errorcode_t error) {
  for (const auto& [name, code] : Codes()) {
    if (code == error) return name;
  }
  return "ERR_FAILED";
}

std::string FetchErrorReason(cef_errorcode_t error) {
  static const std::map<cef_errorcode_t, std::string> kReasons = {
      {ERR_ABORTED, "Aborted"},
      {ERR_TIMED_OUT, "TimedOut"},
      {ERR_ACCESS_DENIED, "AccessDenied"},
      {ERR_CONNECTION_CLOSED, "ConnectionClosed"},
      {ERR_CONNECTION_RESET, "ConnectionReset"},
      {ERR_CONNECTION_REFUSED, "ConnectionRefused"},
      {ERR_CONNECTION_ABORTED, "ConnectionAborted"},
      {ERR_CONNECTION_FAILED, "ConnectionFailed"},
      {ERR_NAME_NOT_RESOLVED, "NameNotResolved"},
      {ERR_INTERNET_DISCONNECTED, "InternetDisconnected"},
      {ERR_ADDRESS_UNREACHABLE, "AddressUnreachable"},
      {ERR_BLOCKED_BY_CLIENT, "BlockedByClient"},
      {ERR_BLOCKED_BY_RESPONSE, "BlockedByResponse"},
  };
  const auto it = kReasons.find(error);
  return it == kReasons.end() ? "Failed" : it->second;
}

}  // namespace cefcompat
