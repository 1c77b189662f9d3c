// The run host of the window: an output file that cannot be created is
// offered again after a message box (Retry) or given up (Cancel), and each
// milestone of the run, and how far a transaction file has been read, is
// passed on so that the window can show it and repaint while the run goes on.
#ifndef KORAV_ALLOCATION_APP_WINDOW_HOST_H_
#define KORAV_ALLOCATION_APP_WINDOW_HOST_H_

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include "allocation/host/run_host.h"
#include "common/window/message_boxes.h"

namespace korav {

class WindowRunHost : public RunHost {
 public:
  using ProgressHandler = std::function<void(std::string_view)>;
  using ReadingHandler = std::function<void(int64_t, uint64_t, uint64_t)>;

  WindowRunHost(MessageBoxes& boxes, ProgressHandler on_progress, ReadingHandler on_reading)
      : boxes_(boxes), on_progress_(std::move(on_progress)), on_reading_(std::move(on_reading)) {}

  bool RetryOutputFile(const std::string& message) override {
    return boxes_.RetryOrCancel(message);
  }
  void Progress(std::string_view milestone) override { on_progress_(milestone); }
  void ReadingProgress(int64_t lines, uint64_t bytes, uint64_t file_bytes) override {
    on_reading_(lines, bytes, file_bytes);
  }

 private:
  MessageBoxes& boxes_;
  ProgressHandler on_progress_;
  ReadingHandler on_reading_;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_WINDOW_HOST_H_
