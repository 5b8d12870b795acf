// A call of a caller's lambda by reference, for a function that runs it
// before it returns and keeps nothing (C++26 names this std::function_ref).
// Unlike std::function nothing is copied, and each lambda costs one small
// function instead of a manager and a type name besides.
#pragma once

#include <memory>
#include <type_traits>

namespace tallynix {

class FunctionRef {
public:
  // Made from the lambda at the call, as std::function is.
  template <typename Lambda>
  FunctionRef(Lambda &&lambda) noexcept
      : lambda_(const_cast<void *>(static_cast<const void *>(std::addressof(lambda)))),
        call_([](void *lambda) { (*static_cast<std::remove_reference_t<Lambda> *>(lambda))(); }) {}

  void operator()() const { call_(lambda_); }

private:
  void *lambda_;
  void (*call_)(void *);
};

} // namespace tallynix
