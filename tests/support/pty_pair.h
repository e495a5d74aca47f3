// A pseudo-terminal pair: the program opens the slave path as its serial device, the test
// plays the peer on the master side.
#pragma once

#include <chrono>
#include <string>

class PtyPair {
 public:
  PtyPair();
  ~PtyPair();
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  const std::string& slavePath() const { return slavePath_; }
  int master() const { return master_; }

  // Reads until `count` bytes arrived or the time is up; returns what arrived.
  std::string ReadPeer(size_t count, std::chrono::milliseconds timeout);
  // Everything that arrives within `quiet` of the previous byte.
  std::string Drain(std::chrono::milliseconds quiet);
  void WritePeer(const std::string& bytes);
  // Writes into the line from the program's side: the peer reads it behind everything the
  // program wrote before.
  void WriteLine(const std::string& bytes);
  // Stops the line's output, as a peer that never reads: writes take nothing more.
  void Stall();
  // Closes the test's slave handle and the master: the device vanishes for the program.
  void CloseMaster();

 private:
  int master_ = -1;
  int slave_ = -1;  // kept open so the line stays up while the program reopens it
  std::string slavePath_;
};
