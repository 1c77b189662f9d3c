// Text helpers of the editor: trimming, upper case and numbers with
// thousands separators. Texts are bytes; only ASCII letters change case.
#ifndef KORAV_EDITOR_CORE_TEXT_FORMAT_H_
#define KORAV_EDITOR_CORE_TEXT_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

// `text` without leading and trailing blanks and control characters.
std::string Trimmed(std::string_view text);

std::string UpperCase(std::string_view text);

// `value` with "," between groups of three digits and `decimals` decimals
// after ".": 1234.5 with 2 decimals gives "1,234.50".
std::string WithThousands(double value, int decimals);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_TEXT_FORMAT_H_
