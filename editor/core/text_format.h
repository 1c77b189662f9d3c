// Text helpers of the editor: trimming and upper case. Texts are bytes;
// only ASCII letters change case.
#ifndef KORAV_EDITOR_CORE_TEXT_FORMAT_H_
#define KORAV_EDITOR_CORE_TEXT_FORMAT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace korav {

// `text` without leading and trailing blanks and control characters.
std::string Trimmed(std::string_view text);

std::string UpperCase(std::string_view text);

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_TEXT_FORMAT_H_
