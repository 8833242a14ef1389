#pragma once
// Callbacks made by base::Bind / base::BindOnce (see cef_bind.h).
//
// A RepeatingCallback (base::Callback) may run any number of times and is
// cheap to copy: copies share the bound state. A OnceCallback runs at most
// once, as `std::move(callback).Run(...)`, and is move-only; a repeating
// callback converts to a once callback. Running a null callback does nothing
// (and returns a value-initialised result) and writes an error to the log once,
// where Chromium's base would crash.

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

#include "include/base/cef_callback_forward.h"

namespace base {
namespace cef_internal {

// Logs, once per process, that a null callback was run.
void ReportNullCallbackRun();

template <typename R>
R RunNull() {
  ReportNullCallbackRun();
  return R();
}

}  // namespace cef_internal

template <typename R, typename... Args>
class RepeatingCallback<R(Args...)> {
 public:
  typedef R RunType(Args...);

  RepeatingCallback() = default;
  // For base::Bind; wraps the bound state.
  explicit RepeatingCallback(std::function<R(Args...)> state)
      : state_(std::make_shared<std::function<R(Args...)>>(std::move(state))) {}

  bool is_null() const { return !state_; }
  explicit operator bool() const { return !is_null(); }
  void Reset() { state_.reset(); }
  // True when both are null or copies of one callback.
  bool Equals(const RepeatingCallback& other) const { return state_ == other.state_; }

  R Run(Args... args) const {
    if (!state_) return cef_internal::RunNull<R>();
    return (*state_)(std::forward<Args>(args)...);
  }

 private:
  std::shared_ptr<std::function<R(Args...)>> state_;
};

template <typename R, typename... Args>
class OnceCallback<R(Args...)> {
 public:
  typedef R RunType(Args...);

  OnceCallback() = default;
  // For base::BindOnce; wraps the bound state.
  explicit OnceCallback(std::function<R(Args...)> state) : state_(std::move(state)) {}
  OnceCallback(RepeatingCallback<R(Args...)> callback) {
    if (callback) state_ = [callback](Args... args) { return callback.Run(std::forward<Args>(args)...); };
  }
  OnceCallback(OnceCallback&&) noexcept = default;
  OnceCallback& operator=(OnceCallback&&) noexcept = default;
  OnceCallback(const OnceCallback&) = delete;
  OnceCallback& operator=(const OnceCallback&) = delete;

  bool is_null() const { return !state_; }
  explicit operator bool() const { return !is_null(); }
  void Reset() { state_ = nullptr; }

  // Consumes the callback: it is null afterwards.
  R Run(Args... args) && {
    if (!state_) return cef_internal::RunNull<R>();
    std::function<R(Args...)> state = std::move(state_);
    state_ = nullptr;
    return state(std::forward<Args>(args)...);
  }

 private:
  std::function<R(Args...)> state_;
};

}  // namespace base
