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

// `bytes` as UTF-8 (see AsUtf8), fit to stand as one line among other words
// on a page: tab and line ends become blanks; every other control character
// (C0, DEL, C1) and the non-characters U+FFFE and U+FFFF, which draw nothing
// or which XML does not allow, become U+FFFD, so that they show; and its
// direction controls are balanced (see BalancedDirections).
std::string ShownText(std::string_view bytes);

// The UTF-8 text `text` with its direction embeddings, overrides and
// isolates balanced: a terminator that closes nothing the text opened is
// dropped, and what the text leaves open is closed at its end. So no text
// can turn round, or end the isolate around it for, what follows it, also
// after it was cut short.
std::string BalancedDirections(std::string_view text);

// True when `text`, a text of a model standing among other words on a page,
// must be isolated from them (by <bdi> in HTML, by a direction isolate in
// SVG) so that its right-to-left letters or direction controls cannot turn
// them round, nor they it. A text of ASCII alone holds neither and takes the
// page's direction as its neighbours do: it needs none.
bool NeedsIsolate(std::string_view text);

// `text` safe inside an HTML element or a quoted attribute value, also of a
// page read as XML: the characters HTML reserves as entities, a line end as
// "&#10;", so that a tooltip's lines survive on one line of the page, and
// U+FFFD for the characters that ShownText replaces and for each byte that
// is not part of UTF-8, which would make the page unreadable as XML.
std::string EscapedHtml(std::string_view text);

}  // namespace korav

#endif  // KORAV_COMMON_TEXT_ENCODING_H_
