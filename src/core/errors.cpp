#include "errors.h"

#include "message_field.h"
#include "translate.h"

std::string DetailOf(const std::exception& error) {
  const auto* detailed = dynamic_cast<const EDetailedError*>(&error);
  return detailed ? detailed->detail() : std::string();
}

EConvertError::EConvertError(std::string_view text) : EDetailedError(MessageFor(text)) {}

std::string EConvertError::MessageFor(std::string_view text) {
  return TrFormat("'{1}' is not a valid integer value", {MessageField(text)});
}

EMathError::EMathError(Kind kind)
    : EDetailedError(kind == Kind::DivisionByZero ? Tr("Floating point division by zero")
                                                  : Tr("Invalid floating point operation")),
      kind_(kind) {}

EMathError EMathError::ForZeroDivisor(long double dividend) {
  return EMathError(dividend == 0 || dividend != dividend ? Kind::InvalidOperation
                                                          : Kind::DivisionByZero);
}

long double CheckedDivide(long double dividend, long double divisor) {
  if (divisor == 0) throw EMathError::ForZeroDivisor(dividend);
  return dividend / divisor;
}
