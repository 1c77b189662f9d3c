// What the editor core asks of the program around it, and how it fails.
//
// A file that another program holds open cannot be read or created; with a
// window the user is asked to close it and the open is tried again. The core
// asks the host whether to retry; a host that declines (the command line has
// nobody to ask) ends the operation with that message as an EditorFailure.
#ifndef KORAV_EDITOR_CORE_EDITOR_HOST_H_
#define KORAV_EDITOR_CORE_EDITOR_HOST_H_

#include <stdexcept>
#include <string>

namespace korav {

class EditorHost {
 public:
  virtual ~EditorHost() = default;
  // Shows `message` ("... is open in another program, please close") and
  // returns true to try the open again, false to give up.
  virtual bool RetryOpen(const std::string& message) = 0;
};

// An operation that could not be completed; what() is the message to show.
class EditorFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_EDITOR_HOST_H_
