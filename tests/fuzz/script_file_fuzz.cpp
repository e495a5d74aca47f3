// Load -> save -> load gives the same script, and the saved file holds one CR LF line per
// command and nothing else. Whatever part of the input loads before a failing line counts.
#include <cstdio>
#include <string>

#include "file_process.h"
#include "fuzz_support.h"
#include "script_flow.h"
#include "script_line.h"
#include "script_model.h"

namespace {

bool SameScript(const TRoboPath& a, const TRoboPath& b) {
  if (a.count() != b.count()) return false;
  for (int i = 0; i < a.count(); ++i) {
    const TServoCommand& x = a.getItem(i);
    const TServoCommand& y = b.getItem(i);
    if (x.letter != y.letter || x.servoId != y.servoId || x.value != y.value) return false;
  }
  return true;
}

// Loads `path`; false when the load failed part-way.
bool Load(TRoboPath& script, const std::string& path) {
  TFileProcess file;
  file.RecordSource = path;
  try {
    script.load(file);
    return true;
  } catch (const EFPError&) {
    return false;
  }
}

}  // namespace

void FuzzScriptFile(std::string_view data) {
  const std::string input = FuzzScratchFolder() + "/input.vco";
  const std::string saved = FuzzScratchFolder() + "/saved.vco";
  WriteWholeFile(input, data);
  std::remove(saved.c_str());

  TRoboPath first;
  Load(first, input);

  // As the Save button does it.
  TFileProcess file;
  file.RecordSource = saved;
  file.close();
  first.save(file);
  file.close();

  std::string text;
  if (!ReadWholeFile(saved, text)) {
    FUZZ_CHECK(first.count() == 0);  // an empty script creates no file
    return;
  }
  size_t lines = 0;
  for (size_t at = 0; at < text.size(); ++lines) {
    const size_t end = text.find("\r\n", at);
    FUZZ_CHECK(end != std::string::npos);
    FUZZ_CHECK(text.find_first_of(std::string("\r\n\x1A", 3), at) == end);
    at = end + 2;
  }
  FUZZ_CHECK(lines == static_cast<size_t>(first.count()));

  TRoboPath second;
  // A script whose jumps do not hold together loads whole, but the load says why it is refused.
  FUZZ_CHECK(Load(second, saved) || FindFlowFault(second));
  FUZZ_CHECK(SameScript(first, second));
}

VANTREL_FUZZ_ENTRY(FuzzScriptFile)
