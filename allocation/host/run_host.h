// What a run needs from the program around it: an answer when an output file
// cannot be created, the clock and the heap figure, and someone to tell of the
// run's progress. The window and the command line each provide one; tests
// provide a fixed clock.
#ifndef KORAV_ALLOCATION_HOST_RUN_HOST_H_
#define KORAV_ALLOCATION_HOST_RUN_HOST_H_

#include <atomic>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace korav {

// A request to stop the run, made from outside it: the command line's signal
// handlers set it (lock-free, so a handler may), the run reads it at line,
// record and cell boundaries and then ends with RunInterrupted.
class StopRequest {
 public:
  void Request(int signal) noexcept { signal_.store(signal, std::memory_order_relaxed); }
  bool Requested() const noexcept { return signal_.load(std::memory_order_relaxed) != 0; }
  // The signal that asked for the stop, 0 while none did.
  int Signal() const noexcept { return signal_.load(std::memory_order_relaxed); }
  // "SIGINT", "SIGTERM" or "signal <n>".
  std::string SignalName() const;

 private:
  std::atomic<int> signal_{0};
  static_assert(std::atomic<int>::is_always_lock_free);
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // An output file cannot be created, as a rule because another program holds
  // it open; `message` says so and names the file. Returns true to try again,
  // false to give up, which ends the run with RunAborted.
  virtual bool RetryOutputFile(const std::string& message) = 0;

  // The texts of log time stamps and the heap figure of milestone lines,
  // and the run manifest's ISO 8601 times.
  virtual std::string TimeOfDay();
  virtual std::string DateTime();
  virtual std::string Timestamp();
  virtual int64_t HeapBytes();

  // Told of each milestone line as it is logged ("Start Read Pass 1",
  // "Count 200000", ...), without its class letter. The run stays on the
  // caller's thread, so a window repaints from here; the default ignores it.
  virtual void Progress(std::string_view /*milestone*/) {}

  // Told while a transaction file is read, every few hundred lines: the
  // lines read from the file so far and the bytes they took of its
  // `file_bytes` (0 when its size is not known). The default ignores it.
  virtual void ReadingProgress(int64_t /*lines*/, uint64_t /*bytes*/, uint64_t /*file_bytes*/) {}

  // Set when the run is to stop early; never set unless the program installs
  // something that sets it.
  StopRequest stop;
};

// Thrown when the program itself cannot go on: a start file, run file, output
// or input directory that is missing, a run file without "$ODIR", or an
// output file that cannot be created. The message is the text the user sees.
class RunAborted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Thrown at the first boundary after a stop was requested (see StopRequest).
class RunInterrupted : public RunAborted {
 public:
  RunInterrupted() : RunAborted("Run interrupted") {}
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_HOST_RUN_HOST_H_
