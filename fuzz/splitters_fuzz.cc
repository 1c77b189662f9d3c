// Fuzz target: the CSV and slash splitters of both programs' table sizes.
//
// Each line of the input is split at commas into the allocation program's and
// the editor's tables, and every field again at slashes. Besides crashes, it
// checks what every reader of the tables relies on: no field keeps a trailing
// blank, and a line without quotes splits exactly at its commas. The
// transaction reader's splitter of lines without quotes must give the same
// amount and code columns as the general one, for every dimension count.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "allocation/transactions/line_batches.h"
#include "common/byte_scan.h"
#include "common/field_table.h"
#include "fuzz/sandbox.h"

namespace {

using korav::FieldTable;

// The n-th piece of `line` cut at `separator`, trailing blanks removed.
std::string_view Piece(std::string_view line, char separator, int n) {
  size_t begin = 0;
  for (int i = 1; i < n; ++i) {
    begin = line.find(separator, begin);
    if (begin == std::string_view::npos) return {};
    ++begin;
  }
  std::string_view piece = line.substr(begin, line.find(separator, begin) - begin);
  while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
  return piece;
}

void CheckSplit(const FieldTable& table, std::string_view text, char separator, bool quoting) {
  const bool plain = !quoting || text.find('"') == std::string_view::npos;
  for (int n = 0; n <= table.size() + 1; ++n) {
    const std::string_view field = table[n];
    if (!field.empty() && field.back() == ' ') korav::fuzz::Finding("field ends in a blank");
    if (n < 1 || n > table.size()) {
      if (!field.empty()) korav::fuzz::Finding("a slot outside the table holds text");
    } else if (plain && field != Piece(text, separator, n)) {
      korav::fuzz::Finding("field " + std::to_string(n) +
                           " differs from the text between separators");
    }
  }
}

void SplitBoth(FieldTable& csv, FieldTable& slash, std::string_view line) {
  csv.SplitCsv(line);
  CheckSplit(csv, line, ',', true);
  for (int n = 1; n <= csv.size(); ++n) {
    const std::string field(csv[n]);
    slash.SplitSlash(field);
    CheckSplit(slash, field, '/', false);
  }
}

// `csv` holds the split of `line`.
void CheckPlainSplit(const FieldTable& csv, std::string_view line) {
  // What follows a line in a batch is the next one: commas and quotes.
  std::string buffer(line);
  buffer.append(korav::kScanPadding, ',').append(1, '"');
  const std::string_view padded = std::string_view(buffer).substr(0, line.size());
  for (int dimensions = 1; dimensions <= korav::kMaxDimensions; ++dimensions) {
    std::string_view amount;
    std::string_view key;
    korav::CodeTexts texts;
    if (!korav::SplitPlainLine(padded, dimensions, amount, key, &texts)) {
      if (line.find('"') == std::string_view::npos) {
        korav::fuzz::Finding("a line without quotes is refused by the plain splitter");
      }
      continue;
    }
    if (amount != csv[1]) korav::fuzz::Finding("the plain splitter's amount differs");
    for (int k = 1; k <= dimensions; ++k) {
      if (texts[static_cast<size_t>(k)] != csv[k + 1]) {
        korav::fuzz::Finding("the plain splitter's code column " + std::to_string(k + 1) +
                             " differs");
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FieldTable allocation_csv(korav::kAllocationCsvSlots);
  static FieldTable allocation_slash(korav::kAllocationSlashSlots);
  static FieldTable editor_csv(korav::kEditorCsvSlots);
  static FieldTable editor_slash(korav::kEditorSlashSlots);
  const std::string_view input = korav::fuzz::InputText(data, size);
  for (size_t begin = 0; begin <= input.size();) {
    size_t end = input.find('\n', begin);
    if (end == std::string_view::npos) end = input.size();
    const std::string_view line = input.substr(begin, end - begin);
    SplitBoth(allocation_csv, allocation_slash, line);
    CheckPlainSplit(allocation_csv, line);
    SplitBoth(editor_csv, editor_slash, line);
    begin = end + 1;
  }
  return 0;
}
