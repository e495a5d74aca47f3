#include "error_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "errors.h"
#include "stderr_capture.h"

namespace {

TEST(ErrorReport, TheLineOnStandardErrorAddsTheDetailAfterADash) {
  StderrCapture capture;
  ReportError("Unable to open com port (error 2)", "/dev/ttyUSB0: No such file or directory");
  ReportError("1001 :TRobopath: load");
  RunGuarded([] { throw EConvertError("x"); });  // a detailed error without a detail
  EXPECT_EQ(capture.Text(),
            "vantrel: Unable to open com port (error 2) - /dev/ttyUSB0: No such file "
            "or directory\n"
            "vantrel: 1001 :TRobopath: load\n"
            "vantrel: 'x' is not a valid integer value\n");
}

TEST(ErrorReport, AGuardedHandlerHandsTheDetailToTheReporter) {
  std::vector<std::pair<std::string, std::string>> reports;
  SetErrorReporter([&](const std::string& message, const std::string& detail) {
    reports.emplace_back(message, detail);
  });
  RunGuarded([] { WithDetail("field Y", [] { throw EConvertError("abc"); }); });
  RunGuarded([] {
    // An error that has its own detail keeps it.
    WithDetail("outer", [] { throw EDetailedError("message", "inner"); });
  });
  RunGuarded([] { throw std::runtime_error("plain"); });
  SetErrorReporter({});
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[0], std::make_pair(std::string("'abc' is not a valid integer value"),
                                       std::string("field Y")));
  EXPECT_EQ(reports[1], std::make_pair(std::string("message"), std::string("inner")));
  EXPECT_EQ(reports[2], std::make_pair(std::string("plain"), std::string()));
}

}  // namespace
