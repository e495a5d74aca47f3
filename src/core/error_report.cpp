#include "error_report.h"

#include <cstdio>
#include <utility>

#include "errors.h"

namespace {
ErrorReporter& Reporter() {
  static ErrorReporter reporter;
  return reporter;
}
}  // namespace

std::string ErrorLine(const std::string& message, const std::string& detail) {
  return "vantrel: " + message + (detail.empty() ? "" : " - " + detail);
}

void PrintError(const std::string& message, const std::string& detail) {
  std::fprintf(stderr, "%s\n", ErrorLine(message, detail).c_str());
}

void ReportError(const std::string& message, const std::string& detail) {
  if (Reporter()) {
    Reporter()(message, detail);
  } else {
    PrintError(message, detail);
  }
}

void ReportError(const std::exception& error) {
  ReportError(error.what(), DetailOf(error));
}

void SetErrorReporter(ErrorReporter reporter) {
  Reporter() = std::move(reporter);
}
