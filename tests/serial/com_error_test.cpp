#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <clocale>
#include <cstdlib>

#include "build_paths.h"
#include "com_error.h"

namespace {

using namespace std::string_literals;

TEST(ComError, ComposesTheMessageText) {
  const EComPort link(18);
  EXPECT_STREQ(link.what(), "Link (un)registration failed");
  EXPECT_EQ(link.messageNumber, 18);
  EXPECT_EQ(link.systemError, -1);

  const EComPort open(1, 2);
  EXPECT_EQ(open.what(), "Unable to open com port: No such file or directory (error 2)"s);
  EXPECT_EQ(open.messageNumber, 1);
  EXPECT_EQ(open.systemError, 2);

  EXPECT_EQ(EComPort(2, 6).what(),
            "WriteFile function failed: No such device or address (error 6)"s);
  EXPECT_EQ(PortMessages(23), "Registry error");
  EXPECT_EQ(PortMessages(14), "Cannot set property while connected");
}

TEST(ComError, WithoutACatalogueEveryTextIsEnglish) {
  InitPortMessages("/nonexistent");
  EXPECT_EQ(PortMessages(1), "Unable to open com port");
  EXPECT_EQ(PortMessages(19), "Cannot change led state if ComPort is selected");
}

TEST(ComError, TranslatesThroughTheCportCatalogue) {
  ::setenv("LANGUAGE", "de", 1);
  ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
  InitPortMessages(BuildPath("tests/serial/locale"));
  EXPECT_EQ(PortMessages(18), "Verknüpfung konnte nicht (ab)gemeldet werden");
  EXPECT_EQ(PortMessages(1), "Unable to open com port");  // not in the catalogue
  EXPECT_STREQ(EComPort(18).what(), "Verknüpfung konnte nicht (ab)gemeldet werden");
  EXPECT_EQ(EComPort(1, 5).what(),
            "Unable to open com port: " + std::string(std::strerror(5)) + " (Fehlercode: 5)");
  ::unsetenv("LANGUAGE");
  InitPortMessages("/nonexistent");
}

TEST(ComError, OnlyASuffixWithOneNumberAndNothingElseIsUsed) {
  EXPECT_TRUE(IsSafeSuffix(" (Fehlercode: %d)"));
  EXPECT_TRUE(IsSafeSuffix("%d"));
  for (const char* bad : {"", " (code)", " (%s)", " %x", "%d%s", "%d %n", "%", "%%d", "%d%"}) {
    EXPECT_FALSE(IsSafeSuffix(bad)) << bad;
  }
}

TEST(ComError, TheDetailNamesThePortTheReasonAndWhatToDo) {
  EXPECT_EQ(PortErrorDetail("/dev/ttyUSB0", ENOENT), "/dev/ttyUSB0: No such file or directory");
  EXPECT_EQ(PortErrorDetail("/dev/ttyUSB0", EACCES),
            "/dev/ttyUSB0: Permission denied; your user needs access to the port (on Debian: "
            "the dialout group)");
  for (const int busy : {EBUSY, EAGAIN}) {
    EXPECT_EQ(PortErrorDetail("/dev/ttyS0", busy),
              "/dev/ttyS0: " + std::string(std::strerror(busy)) +
                  "; the port is in use by another program");
  }
  EXPECT_EQ(PortErrorDetail("", ENOENT), "no port name is set");
  // The detail never changes the message.
  const EComPort e(1, EACCES, PortErrorDetail("/dev/ttyS0", EACCES));
  EXPECT_EQ(e.what(), "Unable to open com port: Permission denied (error 13)"s);
}

}  // namespace
