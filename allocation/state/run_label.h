// The run's label: the text of option 12 ("OO,12,2026-11 Actual"), which
// names the run for its readers in the Cost Flow Chart's heading, the run
// manifest, the window's run line and the reports that show it.
#ifndef KORAV_ALLOCATION_STATE_RUN_LABEL_H_
#define KORAV_ALLOCATION_STATE_RUN_LABEL_H_

#include <string_view>

#include "allocation/state/engine.h"

namespace korav {

// The label as column 3 of the run's last option 12 record gives it; empty
// when no such record was read.
inline std::string_view RunLabel(const Engine& engine) {
  const TmyOption& option = engine.options.slots[kRunLabelOption];
  return option.IsSet ? std::string_view(option.Text) : std::string_view();
}

}  // namespace korav

#endif  // KORAV_ALLOCATION_STATE_RUN_LABEL_H_
