#pragma once
// JavaScript values and contexts as the render side sees them. Page values
// are held by handle in their context; calls into a page run there later.

#include <map>
#include <vector>

#include "include/cef_base.h"

class CefBrowser;
class CefFrame;
class CefV8Value;

typedef enum {
  V8_PROPERTY_ATTRIBUTE_NONE = 0,
  V8_PROPERTY_ATTRIBUTE_READONLY = 1 << 0,
  V8_PROPERTY_ATTRIBUTE_DONTENUM = 1 << 1,
  V8_PROPERTY_ATTRIBUTE_DONTDELETE = 1 << 2,
} cef_v8_propertyattribute_t;

typedef enum {
  V8_ACCESS_CONTROL_DEFAULT = 0,
  V8_ACCESS_CONTROL_ALL_CAN_READ = 1,
  V8_ACCESS_CONTROL_ALL_CAN_WRITE = 1 << 1,
  V8_ACCESS_CONTROL_PROHIBITS_OVERWRITING = 1 << 2,
} cef_v8_accesscontrol_t;

using CefV8ValueList = std::vector<CefRefPtr<CefV8Value>>;

class CefV8Exception : public virtual CefBaseRefCounted {
 public:
  explicit CefV8Exception(const CefString& message) : message_(message) {}
  CefString GetMessage() { return message_; }

 private:
  CefString message_;
  IMPLEMENT_REFCOUNTING(CefV8Exception);
};

// One JavaScript context of a frame. Valid until the document goes away.
class CefV8Context : public virtual CefBaseRefCounted {
 public:
  // The context of the native call or OnContextCreated running now on TID_RENDERER.
  static CefRefPtr<CefV8Context> GetCurrentContext();
  static CefRefPtr<CefV8Context> GetEnteredContext();
  static bool InContext();

  virtual bool IsValid() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  virtual CefRefPtr<CefFrame> GetFrame() = 0;
  virtual CefRefPtr<CefV8Value> GetGlobal() = 0;
  virtual bool Enter() = 0;
  virtual bool Exit() = 0;
  virtual bool IsSame(CefRefPtr<CefV8Context> that) = 0;
  // Runs `code` in this context and waits for its value (primitives, or an
  // object by handle). False with `exception` set when it threw.
  virtual bool Eval(const CefString& code, const CefString& script_url, int start_line,
                    CefRefPtr<CefV8Value>& retval, CefRefPtr<CefV8Exception>& exception) = 0;
};

class CefV8Handler : public virtual CefBaseRefCounted {
 public:
  // A native function declared by an extension was called. Return true when
  // handled; a non-empty `exception` is thrown at the call site.
  virtual bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
                       CefRefPtr<CefV8Value>& retval, CefString& exception) = 0;
};

// A JavaScript value: a primitive held by value, or a page object or function
// held by handle (objects carry a snapshot of their own primitive properties).
class CefV8Value : public virtual CefBaseRefCounted {
 public:
  typedef cef_v8_accesscontrol_t AccessControl;
  typedef cef_v8_propertyattribute_t PropertyAttribute;

  enum class Kind { Invalid, Undefined, Null, Bool, Int, Double, String, Object, Array, Function };

  static CefRefPtr<CefV8Value> CreateUndefined();
  static CefRefPtr<CefV8Value> CreateNull();
  static CefRefPtr<CefV8Value> CreateBool(bool value);
  static CefRefPtr<CefV8Value> CreateInt(int32_t value);
  static CefRefPtr<CefV8Value> CreateUInt(uint32_t value);
  static CefRefPtr<CefV8Value> CreateDouble(double value);
  static CefRefPtr<CefV8Value> CreateString(const CefString& value);
  static CefRefPtr<CefV8Value> CreateObject(CefRefPtr<CefBaseRefCounted> accessor, CefRefPtr<CefBaseRefCounted> interceptor);

  bool IsValid();
  bool IsUndefined() { return kind_ == Kind::Undefined; }
  bool IsNull() { return kind_ == Kind::Null; }
  bool IsBool() { return kind_ == Kind::Bool; }
  bool IsInt() { return kind_ == Kind::Int; }
  bool IsUInt() { return kind_ == Kind::Int && int_ >= 0; }
  bool IsDouble() { return kind_ == Kind::Int || kind_ == Kind::Double; }
  bool IsString() { return kind_ == Kind::String; }
  bool IsObject() { return kind_ == Kind::Object || kind_ == Kind::Array || kind_ == Kind::Function; }
  bool IsArray() { return kind_ == Kind::Array; }
  bool IsFunction() { return kind_ == Kind::Function; }
  bool IsSame(CefRefPtr<CefV8Value> that);

  bool GetBoolValue() { return kind_ == Kind::Bool ? bool_ : false; }
  int32_t GetIntValue() { return kind_ == Kind::Int ? int_ : kind_ == Kind::Double ? static_cast<int32_t>(double_) : 0; }
  uint32_t GetUIntValue() { return static_cast<uint32_t>(GetIntValue()); }
  double GetDoubleValue() { return kind_ == Kind::Double ? double_ : kind_ == Kind::Int ? int_ : 0; }
  CefString GetStringValue() { return kind_ == Kind::String ? string_ : CefString(); }

  bool HasValue(const CefString& key);
  CefRefPtr<CefV8Value> GetValue(const CefString& key);
  // On a page object the property is also set in the page.
  bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value, PropertyAttribute attribute);
  void GetKeys(std::vector<CefString>& keys);

  // Calls a page function in its own context; fire and forget (the result is
  // always undefined here). Null when this is not a callable, live function.
  CefRefPtr<CefV8Value> ExecuteFunction(CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments);
  CefRefPtr<CefV8Value> ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context, CefRefPtr<CefV8Value> object,
                                                   const CefV8ValueList& arguments);

  // Runtime side.
  explicit CefV8Value(Kind kind) : kind_(kind) {}
  ~CefV8Value() override;
  Kind GetKind() const { return kind_; }
  int64_t Handle() const { return handle_; }
  CefRefPtr<CefV8Context> HandleContext() const { return context_; }
  void BindHandle(CefRefPtr<CefV8Context> context, int64_t handle) {
    context_ = context;
    handle_ = handle;
  }
  bool bool_ = false;
  int32_t int_ = 0;
  double double_ = 0;
  CefString string_;
  std::map<CefString, CefRefPtr<CefV8Value>> properties_;

 private:
  Kind kind_;
  CefRefPtr<CefV8Context> context_;  // page values only
  int64_t handle_ = -1;              // page values only; 0 is the global object
  IMPLEMENT_REFCOUNTING(CefV8Value);
};

// Registers JavaScript that runs in every new context before the page's own
// scripts. Each `native function name();` it declares calls `handler`.
//
// On this runtime a call waits for the handler by pausing the page, which
// costs a few protocol round trips. A declaration followed on its line by the
// comment `// async` (`native function name(); // async`) declares a function
// that answers later instead: the call returns at once a Promise, the handler
// runs on TID_RENDERER in call order, and the Promise resolves with the
// handler's `retval` or rejects with an Error carrying its `exception` (or
// "native function name is not handled" when it returns false). Code written
// for CEF keeps working unchanged; there the comment is just a comment and the
// call returns the value itself.
bool CefRegisterExtension(const CefString& extension_name, const CefString& javascript_code,
                          CefRefPtr<CefV8Handler> handler);
