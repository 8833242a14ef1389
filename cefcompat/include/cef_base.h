#pragma once
// Base interface of every reference-counted runtime object, as CEF declares it.

#include <atomic>

#include "include/base/cef_build.h"
#include "include/base/cef_macros.h"
#include "include/internal/cef_linux.h"
#include "include/internal/cef_ptr.h"
#include "include/internal/cef_string.h"
#include "include/internal/cef_types.h"
#include "include/internal/cef_types_wrappers.h"

class CefBaseRefCounted {
 public:
  virtual void AddRef() const = 0;
  // Returns true when this call dropped the last reference and deleted the object.
  virtual bool Release() const = 0;
  virtual bool HasOneRef() const = 0;
  virtual bool HasAtLeastOneRef() const = 0;

 protected:
  virtual ~CefBaseRefCounted() = default;
};

// Base of objects owned by one party and never reference-counted.
class CefBaseScoped {
 public:
  virtual ~CefBaseScoped() = default;
};

// Thread-safe reference count used by IMPLEMENT_REFCOUNTING.
class CefRefCount {
 public:
  void AddRef() const { count_.fetch_add(1, std::memory_order_relaxed); }
  bool Release() const { return count_.fetch_sub(1, std::memory_order_acq_rel) == 1; }
  bool HasOneRef() const { return count_.load(std::memory_order_acquire) == 1; }
  bool HasAtLeastOneRef() const { return count_.load(std::memory_order_acquire) >= 1; }

 private:
  mutable std::atomic<int> count_{0};
};

#define IMPLEMENT_REFCOUNTING(ClassName)                                  \
 public:                                                                  \
  void AddRef() const override { ref_count_.AddRef(); }                   \
  bool Release() const override {                                         \
    if (ref_count_.Release()) {                                           \
      delete static_cast<const ClassName*>(this);                         \
      return true;                                                        \
    }                                                                     \
    return false;                                                         \
  }                                                                       \
  bool HasOneRef() const override { return ref_count_.HasOneRef(); }      \
  bool HasAtLeastOneRef() const override {                                \
    return ref_count_.HasAtLeastOneRef();                                 \
  }                                                                       \
                                                                          \
 private:                                                                 \
  CefRefCount ref_count_
