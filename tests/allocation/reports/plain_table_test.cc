#include "allocation/reports/plain_table.h"

#include <gtest/gtest.h>

#include <limits>

namespace korav {
namespace {

TEST(TableRowTest, QuotesOnlyFieldsThatMustBeAndDoublesTheirQuotes) {
  const struct {
    const char* field;
    const char* written;
  } cases[] = {
      {"plain text", "plain text"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"12\" round", "\"12\"\" round\""},
      {"\"", "\"\"\"\""},
      {"line\r\nend", "\"line\r\nend\""},
      {"cr\rlf\n", "\"cr\rlf\n\""},
      {" 'single' ;tab\t", " 'single' ;tab\t"},
      {"a, \"b\"", "\"a, \"\"b\"\"\""},
  };
  for (const auto& [field, written] : cases) {
    TableRow row;
    row.Text(field);
    EXPECT_EQ(row.text(), written) << field;
  }
}

TEST(TableRowTest, FieldsFiguresAndAReusedStart) {
  TableRow start;
  start.Text("");
  start.Text("S");
  TableRow row;
  row.Text("left over");
  row.StartWith(start);
  row.Figure(-1234567.5);
  row.Figure(0.1);
  row.Figure(std::numeric_limits<double>::infinity());
  row.Text("");
  EXPECT_EQ(row.text(), ",S,-1234567.5,0.1,#NUM!,");
  row.Clear();
  row.Figure(-0.0);
  EXPECT_EQ(row.text(), "0");
}

}  // namespace
}  // namespace korav
