// Scripts with labels, jumps, waits and paces, three bytes a command: the flow check ends
// after one look at each line, and a script it passes is walked without a jump going astray.
#include "fuzz_support.h"
#include "script_cursor.h"
#include "script_flow.h"

void FuzzScriptFlow(std::string_view data) {
  static const char kLetters[] = {'M', 'P', 'L', 'J', 'W', 'S', 'T', 'X'};
  FuzzReader in(data);
  TRoboPath script;
  for (size_t k = 0; k + 3 <= data.size(); k += 3) {
    // Small numbers, so that labels and jumps meet often.
    const char letter = kLetters[in.Byte() % 8];
    const auto id = static_cast<uint8_t>(in.Byte() % 8);
    const uint8_t value = in.Byte();
    script.add(std::make_unique<TServoCommand>(
        TServoCommand{letter, id, static_cast<uint8_t>(letter == 'J' ? value % 4 : value)}));
  }
  if (const auto fault = FindFlowFault(script)) {
    FUZZ_CHECK(fault->line >= 1 && fault->line <= script.count());
    return;
  }
  // Nested counted loops may play for years: a bounded walk.
  ScriptCursor cursor(script, ScriptCursor::Forever::OnePass);
  int steps = 0;
  int last = -1;
  for (int i = cursor.Next(); i >= 0 && steps < 20000; i = cursor.Next(), ++steps) last = i;
  if (steps < 20000 && last >= 0) {
    FUZZ_CHECK(last == script.count() - 1 || cursor.RepeatsForever());
  }
}

VANTREL_FUZZ_ENTRY(FuzzScriptFlow)
