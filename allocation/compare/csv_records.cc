#include "allocation/compare/csv_records.h"

namespace korav {

bool CsvRecordReader::Next(std::vector<std::string>& fields) {
  fields.clear();
  fault_.clear();
  std::string_view line;
  if (!lines_.Next(line)) return false;
  line_number_ = lines_.LineNumber();
  std::string field;
  bool quoted = false;      // inside a quoted field
  bool was_quoted = false;  // the field began with a quote
  size_t record_bytes = 0;
  for (;;) {
    if (lines_.TooLong()) {
      fault_ = "the record is longer than " + std::to_string(LineReader::kMaxLineBytes) + " bytes";
      return false;
    }
    record_bytes += line.size();
    for (size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (quoted) {
        if (c != '"') {
          field += c;
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
          field += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else if (c == ',') {
        fields.push_back(std::move(field));
        field.clear();
        was_quoted = false;
      } else if (c == '"' && field.empty() && !was_quoted) {
        quoted = was_quoted = true;
      } else if (was_quoted) {
        fault_ = "a quoted field goes on after its closing quote";
        return false;
      } else {
        field += c;
      }
    }
    if (!quoted) break;
    // A line end inside quotes belongs to the field; the line reader has
    // taken it off, and the format's own is CR LF.
    field += "\r\n";
    record_bytes += 2;
    if (record_bytes > LineReader::kMaxLineBytes) {
      fault_ = "the record is longer than " + std::to_string(LineReader::kMaxLineBytes) + " bytes";
      return false;
    }
    if (!lines_.Next(line)) {
      fault_ = "a quoted field is not closed before the end of the file";
      return false;
    }
  }
  fields.push_back(std::move(field));
  return true;
}

}  // namespace korav
