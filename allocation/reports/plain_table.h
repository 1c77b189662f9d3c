// The rows of a plain table for other programs (spreadsheets, databases,
// data frames): fields separated by commas, a field enclosed in double
// quotes only when it holds a comma, a double quote, CR or LF, each double
// quote inside it then doubled (RFC 4180); figures in the shortest form that
// reads back as the same double, with "." as the point and no grouping. A
// row is built in a text kept from one row to the next, so that a table of
// millions of rows allocates nothing per row.
#ifndef KORAV_ALLOCATION_REPORTS_PLAIN_TABLE_H_
#define KORAV_ALLOCATION_REPORTS_PLAIN_TABLE_H_

#include <string>
#include <string_view>

namespace korav {

class TableRow {
 public:
  // Starts an empty row.
  void Clear() {
    text_.clear();
    fields_ = 0;
  }
  // Starts a row with the fields of `start`.
  void StartWith(const TableRow& start) {
    text_.assign(start.text_);
    fields_ = start.fields_;
  }

  void Text(std::string_view field);
  // A figure that is not finite is written as kNotFiniteText, which the
  // report output counts (e408).
  void Figure(double value);

  // The row as written so far, without its line end.
  std::string_view text() const { return text_; }

 private:
  void Separate() {
    if (fields_++ > 0) text_ += ',';
  }

  std::string text_;
  int fields_ = 0;
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_REPORTS_PLAIN_TABLE_H_
