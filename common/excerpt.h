// How messages quote what was read: a line or a field is quoted by its first
// few hundred bytes followed by "...", so that one huge line or field cannot
// fill a log or a message box.
#ifndef KORAV_COMMON_EXCERPT_H_
#define KORAV_COMMON_EXCERPT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace korav {

// The most bytes of a line or field that a message quotes.
inline constexpr size_t kExcerptBytes = 256;

// `text` when it is at most kExcerptBytes long, else its first kExcerptBytes
// bytes followed by "...".
std::string Excerpt(std::string_view text);

// Appends Excerpt(`text`) to `out` without a string of its own.
void AppendExcerpt(std::string& out, std::string_view text);

}  // namespace korav

#endif  // KORAV_COMMON_EXCERPT_H_
