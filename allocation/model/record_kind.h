// The numbering of model record types by the code in their first column.
// The driver, the parsers and the phase step all use these numbers; the gaps
// are part of the numbering and the codes are compared exactly.
#ifndef KORAV_ALLOCATION_MODEL_RECORD_KIND_H_
#define KORAV_ALLOCATION_MODEL_RECORD_KIND_H_

#include <string_view>

namespace korav {

enum RecordKind : int {
  kUnknownRecord = -1,
  kCommentRecord = 0,
  kOptionRecord = 1,                  // "OO"
  kDimensionHeaderRecord = 2,         // "DIMH"
  kDimensionValueRecord = 3,          // every record of a dimension file
  kTransactionDimensionRecord = 4,    // "DIMT"
  kStageRecord = 5,                   // "STG"
  kGroupRecord = 6,                   // "CPG"
  kGroupSelectionRecord = 7,          // "CPGS"
  kGroupCopyRecord = 8,               // "CPGIDC"
  kPoolRecord = 10,                   // "CP"
  kPoolSelectionRecord = 11,          // "CPS"
  kPoolBudgetRecord = 12,             // "CPB"
  kPoolCopyRecord = 13,               // "CPDC"
  kPoolBudgetValueRecord = 15,        // "CPBV"
  kBaseRecord = 20,                   // "AB"
  kBaseLineRecord = 21,               // "ABL"
  kNamedMeasureRecord = 22,           // "NM"
  kNamedMeasureValueRecord = 23,      // "NMV"
  kInputMeasureRecord = 24,           // "IM"
  kInputMeasureSelectionRecord = 25,  // "IMS"
  kTransactionHeaderRecord = 30,      // "TXH": the rest of the file is not read
  kTransactionRecord = 32,            // "TX"
  kReportRecord = 41,                 // "REP"
  kCopyRecord = 42,                   // "CPY"
};

// One past the highest kind, for tables indexed by kind.
inline constexpr int kRecordKindSlots = 43;

// The kind of a record whose first column is `code`; kUnknownRecord for a
// code not in the table. Comments (codes beginning with ";") are the
// caller's to skip before asking.
RecordKind RecordKindOf(std::string_view code);

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_RECORD_KIND_H_
