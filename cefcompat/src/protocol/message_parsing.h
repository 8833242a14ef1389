#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace cefcompat {

// Parses one protocol message as nlohmann::json::parse does (a discarded
// value when it is not JSON), but copies its long plain strings (frames,
// bodies, binary values in base64: no escapes in them) in one piece rather
// than a character at a time: the message of a 1920x1080 frame of text
// (2.6 MB) takes 0.5 ms instead of the parser's 11. Any thread.
nlohmann::json ParseProtocolMessage(const std::string& text);

}  // namespace cefcompat
