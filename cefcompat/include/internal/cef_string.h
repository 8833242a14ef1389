#pragma once
// CEF's string: UTF-16 characters in a cef_string_t, with conversions from and
// to UTF-8 std::string, std::wstring and std::u16string. Malformed input is
// replaced by U+FFFD, never rejected.
//
// A CefString either owns its cef_string_t or refers to one owned elsewhere,
// as CEF's does: `CefString(&settings.cache_path) = path;` writes into the
// settings member. `char16` is char16_t here (CEF 89 on Linux uses an unsigned
// short), so u"" literals convert directly.

#include <cstddef>
#include <ostream>
#include <string>

#include "include/internal/cef_string_types.h"

class CefString {
 public:
  typedef char16 char_type;
  typedef cef_string_t struct_type;
  typedef cef_string_userfree_t userfree_struct_type;

  CefString() = default;
  CefString(const CefString& str) { FromString(str.c_str(), str.length(), true); }
  CefString(CefString&& str) noexcept { Take(str); }
  CefString(const std::string& src) { FromString(src); }
  CefString(const char* src) { FromString(src ? std::string(src) : std::string()); }
  CefString(const std::wstring& src) { FromWString(src); }
  CefString(const wchar_t* src) { FromWString(src ? std::wstring(src) : std::wstring()); }
  CefString(const std::u16string& src) { FromString16(src); }
  CefString(const char16* src) { FromString16(src ? std::u16string(src) : std::u16string()); }
  // Copies `src_len` characters, or refers to them when `copy` is false (they
  // must then outlive this object).
  CefString(const char16* src, size_t src_len, bool copy) { FromString(src, src_len, copy); }
  // Refers to `src` without owning it: reads and writes go to `*src`, which
  // must outlive this object.
  CefString(const struct_type* src) {
    if (src) Attach(const_cast<struct_type*>(src), false);
  }
  ~CefString() { ClearAndFree(); }

  CefString& operator=(const CefString& str);
  CefString& operator=(CefString&& str) noexcept;
  CefString& operator=(const std::string& str) { return FromString(str), *this; }
  CefString& operator=(const char* str) { return *this = CefString(str); }
  CefString& operator=(const std::wstring& str) { return FromWString(str), *this; }
  CefString& operator=(const wchar_t* str) { return *this = CefString(str); }
  CefString& operator=(const std::u16string& str) { return FromString16(str), *this; }
  CefString& operator=(const char16* str) { return *this = CefString(str); }

  // Never null: an empty string gives "".
  const char16* c_str() const { return string_ && string_->str ? string_->str : u""; }
  size_t length() const { return string_ ? string_->length : 0; }
  size_t size() const { return length(); }
  bool empty() const { return length() == 0; }
  int compare(const CefString& str) const;
  void clear() {
    if (string_) cef_string_clear(string_);
  }
  bool IsOwner() const { return owner_; }
  const struct_type* GetStruct() const { return string_; }
  struct_type* GetWritableStruct() {
    AllocIfNeeded();
    return string_;
  }

  // Frees the owned structure (or forgets the referred one).
  void ClearAndFree();
  // Uses `str`; with `owner` true this object frees it.
  void Attach(struct_type* str, bool owner);
  // Takes the characters of `str` and frees the userfree structure itself.
  void AttachToUserFree(userfree_struct_type str);
  // Forgets the structure without freeing it.
  void Detach() {
    string_ = nullptr;
    owner_ = false;
  }
  // Hands the characters to a new userfree structure; null when empty.
  userfree_struct_type DetachToUserFree();

  bool FromString(const char_type* src, size_t src_len, bool copy);
  bool FromASCII(const char* str);
  std::string ToString() const;
  bool FromString(const std::string& str);
  std::wstring ToWString() const;
  bool FromWString(const std::wstring& str);
  std::u16string ToString16() const { return std::u16string(c_str(), length()); }
  bool FromString16(const std::u16string& str) { return FromString(str.data(), str.size(), true); }

  operator std::string() const { return ToString(); }
  operator std::wstring() const { return ToWString(); }
  operator std::u16string() const { return ToString16(); }

  bool operator==(const CefString& str) const { return compare(str) == 0; }
  bool operator!=(const CefString& str) const { return compare(str) != 0; }
  bool operator<(const CefString& str) const { return compare(str) < 0; }
  bool operator<=(const CefString& str) const { return compare(str) <= 0; }
  bool operator>(const CefString& str) const { return compare(str) > 0; }
  bool operator>=(const CefString& str) const { return compare(str) >= 0; }

 private:
  void AllocIfNeeded();
  void Take(CefString& str);

  struct_type* string_ = nullptr;
  bool owner_ = false;
};

inline std::ostream& operator<<(std::ostream& out, const CefString& str) { return out << str.ToString(); }
