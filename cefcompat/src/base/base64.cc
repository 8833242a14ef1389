#include "base/base64.h"

#include <array>
#include <cstdint>

namespace cefcompat {

namespace {

constexpr uint8_t kNotBase64 = 0x80;

constexpr std::array<uint8_t, 256> MakeSextets() {
  std::array<uint8_t, 256> sextets{};
  for (auto& sextet : sextets) sextet = kNotBase64;
  const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (uint8_t i = 0; i < 64; ++i) sextets[static_cast<uint8_t>(alphabet[i])] = i;
  return sextets;
}

constexpr std::array<uint8_t, 256> kSextets = MakeSextets();

uint8_t Sextet(char c) { return kSextets[static_cast<uint8_t>(c)]; }

}  // namespace

bool DecodeBase64(std::string_view text, std::string& out) {
  out.clear();
  if (text.size() % 4 != 0) return false;
  if (text.empty()) return true;
  const size_t padding = text[text.size() - 1] != '=' ? 0 : text[text.size() - 2] != '=' ? 1 : 2;
  const size_t whole = text.size() / 4 - (padding ? 1 : 0);  // quads without padding
  out.resize(text.size() / 4 * 3 - padding);
  char* to = out.data();
  const char* from = text.data();
  uint8_t invalid = 0;
  for (size_t quad = 0; quad < whole; ++quad, from += 4, to += 3) {
    const uint8_t a = Sextet(from[0]), b = Sextet(from[1]), c = Sextet(from[2]), d = Sextet(from[3]);
    invalid |= a | b | c | d;
    const uint32_t bits = (uint32_t{a} << 18) | (uint32_t{b} << 12) | (uint32_t{c} << 6) | d;
    to[0] = static_cast<char>(bits >> 16);
    to[1] = static_cast<char>(bits >> 8);
    to[2] = static_cast<char>(bits);
  }
  if (padding) {
    const uint8_t a = Sextet(from[0]), b = Sextet(from[1]), c = padding == 2 ? 0 : Sextet(from[2]);
    invalid |= a | b | c;
    const uint32_t bits = (uint32_t{a} << 18) | (uint32_t{b} << 12) | (uint32_t{c} << 6);
    to[0] = static_cast<char>(bits >> 16);
    if (padding == 1) to[1] = static_cast<char>(bits >> 8);
  }
  if (invalid & kNotBase64) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace cefcompat
