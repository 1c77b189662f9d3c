#include "common/field_table.h"

namespace korav {

FieldTable::FieldTable(int slots) : slots_(static_cast<size_t>(slots) + 1) {}

std::string_view FieldTable::operator[](int n) const {
  if (n < 1 || n > size()) return {};
  return slots_[static_cast<size_t>(n)];
}

void FieldTable::SplitCsv(std::string_view line) { Split(line, ',', true); }

void FieldTable::SplitSlash(std::string_view text) { Split(text, '/', false); }

void FieldTable::Store(int n, std::string_view text) {
  size_t end = text.find_last_not_of(' ');
  slots_[static_cast<size_t>(n)].assign(
      text.substr(0, end == std::string_view::npos ? 0 : end + 1));
}

// Positions are 0-based here; the rules are those of the header. A quoted
// field without its closing quote ends one character before the end of the
// line, and that last character then starts a field of its own unless it is
// the separator: this is how existing model files have always been read.
void FieldTable::Split(std::string_view line, char separator, bool quoting) {
  const size_t length = line.size();
  int n = 0;
  size_t p = 0;
  while (p < length) {
    std::string_view text;
    size_t next;
    if (quoting && line[p] == '"') {
      size_t q = length - 1;
      const size_t close = line.substr(0, length - 1).find('"', p + 1);
      if (close != std::string_view::npos) q = close;
      text = q > p + 1 ? line.substr(p + 1, q - p - 1) : std::string_view();
      if (line[q] == '"') {
        next = q + 2;
      } else if (line[q] == separator) {
        next = q + 1;
      } else {
        next = q;
      }
    } else {
      size_t end = line.find(separator, p);
      if (end == std::string_view::npos) end = length;
      text = line.substr(p, end - p);
      next = end + 1;
    }
    ++n;
    if (n <= size()) Store(n, text);
    p = next;
  }
  for (int i = n + 1; i <= size(); ++i) slots_[static_cast<size_t>(i)].clear();
}

}  // namespace korav
