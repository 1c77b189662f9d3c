#include "common/numbers.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace korav {
namespace {

std::string_view SkipLeadingBlanks(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// Leading blanks and a "+" removed; a "-" stays for from_chars to read. Gives
// false for "+-", which is no sign at all.
bool StripToSignedDigits(std::string_view& text) {
  text = SkipLeadingBlanks(text);
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return false;
  }
  return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ParseInt(std::string_view text, int32_t& value) {
  if (!StripToSignedDigits(text)) return false;
  // from_chars takes a leading "-" itself; a "+" or blank after the sign is
  // rejected because the first character must then be a digit.
  const size_t first_digit = !text.empty() && text.front() == '-' ? 1 : 0;
  if (text.size() <= first_digit || !IsDigit(text[first_digit])) return false;
  int32_t parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

bool ParseDouble(std::string_view text, double& value) {
  if (!StripToSignedDigits(text)) return false;
  const size_t first = !text.empty() && text.front() == '-' ? 1 : 0;
  // A number must start with a digit or a decimal point; this keeps out the
  // "inf" and "nan" spellings that from_chars would otherwise accept.
  if (text.size() <= first || !(IsDigit(text[first]) || text[first] == '.')) return false;
  double parsed = 0;
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  value = parsed;
  return true;
}

int32_t LeadingInt(std::string_view text) {
  text = SkipLeadingBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int64_t magnitude = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1) break;
  }
  const int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > std::numeric_limits<int32_t>::max())
    return std::numeric_limits<int32_t>::max();
  if (signed_value < std::numeric_limits<int32_t>::min())
    return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(signed_value);
}

int32_t IntOr(std::string_view text, int32_t fallback) {
  int32_t value = fallback;
  ParseInt(text, value);
  return value;
}

namespace {

// snprintf follows the C locale here: the programs never set another one.
// Fixed-point text of a huge amount runs to hundreds of digits ("%.2f" of
// 1e70 has 71 before the point), so a text that does not fit the short
// buffer is printed again at its full length.
std::string FormatDouble(const char* format, double value) {
  char text[64];
  const int length = std::snprintf(text, sizeof text, format, value);
  if (length < 0) return {};
  if (static_cast<size_t>(length) < sizeof text)
    return std::string(text, static_cast<size_t>(length));
  std::string full(static_cast<size_t>(length), '\0');
  std::snprintf(full.data(), full.size() + 1, format, value);
  return full;
}

}  // namespace

std::string FormatGeneral(double value) { return FormatDouble("%.15G", value); }

std::string FormatFixed2(double value) { return FormatDouble("%.2f", value); }

std::string FormatProportion(double value) { return FormatDouble("%12.4f", value); }

std::string FormatGrouped(double value) {
  // to_chars, unlike snprintf, keeps "." whatever locale a window has set.
  char digits[400];
  const auto written =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 2);
  std::string text(digits, written.ptr);
  const size_t first_digit = text.front() == '-' ? 1 : 0;
  for (size_t at = text.size() - 3; at > first_digit + 3; at -= 3) text.insert(at - 3, ",");
  return text;
}

}  // namespace korav
