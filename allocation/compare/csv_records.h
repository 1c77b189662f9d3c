// Reading the records of the plain tables that tools exchange, as TableRow
// (plain_table.h) writes them: fields separated by commas, a field that holds
// a comma, a double quote, CR or LF between double quotes with each of its
// double quotes doubled (RFC 4180). The Results Export (36) is written so.
#ifndef KORAV_ALLOCATION_COMPARE_CSV_RECORDS_H_
#define KORAV_ALLOCATION_COMPARE_CSV_RECORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "common/line_reader.h"

namespace korav {

// Reads the records of a file, whose quoted fields may span lines. Each line
// is taken from a LineReader, so the file must be a regular file, a record
// is at most LineReader::kMaxLineBytes long and the reader's digest, when
// given, sees every byte of the file.
class CsvRecordReader {
 public:
  explicit CsvRecordReader(LineReader& lines) : lines_(lines) {}

  // Sets `fields` to the next record's fields and returns true; returns
  // false at the end of the file, or when the record is faulty, which
  // Fault() then names ("a quoted field is not closed", ...).
  bool Next(std::vector<std::string>& fields);
  const std::string& Fault() const { return fault_; }
  // The number of the line on which the last record began.
  int64_t LineNumber() const { return line_number_; }

 private:
  LineReader& lines_;
  std::string fault_;
  int64_t line_number_ = 0;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_COMPARE_CSV_RECORDS_H_
