#pragma once

#include <cstdint>
#include <map>

#include "include/cef_v8.h"

namespace cefcompat {

// What the native side made in one context and the page may still reach:
// functions with their handler, objects with their accessor or interceptor,
// ArrayBuffers with the caller's buffer and release callback. Each is known by
// an id the native side chose, which is also its first handle in the page.
// TID_RENDERER.
class NativeTargets {
 public:
  struct Target {
    CefString name;  // functions
    CefRefPtr<CefV8Handler> handler;
    CefRefPtr<CefV8Accessor> accessor;
    CefRefPtr<CefV8Interceptor> interceptor;
    void* buffer = nullptr;  // ArrayBuffers, until released
    CefRefPtr<CefV8ArrayBufferReleaseCallback> release;
  };

  NativeTargets() = default;
  NativeTargets(const NativeTargets&) = delete;
  NativeTargets& operator=(const NativeTargets&) = delete;
  ~NativeTargets();

  // A new id, unique in the process and apart from the handles the page gives.
  static int64_t NextId();

  void Add(int64_t id, Target target) { targets_[id] = std::move(target); }
  // Null when the id is unknown or its target was let go.
  const Target* Find(int64_t id) const;
  // The page collected the target: it is forgotten and its buffer released.
  void Forget(int64_t id);
  // Releases the target's buffer now (the page's ArrayBuffer was neutered).
  void ReleaseBuffer(int64_t id);
  // The context is gone: every buffer is released and every target forgotten.
  void ReleaseAll();

 private:
  // Tells the release callback once; the target keeps neither afterwards.
  static void Release(Target& target);

  std::map<int64_t, Target> targets_;
};

}  // namespace cefcompat
