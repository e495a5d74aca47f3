// The libFuzzer side of the property check: report and abort, so the input is kept.
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"

void FuzzFail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
  std::abort();
}
