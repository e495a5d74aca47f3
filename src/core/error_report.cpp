#include "error_report.h"

#include <cstdio>
#include <utility>

namespace {
ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}
}  // namespace

void PrintError(const std::string& message) {
  std::fprintf(stderr, "vantrel: %s\n", message.c_str());
}

void ReportError(const std::string& message) {
  if (Reporter()) {
    Reporter()(message);
  } else {
    PrintError(message);
  }
}

void SetErrorReporter(ErrorReporter reporter) {
  Reporter() = std::move(reporter);
}
