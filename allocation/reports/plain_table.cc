#include "allocation/reports/plain_table.h"

#include "common/numbers.h"

namespace korav {

void TableRow::Text(std::string_view field) {
  Separate();
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    text_.append(field);
    return;
  }
  text_ += '"';
  for (const char c : field) {
    if (c == '"') text_ += '"';
    text_ += c;
  }
  text_ += '"';
}

void TableRow::Figure(double value) {
  Separate();
  AppendShortest(text_, value);
}

}  // namespace korav
