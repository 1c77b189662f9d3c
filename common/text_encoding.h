// Texts of model files on HTML pages, which declare UTF-8. Files hold bytes
// in no particular encoding: texts that are valid UTF-8 are taken as such,
// any other as Latin-1, as the windows show them.
#ifndef KORAV_COMMON_TEXT_ENCODING_H_
#define KORAV_COMMON_TEXT_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace korav {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsValidUtf8(std::string_view bytes);

// `bytes` as UTF-8: unchanged when valid UTF-8, else read as Latin-1.
std::string AsUtf8(std::string_view bytes);

// The number of characters of the UTF-8 text `text`.
size_t Utf8Length(std::string_view text);

// The first `characters` characters of the UTF-8 text `text`.
std::string_view Utf8Prefix(std::string_view text, size_t characters);

// `text` safe inside an HTML element or a quoted attribute value: the
// characters HTML reserves as entities, and a line end as "&#10;", so that a
// tooltip's lines survive on one line of the page.
std::string EscapedHtml(std::string_view text);

}  // namespace korav

#endif  // KORAV_COMMON_TEXT_ENCODING_H_
