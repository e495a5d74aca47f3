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

void PrintError(const std::string& message, const std::string& detail) {
  if (detail.empty()) {
    std::fprintf(stderr, "vantrel: %s\n", message.c_str());
  } else {
    std::fprintf(stderr, "vantrel: %s - %s\n", message.c_str(), detail.c_str());
  }
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
