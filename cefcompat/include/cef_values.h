#pragma once
// Value containers that cross between processes as data.

#include <map>
#include <variant>
#include <vector>

#include "include/cef_base.h"

typedef enum {
  VTYPE_INVALID = 0,
  VTYPE_NULL,
  VTYPE_BOOL,
  VTYPE_INT,
  VTYPE_DOUBLE,
  VTYPE_STRING,
  VTYPE_BINARY,
  VTYPE_DICTIONARY,
  VTYPE_LIST,
} cef_value_type_t;
using CefValueType = cef_value_type_t;

class CefListValue : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefListValue> Create();

  bool IsValid() { return true; }
  CefRefPtr<CefListValue> Copy();
  bool SetSize(size_t size);
  size_t GetSize() { return values_.size(); }
  bool Clear();
  bool Remove(size_t index);
  CefValueType GetType(size_t index);
  bool GetBool(size_t index);
  int GetInt(size_t index);
  double GetDouble(size_t index);
  CefString GetString(size_t index);
  bool SetNull(size_t index);
  bool SetBool(size_t index, bool value);
  bool SetInt(size_t index, int value);
  bool SetDouble(size_t index, double value);
  bool SetString(size_t index, const CefString& value);

 private:
  // monostate = null; an index past the end reads as invalid.
  using Value = std::variant<std::monostate, bool, int, double, CefString>;
  bool Set(size_t index, Value value);
  std::vector<Value> values_;
  IMPLEMENT_REFCOUNTING(CefListValue);
};

// Extra information handed to CreateBrowser; this runtime only carries it.
class CefDictionaryValue : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefDictionaryValue> Create();
  size_t GetSize() { return values_.size(); }
  bool HasKey(const CefString& key) { return values_.count(key) > 0; }
  CefString GetString(const CefString& key);
  bool SetString(const CefString& key, const CefString& value);

 private:
  std::map<CefString, CefString> values_;
  IMPLEMENT_REFCOUNTING(CefDictionaryValue);
};
