// Option records ("OO"): run options read in pass 1, before any table is
// sized, and the generated Level of Confidence dimension that option 3 asks
// for.
#ifndef KORAV_ALLOCATION_LOADING_OPTIONS_H_
#define KORAV_ALLOCATION_LOADING_OPTIONS_H_

#include <string_view>

namespace korav {

// The 26-character name under which option `number` is logged;
// "Option not known          " for a number outside 0..12.
std::string_view OptionName(int number);

}  // namespace korav

#endif  // KORAV_ALLOCATION_LOADING_OPTIONS_H_
