#include "stderr_capture.h"

#include <unistd.h>

StderrCapture::StderrCapture() : file_(std::tmpfile()), saved_(::dup(2)) {
  std::fflush(stderr);
  ::dup2(::fileno(file_), 2);
}

StderrCapture::~StderrCapture() {
  Restore();
  std::fclose(file_);
}

std::string StderrCapture::Text() {
  Restore();
  std::string text;
  std::rewind(file_);
  for (int c; (c = std::fgetc(file_)) != EOF;) text += static_cast<char>(c);
  return text;
}

void StderrCapture::Restore() {
  if (saved_ < 0) return;
  std::fflush(stderr);
  ::dup2(saved_, 2);
  ::close(saved_);
  saved_ = -1;
}
