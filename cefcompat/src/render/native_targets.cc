#include "render/native_targets.h"

#include <atomic>
#include <utility>

namespace cefcompat {

namespace {

// The page numbers its own handles from 1 and never comes near this.
constexpr int64_t kFirstNativeId = int64_t{1} << 40;

}  // namespace

NativeTargets::~NativeTargets() { ReleaseAll(); }

int64_t NativeTargets::NextId() {
  static std::atomic<int64_t> next{kFirstNativeId};
  return next++;
}

const NativeTargets::Target* NativeTargets::Find(int64_t id) const {
  const auto it = targets_.find(id);
  return it == targets_.end() ? nullptr : &it->second;
}

void NativeTargets::Forget(int64_t id) {
  const auto it = targets_.find(id);
  if (it == targets_.end()) return;
  Target target = std::move(it->second);
  targets_.erase(it);
  Release(target);
}

void NativeTargets::ReleaseBuffer(int64_t id) {
  const auto it = targets_.find(id);
  if (it != targets_.end()) Release(it->second);
}

void NativeTargets::ReleaseAll() {
  // A release callback may reach back into this table: the targets leave it first.
  std::map<int64_t, Target> targets = std::move(targets_);
  targets_.clear();
  for (auto& entry : targets) Release(entry.second);
}

void NativeTargets::Release(Target& target) {
  CefRefPtr<CefV8ArrayBufferReleaseCallback> release = std::exchange(target.release, nullptr);
  void* buffer = std::exchange(target.buffer, nullptr);
  if (release && buffer) release->ReleaseBuffer(buffer);
}

}  // namespace cefcompat
