#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace cefcompat {

// `text` with its ASCII letters in lower case (header names, schemes, file names).
inline std::string AsciiLower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace cefcompat
