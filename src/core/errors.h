// Errors shared by the parsers and the arithmetic of the whole program. Every error is an
// exception carrying the text the operator sees.
#pragma once

#include <stdexcept>
#include <string>

// A text that is not an integer: "'%s' is not a valid integer value".
class EConvertError : public std::runtime_error {
 public:
  explicit EConvertError(const std::string& text);
  static std::string MessageFor(const std::string& text);
};

// A zero divisor in floating-point code; C++ does not trap, so callers check and raise this.
class EMathError : public std::runtime_error {
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
