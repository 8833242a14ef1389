#pragma once
// Intrusive reference-counted smart pointer with CEF's interface. T provides
// AddRef() and Release() (see IMPLEMENT_REFCOUNTING in cef_base.h).

#include <cstddef>
#include <utility>

template <class T>
class CefRefPtr {
 public:
  CefRefPtr() = default;
  CefRefPtr(std::nullptr_t) {}
  CefRefPtr(T* p) : ptr_(p) { AddRefIfSet(); }
  CefRefPtr(const CefRefPtr& other) : ptr_(other.ptr_) { AddRefIfSet(); }
  CefRefPtr(CefRefPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
  template <class U>
  CefRefPtr(const CefRefPtr<U>& other) : ptr_(other.get()) { AddRefIfSet(); }
  ~CefRefPtr() { ReleaseIfSet(); }

  CefRefPtr& operator=(T* p) {
    CefRefPtr(p).swap(*this);
    return *this;
  }
  CefRefPtr& operator=(const CefRefPtr& other) {
    CefRefPtr(other).swap(*this);
    return *this;
  }
  CefRefPtr& operator=(CefRefPtr&& other) noexcept {
    CefRefPtr(std::move(other)).swap(*this);
    return *this;
  }

  T* get() const { return ptr_; }
  T& operator*() const { return *ptr_; }
  T* operator->() const { return ptr_; }
  // CEF's pointer converts implicitly, so `if (frame)` and `frame == nullptr` work.
  operator T*() const { return ptr_; }

  void swap(CefRefPtr& other) noexcept { std::swap(ptr_, other.ptr_); }

 private:
  void AddRefIfSet() const {
    if (ptr_) ptr_->AddRef();
  }
  void ReleaseIfSet() const {
    if (ptr_) ptr_->Release();
  }

  T* ptr_ = nullptr;
};

// A pointer the callee may use only for the length of the call (CEF's raw
// pointer type for objects that are not reference-counted).
template <class T>
using CefRawPtr = T*;
