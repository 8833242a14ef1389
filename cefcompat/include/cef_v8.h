#pragma once
// JavaScript values and contexts as the render side sees them. Page values
// are held by handle in their context; calls into a page run there later.

#include <map>
#include <string>
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

// An exception a page threw, as CefV8Context::Eval reports it. Lines are
// 1-based, positions and columns 0-based. Any thread.
class CefV8Exception : public virtual CefBaseRefCounted {
 public:
  virtual CefString GetMessage() = 0;
  virtual CefString GetSourceLine() = 0;
  virtual CefString GetScriptResourceName() = 0;
  virtual int GetLineNumber() = 0;
  virtual int GetStartPosition() = 0;
  virtual int GetEndPosition() = 0;
  virtual int GetStartColumn() = 0;
  virtual int GetEndColumn() = 0;
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
  // object as a copy of its properties). False with `exception` set when it
  // threw: its line counts from `start_line` when the error is in `code`
  // itself, and `script_url` is its resource name.
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

// The properties an object made with CreateObject(accessor, ...) registers
// with SetValue(key, settings, attribute). A non-empty `exception` is thrown
// in the page. TID_RENDERER, while the page waits.
class CefV8Accessor : public virtual CefBaseRefCounted {
 public:
  virtual bool Get(const CefString& name, const CefRefPtr<CefV8Value> object, CefRefPtr<CefV8Value>& retval,
                   CefString& exception) = 0;
  virtual bool Set(const CefString& name, const CefRefPtr<CefV8Value> object, const CefRefPtr<CefV8Value> value,
                   CefString& exception) = 0;
};

// Every read and write of a string-keyed (`name`) or integer-keyed (`index`)
// property of an object made with CreateObject(..., interceptor). A Get that
// leaves `retval` and `exception` unset, or a Set that returns false, leaves
// the property to the object itself. TID_RENDERER, while the page waits.
class CefV8Interceptor : public virtual CefBaseRefCounted {
 public:
  virtual bool Get(const CefString& name, const CefRefPtr<CefV8Value> object, CefRefPtr<CefV8Value>& retval,
                   CefString& exception) = 0;
  virtual bool Get(int index, const CefRefPtr<CefV8Value> object, CefRefPtr<CefV8Value>& retval,
                   CefString& exception) = 0;
  virtual bool Set(const CefString& name, const CefRefPtr<CefV8Value> object, const CefRefPtr<CefV8Value> value,
                   CefString& exception) = 0;
  virtual bool Set(int index, const CefRefPtr<CefV8Value> object, const CefRefPtr<CefV8Value> value,
                   CefString& exception) = 0;
};

// Told once, on TID_RENDERER, that the page no longer holds the ArrayBuffer
// made from `buffer` by CreateArrayBuffer: the page's object was collected,
// neutered, or its context released.
class CefV8ArrayBufferReleaseCallback : public virtual CefBaseRefCounted {
 public:
  virtual void ReleaseBuffer(void* buffer) = 0;
};

// A JavaScript value: a primitive held by value, or a page object, function
// or ArrayBuffer held by handle (objects carry a snapshot of their own
// primitive properties).
class CefV8Value : public virtual CefBaseRefCounted {
 public:
  typedef cef_v8_accesscontrol_t AccessControl;
  typedef cef_v8_propertyattribute_t PropertyAttribute;

  enum class Kind { Invalid, Undefined, Null, Bool, Int, Double, String, Object, Array, Function, ArrayBuffer };

  static CefRefPtr<CefV8Value> CreateUndefined();
  static CefRefPtr<CefV8Value> CreateNull();
  static CefRefPtr<CefV8Value> CreateBool(bool value);
  static CefRefPtr<CefV8Value> CreateInt(int32_t value);
  static CefRefPtr<CefV8Value> CreateUInt(uint32_t value);
  static CefRefPtr<CefV8Value> CreateDouble(double value);
  static CefRefPtr<CefV8Value> CreateString(const CefString& value);
  // Without an accessor or interceptor: a plain object given to the page as a
  // copy of its properties wherever it is set or returned. With either: an
  // object made in the current context (null outside one).
  static CefRefPtr<CefV8Value> CreateObject(CefRefPtr<CefV8Accessor> accessor, CefRefPtr<CefV8Interceptor> interceptor);
  // An ArrayBuffer made in the current context with a copy of the `length`
  // bytes at `buffer` (null outside a context, or over 64 MB). `buffer` stays
  // the caller's until `release_callback` is told.
  static CefRefPtr<CefV8Value> CreateArrayBuffer(void* buffer, size_t length,
                                                 CefRefPtr<CefV8ArrayBufferReleaseCallback> release_callback);
  // A function made in the current context (null outside one): a call from
  // the page runs `handler` as a native function of an extension does.
  static CefRefPtr<CefV8Value> CreateFunction(const CefString& name, CefRefPtr<CefV8Handler> handler);

