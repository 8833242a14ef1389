#include "network/stream_request.h"
#include "base/ascii.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace cefcompat {

namespace {

constexpr char kBytesUnit[] = "bytes=";


std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A decimal number of digits only; -1 when empty, not a number or beyond int64.
int64 Decimal(const std::string& text) {
  if (text.empty()) return -1;
  int64 value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    const int digit = c - '0';
    if (value > (std::numeric_limits<int64>::max() - digit) / 10) return -1;
    value = value * 10 + digit;
  }
  return value;
}

ByteRange Satisfiable(int64 from, int64 to, int64 length) {
  to = std::min(to, length - 1);
  if (from < 0 || from > to) return {};
  return {true, from, to};
}

}  // namespace

std::string HeaderValue(const std::string& head, const std::string& name) {
  const std::string lower = AsciiLower(head);
  const std::string key = "\r\n" + AsciiLower(name) + ":";
  const size_t at = lower.find(key);
  if (at == std::string::npos) return {};
  const size_t start = at + key.size();
  const size_t end = head.find("\r\n", start);
  return Trimmed(head.substr(start, end == std::string::npos ? std::string::npos : end - start));
}

std::string StreamToken(const std::string& head) {
  const size_t space = head.find(' ');
  if (space == std::string::npos || head.compare(space + 1, 1, "/") != 0) return {};
  const size_t start = space + 2;
  const size_t end = head.find_first_of(" \r\n", start);
  return head.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

ByteRange RequestedRange(const std::string& head, int64 length) {
  if (length < 1) return {};
  const std::string value = AsciiLower(HeaderValue(head, "range"));
  if (value.compare(0, sizeof(kBytesUnit) - 1, kBytesUnit) != 0) return {};
  const std::string spec = Trimmed(value.substr(sizeof(kBytesUnit) - 1, value.find(',') - (sizeof(kBytesUnit) - 1)));
  const size_t dash = spec.find('-');
  if (dash == std::string::npos) return {};
  const int64 first = dash == 0 ? 0 : Decimal(Trimmed(spec.substr(0, dash)));
  const std::string lastText = Trimmed(spec.substr(dash + 1));
  const int64 last = lastText.empty() ? length - 1 : Decimal(lastText);
  if (first < 0 || last < 0) return {};
  if (dash == 0) return lastText.empty() ? ByteRange{} : Satisfiable(length - std::min(last, length), length - 1, length);
  return Satisfiable(first, last, length);
}

}  // namespace cefcompat
