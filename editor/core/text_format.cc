#include "editor/core/text_format.h"

#include <cstdio>

namespace korav {
namespace {

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '\x7f'; }

}  // namespace

std::string Trimmed(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlankOrControl(text[begin])) ++begin;
  while (end > begin && IsBlankOrControl(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return result;
}

std::string WithThousands(double value, int decimals) {
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  const std::string plain = buffer;
  const size_t digits_begin = plain.front() == '-' ? 1 : 0;
  const size_t point = plain.find('.');
  const size_t digits_end = point == std::string::npos ? plain.size() : point;
  std::string result = plain.substr(0, digits_begin);
  for (size_t i = digits_begin; i < digits_end; ++i) {
    if (i > digits_begin && (digits_end - i) % 3 == 0) result.push_back(',');
    result.push_back(plain[i]);
  }
  result.append(plain.substr(digits_end));
  return result;
}

}  // namespace korav
