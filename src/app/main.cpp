#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("vantrel %s\n", VANTREL_VERSION);
      return 0;
    }
  }
  std::fprintf(stderr, "vantrel: the main window is not built yet; try --version\n");
  return 1;
}
