#pragma once

#include <mutex>
#include <new>

// Lazily created process-wide instance of T, never destroyed. T keeps its
// constructor protected and befriends VellAutoSingleton<T>.
// Instance() is safe from any thread.
template <class T>
class VellAutoSingleton {
 public:
  static T*& Instance() {
    static std::mutex m_Mutex;
    static T* m_pInstance = nullptr;
    // The unlocked read is the fast path; creation is serialised by the mutex.
    if (!m_pInstance) {
      std::lock_guard<std::mutex> lock(m_Mutex);
      if (!m_pInstance) m_pInstance = new (std::nothrow) T();
    }
    return m_pInstance;
  }

 protected:
  VellAutoSingleton() = default;
  virtual ~VellAutoSingleton() = default;
};
