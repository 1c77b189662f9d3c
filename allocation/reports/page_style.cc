#include "allocation/reports/page_style.h"

#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "common/text_encoding.h"

namespace korav {

std::string PageStyle() {
  return "body{font-family:\"DejaVu Sans\",Verdana,Arial,sans-serif;color:#222;margin:16px}"
         ".banner{background:#fdecea;border:1px solid #e15759;color:#7a1f1f;font-weight:bold;"
         "padding:8px 12px;margin:0 0 12px}"
         "h1{font-size:20px;margin:0 0 4px}h2{font-size:15px;margin:20px 0 4px}"
         "h3{font-size:13px;margin:16px 0 2px}"
         ".about{margin:0 0 2px;font-size:13px;color:#444}"
         "svg{display:block;margin:10px 0}"
         "svg text{font-size:" +
         std::to_string(static_cast<int>(kFontSize)) +
         "px;fill:#222;paint-order:stroke;stroke:#fff;stroke-width:3px;"
         "stroke-linejoin:round}"
         "svg .heading{font-weight:bold}"
         ".band{fill:none;stroke-opacity:.45}.band:hover,.band.none{stroke-opacity:.8}"
         ".bar:hover,.stub:hover{opacity:.75}"
         ".legend{font-size:12px;margin:0 0 8px}"
         ".legend .key{white-space:nowrap;margin-right:14px}"
         ".legend i{display:inline-block;width:22px;height:10px;margin-right:4px;"
         "vertical-align:middle}"
         "table{border-collapse:collapse;font-size:12px}"
         "th,td{padding:2px 8px;border-bottom:1px solid #ddd;text-align:left}"
         "td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}"
         "tr.group td{font-weight:bold;background:#f4f4f4}"
         "tr.total td{font-weight:bold;border-top:2px solid #999}";
}

std::string Px(double value) {
  std::string text;
  AppendFixed(text, value, 1);
  return text;
}

std::string HtmlIsolated(const std::string& text) {
  return NeedsIsolate(text) ? "<bdi>" + EscapedHtml(text) + "</bdi>" : EscapedHtml(text);
}

std::string SvgIsolated(const std::string& text) {
  return NeedsIsolate(text) ? "\xE2\x81\xA8" + text + "\xE2\x81\xA9" : text;
}

std::string SvgTitle(const std::string& tooltip) {
  return "<title>" + EscapedHtml(tooltip) + "</title>";
}

std::string FitLine(const std::string& line, double width) {
  const auto room = static_cast<size_t>(std::max(0.0, std::floor(width / kCharWidth)));
  if (Utf8Length(line) <= room) return line;
  if (room <= 1) return "";
  return BalancedDirections(Utf8Prefix(line, room - 1)) + "\xE2\x80\xA6";
}

double LinesWidth(const std::vector<std::string>& lines) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, Utf8Length(line));
  return static_cast<double>(longest) * kCharWidth;
}

}  // namespace korav
