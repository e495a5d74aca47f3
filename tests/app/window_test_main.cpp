#include <gtest/gtest.h>

#include "vantrel_application.h"

// The window tests run under the program's own application object, so errors that leave a
// handler reach the error box the way they do for the operator.
int main(int argc, char** argv) {
  TVantrelApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
