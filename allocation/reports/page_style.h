// What korava's HTML pages share, so that they read as one family and hold a
// model's texts alike: the Cost Flow Chart (41) and the comparison of two
// runs. Their colours, style sheet and SVG text sizes; and the texts of a
// model, made by ShownText, as they stand among other words: escaped, and in
// a direction isolate of their own where they need one (<bdi> in HTML,
// U+2068 ... U+2069 in SVG), so that no right-to-left letter or direction
// control in a description can turn round the words beside it.
#ifndef KORAV_ALLOCATION_REPORTS_PAGE_STYLE_H_
#define KORAV_ALLOCATION_REPORTS_PAGE_STYLE_H_

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace korav {

inline constexpr std::array<std::string_view, 8> kStageColours = {
    "#4e79a7", "#59a14f", "#b07aa1", "#76b7b2", "#9c755f", "#edc948", "#ff9da7", "#bab0ac"};
inline constexpr std::string_view kVarianceColour = "#e15759";
inline constexpr std::string_view kOutsideColour = "#9a9a9a";
inline constexpr std::string_view kNotAllocatedColour = "#555555";

// The font size of the texts in a page's SVG; a line's baseline lies this far
// below the top of its box.
inline constexpr double kFontSize = 11;
inline constexpr double kLineHeight = 13;
// A generous average advance of the pages' sans-serif font, so that a text
// measured with it takes no more room than it is given.
inline constexpr double kCharWidth = kFontSize * 0.68;

// The pages' style sheet: the contents of their <style> element.
std::string PageStyle();

// A coordinate with one decimal, whatever the locale.
std::string Px(double value);

// `text` escaped for HTML, in <bdi> where it needs an isolate.
std::string HtmlIsolated(const std::string& text);

// `text` as it stands in an SVG label or tooltip, which has no element that
// isolates: between U+2068 FIRST STRONG ISOLATE and U+2069 POP DIRECTIONAL
// ISOLATE where it needs an isolate. Not escaped; SvgTitle and the labels
// escape the whole.
std::string SvgIsolated(const std::string& text);

// An SVG element's tooltip: `tooltip` escaped in a <title>.
std::string SvgTitle(const std::string& tooltip);

// `line` cut to `width` pixels, with "…" where it was cut, and the direction
// controls that the cut left open closed before it.
std::string FitLine(const std::string& line, double width);

// The width in pixels of the longest of `lines`.
double LinesWidth(const std::vector<std::string>& lines);

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_PAGE_STYLE_H_
