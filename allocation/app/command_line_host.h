// The run host of a run without a window: nobody can close a file that
// another program holds open, so an output file that cannot be created ends
// the run (exit code 2) instead of asking again.
#ifndef KORAV_ALLOCATION_APP_COMMAND_LINE_HOST_H_
#define KORAV_ALLOCATION_APP_COMMAND_LINE_HOST_H_

#include "allocation/host/run_host.h"

namespace korav {

class CommandLineHost : public RunHost {
 public:
  bool RetryOutputFile(const std::string&) override { return false; }
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_APP_COMMAND_LINE_HOST_H_
