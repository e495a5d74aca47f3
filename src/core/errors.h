// Errors shared by the parsers and the arithmetic of the whole program. Every error is an
// exception carrying the text the operator sees.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

// An error whose message is the text the operator has always seen, with an optional detail
// saying what went wrong where: a file's path and line, a port's path and the system's reason,
// a field. The error box shows the detail as a second line.
class EDetailedError : public std::runtime_error {
 public:
  explicit EDetailedError(const std::string& message, std::string detail = {})
      : std::runtime_error(message), detail_(std::move(detail)) {}
  const std::string& detail() const { return detail_; }
  void SetDetail(std::string detail) { detail_ = std::move(detail); }

 private:
  std::string detail_;
};

// The detail of any error; empty for errors that carry none.
std::string DetailOf(const std::exception& error);

// Runs `work`; an EDetailedError leaving it without a detail of its own takes `detail`.
template <typename Work>
auto WithDetail(const std::string& detail, Work&& work) -> decltype(work()) {
  try {
    return work();
  } catch (EDetailedError& e) {
    if (e.detail().empty()) e.SetDetail(detail);
    throw;
  }
}

// A text that is not an integer: "'%s' is not a valid integer value", the text cut and
// escaped as MessageField does.
class EConvertError : public EDetailedError {
 public:
  explicit EConvertError(std::string_view text);
  static std::string MessageFor(std::string_view text);
};

// A zero divisor in floating-point code; C++ does not trap, so callers check and raise this.
class EMathError : public EDetailedError {
 public:
  enum class Kind { DivisionByZero, InvalidOperation };
  explicit EMathError(Kind kind);
  // dividend / divisor with divisor 0: division by zero, or invalid when both are 0.
  static EMathError ForZeroDivisor(long double dividend);
  Kind kind() const { return kind_; }

 private:
  Kind kind_;
};

// Checked division for the places that must report a zero divisor the way the operator
// expects instead of producing inf or NaN.
long double CheckedDivide(long double dividend, long double divisor);
