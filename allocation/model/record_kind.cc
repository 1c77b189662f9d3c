#include "allocation/model/record_kind.h"

#include <array>
#include <utility>

namespace korav {

RecordKind RecordKindOf(std::string_view code) {
  static constexpr std::array<std::pair<std::string_view, RecordKind>, 23> kCodes{{
      {";", kCommentRecord},
      {"OO", kOptionRecord},
      {"DIMH", kDimensionHeaderRecord},
      {"DIMT", kTransactionDimensionRecord},
      {"STG", kStageRecord},
      {"CPG", kGroupRecord},
      {"CPGS", kGroupSelectionRecord},
      {"CPGIDC", kGroupCopyRecord},
      {"CP", kPoolRecord},
      {"CPS", kPoolSelectionRecord},
      {"CPB", kPoolBudgetRecord},
      {"CPDC", kPoolCopyRecord},
      {"CPBV", kPoolBudgetValueRecord},
      {"AB", kBaseRecord},
      {"ABL", kBaseLineRecord},
      {"NM", kNamedMeasureRecord},
      {"NMV", kNamedMeasureValueRecord},
      {"IM", kInputMeasureRecord},
      {"IMS", kInputMeasureSelectionRecord},
      {"TXH", kTransactionHeaderRecord},
      {"TX", kTransactionRecord},
      {"REP", kReportRecord},
      {"CPY", kCopyRecord},
  }};
  for (const auto& [known, kind] : kCodes) {
    if (known == code) return kind;
  }
  return kUnknownRecord;
}

}  // namespace korav
