#include "include/internal/cef_string.h"

#include <cstring>
#include <string_view>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

// Decodes one UTF-8 sequence at `i`, advancing `i`. Overlong forms, surrogates and
// values above U+10FFFF decode as U+FFFD, consuming one byte.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
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
char32_t DecodeUtf16(std::u16string_view s, size_t& i) {
  const char32_t unit = s[i++];
  if (!IsSurrogate(unit)) return unit;
  if (unit >= 0xDC00 || i >= s.size()) return kReplacement;
  const char32_t low = s[i];
  if (low < 0xDC00 || low > 0xDFFF) return kReplacement;
  ++i;
  return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
}

void FreeChars(char16* str) { delete[] str; }

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) AppendUtf16(out, DecodeUtf8(utf8, i));
  return out;
}

std::u16string WideToUtf16(const std::wstring& wide) {
  if constexpr (sizeof(wchar_t) == 2) return std::u16string(wide.begin(), wide.end());
  std::u16string out;
  out.reserve(wide.size());
  for (wchar_t c : wide) AppendUtf16(out, static_cast<char32_t>(c));
  return out;
}

}  // namespace

int cef_string_utf16_set(const char16* src, size_t src_len, cef_string_utf16_t* output, int copy) {
  if (!output) return 0;
  if (!src) src_len = 0;
  if (!copy) {
    cef_string_utf16_clear(output);
    *output = {const_cast<char16*>(src), src_len, nullptr};
    return 1;
  }
  // Copied before the old characters are freed: `src` may be them.
  auto* chars = new char16[src_len + 1];
  if (src_len) std::memcpy(chars, src, src_len * sizeof(char16));
  chars[src_len] = 0;
  cef_string_utf16_clear(output);
  *output = {chars, src_len, &FreeChars};
  return 1;
}

void cef_string_utf16_clear(cef_string_utf16_t* str) {
  if (!str) return;
  if (str->dtor && str->str) str->dtor(str->str);
  *str = {nullptr, 0, nullptr};
}

int cef_string_utf16_cmp(const cef_string_utf16_t* str1, const cef_string_utf16_t* str2) {
  const std::u16string_view a = str1 && str1->str ? std::u16string_view(str1->str, str1->length) : std::u16string_view();
  const std::u16string_view b = str2 && str2->str ? std::u16string_view(str2->str, str2->length) : std::u16string_view();
  const int result = a.compare(b);
  return result < 0 ? -1 : result > 0 ? 1 : 0;
}

int cef_string_utf8_to_utf16(const char* src, size_t src_len, cef_string_utf16_t* output) {
  const std::u16string converted = Utf8ToUtf16(src ? std::string_view(src, src_len) : std::string_view());
  return cef_string_utf16_set(converted.data(), converted.size(), output, 1);
}

int cef_string_ascii_to_utf16(const char* src, size_t src_len, cef_string_utf16_t* output) {
  return cef_string_utf8_to_utf16(src, src_len, output);
}

cef_string_userfree_utf16_t cef_string_userfree_utf16_alloc() { return new cef_string_utf16_t{nullptr, 0, nullptr}; }

void cef_string_userfree_utf16_free(cef_string_userfree_utf16_t str) {
  cef_string_utf16_clear(str);
  delete str;
}

CefString& CefString::operator=(const CefString& str) {
  if (this == &str || (string_ && string_ == str.string_)) return *this;
  FromString(str.c_str(), str.length(), true);
  return *this;
}

CefString& CefString::operator=(CefString&& str) noexcept {
  if (this == &str || (string_ && string_ == str.string_)) return *this;
  // A string that refers to another's structure keeps writing into it.
  if (string_ && !owner_) {
    FromString(str.c_str(), str.length(), true);
    return *this;
  }
  ClearAndFree();
  Take(str);
  return *this;
}

void CefString::Take(CefString& str) {
  if (!str.owner_) {
    FromString(str.c_str(), str.length(), true);
    return;
  }
  string_ = str.string_;
  owner_ = true;
  str.Detach();
}

int CefString::compare(const CefString& str) const { return cef_string_utf16_cmp(string_, str.string_); }

void CefString::AllocIfNeeded() {
  if (string_) return;
  string_ = new struct_type{nullptr, 0, nullptr};
  owner_ = true;
}

void CefString::ClearAndFree() {
  if (string_ && owner_) {
    cef_string_utf16_clear(string_);
    delete string_;
  }
  Detach();
}

void CefString::Attach(struct_type* str, bool owner) {
  ClearAndFree();
  string_ = str;
  owner_ = str && owner;
}

void CefString::AttachToUserFree(userfree_struct_type str) {
  if (!str) return;
  ClearAndFree();
  AllocIfNeeded();
  *string_ = *str;
  *str = {nullptr, 0, nullptr};
  cef_string_userfree_utf16_free(str);
}

CefString::userfree_struct_type CefString::DetachToUserFree() {
  if (empty()) return nullptr;
  userfree_struct_type str = cef_string_userfree_utf16_alloc();
  *str = *string_;
  *string_ = {nullptr, 0, nullptr};
  return str;
}

bool CefString::FromString(const char_type* src, size_t src_len, bool copy) {
  if (!src || src_len == 0) {
    clear();
    return true;
  }
  AllocIfNeeded();
  return cef_string_utf16_set(src, src_len, string_, copy) == 1;
}

bool CefString::FromASCII(const char* str) { return FromString(str ? std::string(str) : std::string()); }

std::string CefString::ToString() const {
  const std::u16string_view units(c_str(), length());
  std::string out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size();) AppendUtf8(out, DecodeUtf16(units, i));
  return out;
}

std::wstring CefString::ToWString() const {
  const std::u16string_view units(c_str(), length());
  std::wstring out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size();) {
    const char32_t cp = DecodeUtf16(units, i);
    if constexpr (sizeof(wchar_t) == 2) {
      std::u16string pair;
      AppendUtf16(pair, cp);
      out.append(pair.begin(), pair.end());
    } else {
      out.push_back(static_cast<wchar_t>(cp));
    }
  }
  return out;
}

bool CefString::FromString(const std::string& str) { return FromString16(Utf8ToUtf16(str)); }

bool CefString::FromWString(const std::wstring& str) { return FromString16(WideToUtf16(str)); }
