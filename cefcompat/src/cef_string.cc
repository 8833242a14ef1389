#include "include/internal/cef_string.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at `i`, advancing `i`. Overlong forms, surrogates and
// values above U+10FFFF decode as U+FFFD, consuming one byte.
char32_t DecodeUtf8(const std::string& s, size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  size_t extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + extra >= s.size()) {
    ++i;
    return kReplacement;
  }
  for (size_t k = 1; k <= extra; ++k) {
    const auto cont = static_cast<unsigned char>(s[i + k]);
    if ((cont & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (cont & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || IsSurrogate(cp)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return cp;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp > 0x10FFFF || IsSurrogate(cp)) cp = kReplacement;
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
    return;
  }
  cp -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one code point of UTF-16 at `i`, advancing `i`; a lone surrogate is U+FFFD.
char32_t DecodeUtf16(const std::u16string& s, size_t& i) {
  const char32_t unit = s[i++];
  if (!IsSurrogate(unit)) return unit;
  if (unit >= 0xDC00 || i >= s.size()) return kReplacement;
  const char32_t low = s[i];
  if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
  ++i;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

}  // namespace

std::string CefString::ToString() const {
  std::string out;
  out.reserve(str_.size());
  for (size_t i = 0; i < str_.size();) AppendUtf8(out, DecodeUtf16(str_, i));
  return out;
}

std::wstring CefString::ToWString() const {
  std::wstring out;
  out.reserve(str_.size());
  for (size_t i = 0; i < str_.size();) {
    const char32_t cp = DecodeUtf16(str_, i);
    if constexpr (sizeof(wchar_t) == 2) {
      std::u16string units;
      AppendUtf16(units, cp);
      out.append(units.begin(), units.end());
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
  }
  return out;
}

void CefString::FromString(const std::string& utf8) {
  str_.clear();
  str_.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) AppendUtf16(str_, DecodeUtf8(utf8, i));
}

void CefString::FromWString(const std::wstring& wide) {
  str_.clear();
  str_.reserve(wide.size());
  if constexpr (sizeof(wchar_t) == 2) {
    str_.assign(wide.begin(), wide.end());
    return;
  }
  for (wchar_t c : wide) AppendUtf16(str_, static_cast<char32_t>(c));
}
