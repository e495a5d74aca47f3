// A movement script: an ordered list of servo commands that owns its elements.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "errors.h"
#include "translate.h"

class TFileProcess;
class TfrmCommandEdit;

// Errors of the script file code: "1001 :TRobopath: load", "1002: FileProcess: writeRow";
// the detail names the file and, for a load, the line and what was wrong with it.
class EFPError : public EDetailedError {
 public:
  using EDetailedError::EDetailedError;
};

// Save refuses an empty script with this, before a file is chosen; shown through Tr().
inline constexpr const char* kEmptyScriptNotSaved =
    TrNoop("The script is empty: nothing was saved");

struct TServoCommand {
  char letter = 'M';  // 'M' move, 'P' pause; any other letter is kept but not played
  uint8_t servoId = 0;
  uint8_t value = 0;

  bool operator==(const TServoCommand&) const = default;
};

using TCommandList = std::vector<std::unique_ptr<TServoCommand>>;

class TRoboPath {
 public:
  // Appends the command (the script takes ownership) and returns its index.
  int add(std::unique_ptr<TServoCommand> command);
  // Throws std::out_of_range("List index out of bounds (%d)") outside 0..count-1.
  TServoCommand& getItem(int index) const {
    // In line: playback and its dry runs ask for every command, several times.
    if (index < 0 || index >= count()) OutOfBounds(index);
    return *commands[static_cast<size_t>(index)];
  }
  int count() const { return static_cast<int>(commands.size()); }
  void clear() { commands.clear(); }

  // One line per command through the component's writeRow; an empty script writes nothing.
  void save(TFileProcess& file) const;
  // Reads the component's RecordSource; on any failure raises EFPError 1001 and keeps the
  // commands read before the failing line. A script whose flow cannot be played (a jump to
  // no label above it, say) is loaded whole and then refused the same way, naming the line. Only a
  // regular file is read: a FIFO would wait for a writer, a device might never end.
  void load(const TFileProcess& file);
  // Shows the modal command editor on `commands` and destroys it when it closes
  // (defined beside the editor, the one part of the script that needs the toolkit). The row
  // of command `current` (0-based) is selected when there is one.
  void edit(int current = -1);

  // Remembers the commands as they are now, as after a load or a save.
  void MarkClean();
  // True when the commands differ from those at the last MarkClean, however they were changed
  // (recording, the editor, New, a load that failed half-way).
  bool Modified() const;

  TCommandList commands;
  TfrmCommandEdit* editor = nullptr;  // set while the command editor is open

 private:
  [[noreturn]] static void OutOfBounds(int index);
  std::vector<TServoCommand> clean_;
};
