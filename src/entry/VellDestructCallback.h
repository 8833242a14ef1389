#pragma once

#include <functional>

// Runs its function when destroyed.
class VellDestructCallback {
 public:
  explicit VellDestructCallback(std::function<void()> fn) : m_fn(std::move(fn)) {}
  VellDestructCallback(const VellDestructCallback&) = default;
  VellDestructCallback& operator=(const VellDestructCallback&) = default;
  ~VellDestructCallback() {
    if (m_fn) m_fn();
  }

 private:
  std::function<void()> m_fn;
};
