#pragma once
// CEF's string: UTF-16 storage with conversions from and to UTF-8 std::string
// and std::wstring. Malformed input is replaced by U+FFFD, never rejected.

#include <cstddef>
#include <ostream>
#include <string>

using char16 = char16_t;

class CefString {
 public:
  CefString() = default;
  CefString(const std::string& utf8) { FromString(utf8); }
  CefString(const char* utf8) { FromString(utf8 ? std::string(utf8) : std::string()); }
  CefString(const std::wstring& wide) { FromWString(wide); }
  CefString(const wchar_t* wide) { FromWString(wide ? std::wstring(wide) : std::wstring()); }
  CefString(const std::u16string& utf16) : str_(utf16) {}
  CefString(const char16* utf16) : str_(utf16 ? utf16 : u"") {}

  std::string ToString() const;
  std::wstring ToWString() const;
  std::u16string ToString16() const { return str_; }

  void FromString(const std::string& utf8);
  void FromWString(const std::wstring& wide);
  void FromString16(const std::u16string& utf16) { str_ = utf16; }

  const char16* c_str() const { return str_.c_str(); }
  size_t length() const { return str_.length(); }
  size_t size() const { return str_.size(); }
  bool empty() const { return str_.empty(); }
  void clear() { str_.clear(); }
  int compare(const CefString& other) const { return str_.compare(other.str_); }

  operator std::string() const { return ToString(); }
  operator std::wstring() const { return ToWString(); }

  bool operator==(const CefString& other) const { return str_ == other.str_; }
  bool operator!=(const CefString& other) const { return str_ != other.str_; }
  bool operator<(const CefString& other) const { return str_ < other.str_; }

 private:
  std::u16string str_;
};

inline std::ostream& operator<<(std::ostream& out, const CefString& str) {
  return out << str.ToString();
}
