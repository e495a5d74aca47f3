#include "script_model.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "file_process.h"
#include "regular_file.h"
#include "script_flow.h"
#include "script_line.h"
#include "translate.h"

namespace {

const char kLoadError[] = "1001 :TRobopath: load";
constexpr size_t kBlockSize = 1 << 20;

// Lines of a file read in large blocks. A line ends at LF; Ctrl-Z ends the file; a last line
// without line end still counts. Lines are views into the block and live until the next call.
class LineReader {
 public:
  // The block is not cleared first: only what was read is ever looked at.
  explicit LineReader(int fd)
      : fd_(fd), block_(std::make_unique_for_overwrite<char[]>(kBlockSize)), size_(kBlockSize) {}

  bool next(std::string_view& line) {
    for (;;) {
      const char* start = block_.get() + begin_;
      const char* from = block_.get() + scanned_;
      const auto* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - scanned_));
      if (lf != nullptr) {
        line = std::string_view(start, static_cast<size_t>(lf - start));
        begin_ = scanned_ = static_cast<size_t>(lf - block_.get()) + 1;
        return true;
      }
      scanned_ = end_;
      if (atEnd_) {
        if (begin_ == end_) return false;
        line = std::string_view(start, end_ - begin_);
        begin_ = end_;
        return true;
      }
      fill();
    }
  }

 private:
  void fill() {
    if (begin_ > 0) {
      std::memmove(block_.get(), block_.get() + begin_, end_ - begin_);
      end_ -= begin_;
      scanned_ -= begin_;
      begin_ = 0;
    }
    // A line longer than the block: make room for more of it.
    if (end_ == size_) {
      auto larger = std::make_unique_for_overwrite<char[]>(size_ * 2);
      std::memcpy(larger.get(), block_.get(), end_);
      block_ = std::move(larger);
      size_ *= 2;
    }
    ssize_t n;
    do {
      n = ::read(fd_, block_.get() + end_, size_ - end_);
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw std::runtime_error(SystemErrorText(errno));
    const char* fresh = block_.get() + end_;
    if (n == 0) {
      atEnd_ = true;
    } else if (const void* eof = std::memchr(fresh, kScriptEndOfFile, static_cast<size_t>(n))) {
      end_ += static_cast<size_t>(static_cast<const char*>(eof) - fresh);
      atEnd_ = true;
    } else {
      end_ += static_cast<size_t>(n);
    }
  }

  int fd_;
  std::unique_ptr<char[]> block_;
  size_t size_;
  size_t begin_ = 0;    // start of the line being read
  size_t scanned_ = 0;  // searched for LF up to here
  size_t end_ = 0;      // data read so far
  bool atEnd_ = false;
};

// What the load error adds: the file and, when a line was at fault, its number and what was
// wrong with it.
std::string LoadDetail(const std::string& path, int line, const std::string& problem) {
  if (line <= 0) return path + ": " + problem;
  return TrFormat("{1}, line {2}: {3}", {path, std::to_string(line), problem});
}

}  // namespace

int TRoboPath::add(std::unique_ptr<TServoCommand> command) {
  if (!command) throw std::invalid_argument("TRoboPath::add: no command");
  commands.push_back(std::move(command));
  return count() - 1;
}

void TRoboPath::OutOfBounds(int index) {
  throw std::out_of_range(TrFormat("List index out of bounds ({1})", {std::to_string(index)}));
}

void TRoboPath::save(TFileProcess& file) const {
  // Refused before the first row, so no half-written file is left for a later close to keep.
  for (size_t i = 0; i < commands.size(); ++i) {
    if (!LetterLoadsBack(commands[i]->letter)) {
      throw UnloadableLetterError(commands[i]->letter, static_cast<int>(i) + 1);
    }
  }
  for (const auto& command : commands) file.writeRow(FormatScriptLine(*command));
}

void TRoboPath::load(const TFileProcess& file) {
  const std::string& path = file.RecordSource;
  TRegularFile source(path);
  if (!source.IsOpen()) throw EFPError(kLoadError, LoadDetail(path, 0, source.Reason()));

  clear();
  int number = 0;
  bool blank = false;
  try {
    LineReader reader(source.fd());
    std::string_view line;
    while (reader.next(line)) {
      ++number;
      blank = line.find_first_not_of('\r') == std::string_view::npos;
      add(std::make_unique<TServoCommand>(ParseScriptLine(line)));
    }
  } catch (const EDetailedError& e) {  // a number field that is no integer or no byte
    throw EFPError(kLoadError, LoadDetail(path, number, e.what()));
  } catch (const std::out_of_range&) {
    throw EFPError(
        kLoadError,
        LoadDetail(path, number, blank ? Tr("a blank line") : Tr("fewer than three fields")));
  } catch (const std::exception& e) {
    throw EFPError(kLoadError, LoadDetail(path, 0, e.what()));
  }
  // The whole script stays loaded, so its flow can be mended in the editor.
  if (const auto fault = FindFlowFault(*this)) {
    throw EFPError(kLoadError,
                   LoadDetail(path, fault->line,
                              FormatScriptLine(getItem(fault->line - 1)) + ": " + fault->reason));
  }
}

void TRoboPath::MarkClean() {
  clean_.clear();
  clean_.reserve(commands.size());
  for (const auto& command : commands) clean_.push_back(*command);
}

bool TRoboPath::Modified() const {
  if (clean_.size() != commands.size()) return true;
  for (size_t i = 0; i < commands.size(); ++i) {
    if (!(clean_[i] == *commands[i])) return true;
  }
  return false;
}