  bool IsValid();
  bool IsUndefined() { return kind_ == Kind::Undefined; }
  bool IsNull() { return kind_ == Kind::Null; }
  bool IsBool() { return kind_ == Kind::Bool; }
  bool IsInt() { return kind_ == Kind::Int; }
  bool IsUInt() { return kind_ == Kind::Int && int_ >= 0; }
  bool IsDouble() { return kind_ == Kind::Int || kind_ == Kind::Double; }
  bool IsString() { return kind_ == Kind::String; }
  bool IsObject() {
    return kind_ == Kind::Object || kind_ == Kind::Array || kind_ == Kind::Function || kind_ == Kind::ArrayBuffer;
  }
  bool IsArray() { return kind_ == Kind::Array; }
  bool IsArrayBuffer() { return kind_ == Kind::ArrayBuffer; }
  bool IsFunction() { return kind_ == Kind::Function; }
  bool IsSame(CefRefPtr<CefV8Value> that);

  bool GetBoolValue() { return kind_ == Kind::Bool ? bool_ : false; }
  int32_t GetIntValue() { return kind_ == Kind::Int ? int_ : kind_ == Kind::Double ? static_cast<int32_t>(double_) : 0; }
  uint32_t GetUIntValue() { return static_cast<uint32_t>(GetIntValue()); }
  double GetDoubleValue() { return kind_ == Kind::Double ? double_ : kind_ == Kind::Int ? int_ : 0; }
  CefString GetStringValue() { return kind_ == Kind::String ? string_ : CefString(); }

  bool HasValue(const CefString& key);
  CefRefPtr<CefV8Value> GetValue(const CefString& key);
  // On a page object the property is also set in the page; false once its context is gone.
  bool SetValue(const CefString& key, CefRefPtr<CefV8Value> value, PropertyAttribute attribute);
  // Makes `key` a property of this object that its accessor answers. False
  // when the object was not made with an accessor or its context is gone.
  // `settings` (cross-origin access checks) have no effect.
  bool SetValue(const CefString& key, AccessControl settings, PropertyAttribute attribute);
  void GetKeys(std::vector<CefString>& keys);

  // ArrayBuffers. The release callback of one made by CreateArrayBuffer until
  // it has been told.
  CefRefPtr<CefV8ArrayBufferReleaseCallback> GetArrayBufferReleaseCallback();
  // Detaches the page's ArrayBuffer (its length becomes 0); the buffer of one
  // made by CreateArrayBuffer is released then.
  bool NeuterArrayBuffer();
  size_t GetArrayBufferByteLength();
  // The bytes: the caller's buffer for one made by CreateArrayBuffer,
  // otherwise a copy read from the page at the first call (null over 64 MB or
  // once the context is gone). Valid while this value lives.
  void* GetArrayBufferData();

  // Functions: the name, and the handler of one made by CreateFunction.
  CefString GetFunctionName() { return functionName_; }
  CefRefPtr<CefV8Handler> GetFunctionHandler();

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
  int64_t nativeId_ = 0;    // what the native side made: its id in the context's NativeTargets
  CefString functionName_;  // functions
  size_t byteLength_ = 0;   // ArrayBuffers
  std::string bytes_;       // ArrayBuffers the page made, once read
  bool bytesRead_ = false;

 private:
  Kind kind_;
  CefRefPtr<CefV8Context> context_;  // page values only
  int64_t handle_ = -1;              // page values only; 0 is the global object
  IMPLEMENT_REFCOUNTING(CefV8Value);
};

// The JavaScript frames of the page's call a handler is running for.
class CefV8StackFrame : public virtual CefBaseRefCounted {
 public:
  virtual bool IsValid() = 0;
  virtual CefString GetScriptName() = 0;
  virtual CefString GetScriptNameOrSourceURL() = 0;
  virtual CefString GetFunctionName() = 0;
  // 1-based; 0 when unknown.
  virtual int GetLineNumber() = 0;
  virtual int GetColumn() = 0;
  virtual bool IsEval() = 0;
  virtual bool IsConstructor() = 0;
};

class CefV8StackTrace : public virtual CefBaseRefCounted {
 public:
  // The innermost `frame_limit` frames of the page's script that called the
  // native function, accessor or interceptor running now on TID_RENDERER,
  // read from the page while it waits: none when no such call waits (a call
  // that answers later, OnContextCreated), null outside a context.
  static CefRefPtr<CefV8StackTrace> GetCurrent(int frame_limit);

  virtual bool IsValid() = 0;
  virtual int GetFrameCount() = 0;
  virtual CefRefPtr<CefV8StackFrame> GetFrame(int index) = 0;
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
