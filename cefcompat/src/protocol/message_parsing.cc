#include "protocol/message_parsing.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace cefcompat {

namespace {

using Json = nlohmann::json;

// Strings this long are cut out before parsing and put back after it.
constexpr size_t kLongString = 64 * 1024;
// What stands in for the n-th string cut out; a message that holds this text
// itself (escaped, as JSON writes a control character) is parsed whole.
constexpr char kMarker[] = "\x01" "cefcompat-long-string-";
constexpr char kMarkerInJson[] = "\\u0001cefcompat-long-string-";

// The position of the quote that ends the string opened at `open`, or npos.
size_t StringEnd(const std::string& text, size_t open) {
  for (size_t at = open + 1;; ++at) {
    at = text.find('"', at);
    if (at == std::string::npos) return at;
    size_t backslashes = 0;
    while (text[at - 1 - backslashes] == '\\') ++backslashes;
    if (backslashes % 2 == 0) return at;
  }
}

void PutBack(Json& value, std::vector<std::string>& cut) {
  if (value.is_structured()) {
    for (Json& member : value) PutBack(member, cut);
    return;
  }
  if (!value.is_string()) return;
  std::string& text = value.get_ref<std::string&>();
  if (text.compare(0, sizeof(kMarker) - 1, kMarker) != 0) return;
  char* end = nullptr;
  const unsigned long index = std::strtoul(text.c_str() + sizeof(kMarker) - 1, &end, 10);
  if (*end == '\0' && index < cut.size()) text = std::move(cut[index]);
}

}  // namespace

Json ParseProtocolMessage(const std::string& text) {
  if (text.size() < kLongString || text.find(kMarkerInJson) != std::string::npos) {
    return Json::parse(text, nullptr, false);
  }
  std::string rest;
  std::vector<std::string> cut;
  size_t copied = 0;
  for (size_t open = text.find('"'); open != std::string::npos; open = text.find('"', open)) {
    const size_t close = StringEnd(text, open);
    if (close == std::string::npos) break;  // not JSON: the parser says so
    const size_t length = close - open - 1;
    if (length >= kLongString && !std::memchr(text.data() + open + 1, '\\', length)) {
      rest.append(text, copied, open - copied);
      rest += std::string("\"") + kMarkerInJson + std::to_string(cut.size()) + "\"";
      cut.emplace_back(text, open + 1, length);
      copied = close + 1;
    }
    open = close + 1;
  }
  if (cut.empty()) return Json::parse(text, nullptr, false);
  rest.append(text, copied, std::string::npos);
  Json message = Json::parse(rest, nullptr, false);
  if (!message.is_discarded()) PutBack(message, cut);
  return message;
}

}  // namespace cefcompat
