#pragma once

namespace base {

template <typename Signature>
class RepeatingCallback;
template <typename Signature>
class OnceCallback;

// CEF 89 spells a repeatable callback base::Callback and base::Closure.
template <typename Signature>
using Callback = RepeatingCallback<Signature>;
using Closure = Callback<void()>;
using RepeatingClosure = RepeatingCallback<void()>;
using OnceClosure = OnceCallback<void()>;

}  // namespace base
