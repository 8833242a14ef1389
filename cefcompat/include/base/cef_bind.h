#pragma once
// base::Bind and base::BindOnce as CEF 89 code uses them:
//
//   CefPostTask(TID_UI, base::Bind(&Handler::CloseAll, this, false));
//   base::Callback<void(int)> cb = base::Bind(&OnDone, request_id);
//   cb.Run(42);
//
// The functor is a function, a member function (the receiver is the first
// bound argument: a raw pointer, a CefRefPtr, or base::Unretained(p)) or a
// lambda. Arguments after those bound are given to Run().
//
// A raw pointer to a reference-counted object (one with AddRef/Release) is
// kept alive by the callback; base::Unretained(p) stores the bare pointer,
// which must then outlive the callback. Other raw pointers are stored bare.
// Bound values are copied into the callback; BindOnce hands them to the
// functor by move. Unlike Chromium's base, the bound values must be copyable.

#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "include/base/cef_callback.h"

namespace base {
namespace cef_internal {

template <typename... T>
struct TypeList {};

template <typename F, typename = void>
struct FunctorTraits;

template <typename R, typename... P>
struct FunctorTraits<R (*)(P...), void> {
  typedef R Return;
  typedef TypeList<P...> Params;
};

template <typename R, typename C, typename... P>
struct FunctorTraits<R (C::*)(P...), void> {
  typedef R Return;
  typedef TypeList<C*, P...> Params;
};

template <typename R, typename C, typename... P>
struct FunctorTraits<R (C::*)(P...) const, void> {
  typedef R Return;
  typedef TypeList<const C*, P...> Params;
};

// A lambda or function object with one operator(): its parameters.
template <typename F>
struct FunctorTraits<F, std::void_t<decltype(&F::operator())>> {
  typedef FunctorTraits<decltype(&F::operator())> Call;
  typedef typename Call::Return Return;
  template <typename List>
  struct WithoutThis;
  template <typename Self, typename... P>
  struct WithoutThis<TypeList<Self, P...>> {
    typedef TypeList<P...> Type;
  };
  typedef typename WithoutThis<typename Call::Params>::Type Params;
};

// The list without its first N types.
template <size_t N, typename List>
struct DropTypes {
  typedef List Type;
};
template <size_t N, typename Head, typename... Tail>
struct DropTypes<N, TypeList<Head, Tail...>> {
  template <typename T>
  struct Identity {
    typedef T Type;
  };
  typedef typename std::conditional_t<N == 0, Identity<TypeList<Head, Tail...>>,
                                      DropTypes<N - 1, TypeList<Tail...>>>::Type Type;
};

template <typename T>
struct ListSize;
template <typename... T>
struct ListSize<TypeList<T...>> {
  static constexpr size_t value = sizeof...(T);
};

template <template <typename> class Callback, typename R, typename List>
struct MakeCallback;
template <template <typename> class Callback, typename R, typename... P>
struct MakeCallback<Callback, R, TypeList<P...>> {
  typedef Callback<R(P...)> Type;
};

template <typename T, typename = void>
struct IsRefCounted : std::false_type {};
template <typename T>
struct IsRefCounted<T, std::void_t<decltype(std::declval<T&>().AddRef()), decltype(std::declval<T&>().Release())>>
    : std::true_type {};

// A bound raw pointer to a reference-counted object: holds one reference.
template <typename T>
class RetainedPointer {
 public:
  explicit RetainedPointer(T* ptr) : ptr_(ptr) {
    if (ptr_) ptr_->AddRef();
  }
  RetainedPointer(const RetainedPointer& other) : RetainedPointer(other.ptr_) {}
  RetainedPointer& operator=(const RetainedPointer&) = delete;
  ~RetainedPointer() {
    if (ptr_) ptr_->Release();
  }
  T* get() const { return ptr_; }

 private:
  T* ptr_;
};

template <typename T>
class UnretainedWrapper {
 public:
  explicit UnretainedWrapper(T* ptr) : ptr_(ptr) {}
  T* get() const { return ptr_; }

 private:
  T* ptr_;
};

template <typename T>
struct IsPointerWrapper : std::false_type {};
template <typename T>
struct IsPointerWrapper<RetainedPointer<T>> : std::true_type {};
template <typename T>
struct IsPointerWrapper<UnretainedWrapper<T>> : std::true_type {};

// How a bound argument is stored.
template <typename A, typename D = std::decay_t<A>>
using Stored = std::conditional_t<std::is_pointer_v<D> && IsRefCounted<std::remove_pointer_t<D>>::value,
                                  RetainedPointer<std::remove_pointer_t<D>>, D>;

// A stored argument as the functor receives it.
template <bool kOnce, typename T>
decltype(auto) Unwrap(T& stored) {
  if constexpr (IsPointerWrapper<T>::value) {
    return stored.get();
  } else if constexpr (kOnce) {
    return std::move(stored);
  } else {
    return (stored);
  }
}

template <bool kOnce, typename Functor, typename R, typename Unbound, typename... Bound>
class BindState;

template <bool kOnce, typename Functor, typename R, typename... Unbound, typename... Bound>
class BindState<kOnce, Functor, R, TypeList<Unbound...>, Bound...> {
 public:
  template <typename F, typename... A>
  explicit BindState(F&& functor, A&&... bound) : functor_(std::forward<F>(functor)), bound_(std::forward<A>(bound)...) {}

  R operator()(Unbound... unbound) {
    return std::apply(
        [&](auto&... bound) -> R {
          return std::invoke(functor_, Unwrap<kOnce>(bound)..., std::forward<Unbound>(unbound)...);
        },
        bound_);
  }

 private:
  Functor functor_;
  std::tuple<Bound...> bound_;
};

template <template <typename> class Callback, bool kOnce, typename Functor, typename... Args>
auto MakeBound(Functor&& functor, Args&&... args) {
  typedef std::decay_t<Functor> F;
  typedef FunctorTraits<F> Traits;
  static_assert(sizeof...(Args) <= ListSize<typename Traits::Params>::value,
                "base::Bind: more bound arguments than the function takes");
  typedef typename DropTypes<sizeof...(Args), typename Traits::Params>::Type Unbound;
  typedef typename MakeCallback<Callback, typename Traits::Return, Unbound>::Type Result;
  typedef BindState<kOnce, F, typename Traits::Return, Unbound, Stored<Args>...> State;
  return Result(State(std::forward<Functor>(functor), Stored<Args>(std::forward<Args>(args))...));
}

}  // namespace cef_internal

// Binds `args` to the first parameters of `functor`; see the top of this file.
template <typename Functor, typename... Args>
auto Bind(Functor&& functor, Args&&... args) {
  return cef_internal::MakeBound<RepeatingCallback, false>(std::forward<Functor>(functor), std::forward<Args>(args)...);
}

template <typename Functor, typename... Args>
auto BindRepeating(Functor&& functor, Args&&... args) {
  return Bind(std::forward<Functor>(functor), std::forward<Args>(args)...);
}

template <typename Functor, typename... Args>
auto BindOnce(Functor&& functor, Args&&... args) {
  return cef_internal::MakeBound<OnceCallback, true>(std::forward<Functor>(functor), std::forward<Args>(args)...);
}

// A receiver or argument pointer the callback does not keep alive.
template <typename T>
cef_internal::UnretainedWrapper<T> Unretained(T* ptr) {
  return cef_internal::UnretainedWrapper<T>(ptr);
}

}  // namespace base
