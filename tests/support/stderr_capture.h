// What the code under test writes to standard error meanwhile.
#pragma once

#include <cstdio>
#include <string>

class StderrCapture {
 public:
  StderrCapture();
  ~StderrCapture();
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  // Everything written so far; standard error goes back to where it went before.
  std::string Text();

 private:
  void Restore();
  std::FILE* file_;
  int saved_;
};
