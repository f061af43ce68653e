#pragma once
// The one way a module tells its caller that something failed: a Result holds either the value
// or one sentence saying why not. Modules may use exceptions inside themselves; none crosses a
// module boundary (each header says so where it matters).
//
//   Result<TuneImage> image = EncodeTune(notes);
//   if (!image) return Fail(err, kExitBadInput, image.why());
//   Use(*image);
//
// Result<void> carries no value: success, or the sentence.

#include <string>
#include <utility>
#include <variant>

namespace vexaro {

// Why an operation failed, as one sentence a user can read. Implicitly a failed Result<T> for
// any T, so `return Failure{"..."};` works in every function that returns a Result.
struct Failure {
  std::string why;
};

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; only when ok().
  T& operator*() & { return std::get<0>(state_); }
  const T& operator*() const& { return std::get<0>(state_); }
  T&& operator*() && { return std::get<0>(std::move(state_)); }
  T* operator->() { return &std::get<0>(state_); }
  const T* operator->() const { return &std::get<0>(state_); }

  // The sentence; only when !ok().
  const std::string& why() const { return std::get<1>(state_).why; }

 private:
  std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : failure_(std::move(failure)), ok_(false) {}  // NOLINT: implicit by design

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const std::string& why() const { return failure_.why; }

 private:
  Failure failure_;
  bool ok_ = true;
};

}  // namespace vexaro
