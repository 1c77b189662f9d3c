// A fixed table of text slots filled by splitting one record.
//
// Every file either program reads is one record a line with comma-separated
// fields; a few compound fields are split further at slashes. A FieldTable is
// the program's one table for such a split: every split rewrites every slot,
// so a value read from it is valid only until the next split of the same table.
// The allocation program uses 15 CSV and 3 slash slots, the editor 30 and 4.
#ifndef KORAV_COMMON_FIELD_TABLE_H_
#define KORAV_COMMON_FIELD_TABLE_H_

#include <string>
#include <string_view>
#include <vector>

namespace korav {

class FieldTable {
 public:
  // A table of `slots` slots, numbered 1..slots, all empty.
  explicit FieldTable(int slots);

  // Splits `line` at commas with double-quote quoting. A quoted field runs to
  // the next double quote (there is no escape for a quote inside it) and the
  // character right after that closing quote is skipped unseen. Trailing
  // blanks of each field are removed, leading blanks kept. Fields beyond the
  // table's size are dropped; slots after the last field are emptied.
  void SplitCsv(std::string_view line);

  // Splits `text` at slashes with no quoting, under the same slot rules.
  void SplitSlash(std::string_view text);

  // The text of slot `n`. Slots outside 1..size() read as the empty string,
  // so an absent field and an empty field look the same.
  std::string_view operator[](int n) const;

  int size() const { return static_cast<int>(slots_.size()) - 1; }

 private:
  void Split(std::string_view line, char separator, bool quoting);
  void Store(int n, std::string_view text);

  // Slot 0 is never used. The strings keep their capacity across splits, so
  // splitting line after line allocates nothing once the slots have grown.
  std::vector<std::string> slots_;
};

// The allocation program's table sizes.
inline constexpr int kAllocationCsvSlots = 15;
inline constexpr int kAllocationSlashSlots = 3;
// The editor's table sizes.
inline constexpr int kEditorCsvSlots = 30;
inline constexpr int kEditorSlashSlots = 4;

}  // namespace korav

#endif  // KORAV_COMMON_FIELD_TABLE_H_
