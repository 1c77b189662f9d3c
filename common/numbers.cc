#include "common/numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
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

constexpr int kMostDecimals = 4;

// Room for any double in every form written here: the largest has 309
// integer digits (max_exponent10 + 1), to which come a sign, a point and the
// decimals. The general form needs far less.
using NumberText =
    std::array<char, std::numeric_limits<double>::max_exponent10 + 1 + 1 + 1 + kMostDecimals>;

// `value` as to_chars writes it into `text`: as printf would in the C locale,
// but never with a locale's decimal comma, which a window's locale would
// otherwise put into reports.
std::string_view Print(NumberText& text, double value, std::chars_format format, int precision) {
  const auto [end, error] =
      std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
  // The room above holds every double; were it short, nothing is written
  // rather than a part of the number.
  if (error != std::errc()) return {};
  return {text.data(), static_cast<size_t>(end - text.data())};
}

std::string_view PrintFixed(NumberText& text, double value, int decimals) {
  if (!std::isfinite(value)) return kNotFiniteText;
  std::string_view digits =
      Print(text, value, std::chars_format::fixed, std::clamp(decimals, 0, kMostDecimals));
  // A negative amount too small for the decimals reads as zero: "-0.00"
  // would claim a sign that the figure shown does not have.
  if (!digits.empty() && digits.front() == '-' &&
      digits.find_first_not_of("0.", 1) == std::string_view::npos) {
    digits.remove_prefix(1);
  }
  return digits;
}

}  // namespace

std::string FormatGeneral(double value) {
  if (!std::isfinite(value)) return std::string(kNotFiniteText);
  // Negative zero reads as zero, as in the fixed forms.
  if (value == 0) return "0";
  NumberText text;
  std::string result(Print(text, value, std::chars_format::general, 15));
  // "%G" writes its exponent in capitals.
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string FormatFixed2(double value) {
  std::string result;
  AppendFixed(result, value, 2);
  return result;
}

void AppendFixed(std::string& out, double value, int decimals) {
  NumberText text;
  out.append(PrintFixed(text, value, decimals));
}

void AppendShortest(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out.append(kNotFiniteText);
    return;
  }
  if (value == 0) {
    out += '0';
    return;
  }
  NumberText text;
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc()) out.append(text.data(), end);
}

std::string FormatProportion(double value) {
  constexpr size_t kWidth = 12;
  NumberText text;
  const std::string_view digits = PrintFixed(text, value, 4);
  std::string result(digits.size() < kWidth ? kWidth - digits.size() : 0, ' ');
  result.append(digits);
  return result;
}

std::string FormatGrouped(double value, int decimals) {
  if (!std::isfinite(value)) return std::string(kNotFiniteText);
  NumberText text;
  std::string result(PrintFixed(text, value, decimals));
  const size_t first_digit = !result.empty() && result.front() == '-' ? 1 : 0;
  for (size_t at = std::min(result.find('.'), result.size()); at > first_digit + 3;) {
    at -= 3;
    result.insert(at, ",");
  }
  return result;
}

void AppendZeroPadded(std::string& out, int32_t value, int width) {
  std::array<char, std::numeric_limits<int32_t>::digits10 + 2> digits;
  const char* const end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
  std::string_view text(digits.data(), static_cast<size_t>(end - digits.data()));
  // As with "%0*d", the width includes a sign and the zeros follow it.
  const size_t zeros = width > 0 && static_cast<size_t>(width) > text.size()
                           ? static_cast<size_t>(width) - text.size()
                           : 0;
  if (value < 0) {
    out.push_back('-');
    text.remove_prefix(1);
  }
  out.append(zeros, '0');
  out.append(text);
}

}  // namespace korav
