// The model in memory: one 1-based table per record type and up to eight
// dimensions, sized once after pass 1 and filled in pass 2.
//
// Row 0 of every table is never a record, and a stored row index of 0 means
// "none". Rows hold the texts and numbers of their own record once parsed;
// their links (row indices into other tables) are set only when the model is
// completed. Nothing is removed during a run.
#ifndef KORAV_ALLOCATION_MODEL_MODEL_TABLES_H_
#define KORAV_ALLOCATION_MODEL_MODEL_TABLES_H_

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/exact_sum.h"
#include "common/sorted_list.h"

namespace korav {

inline constexpr int kMaxDimensions = 8;
inline constexpr int kMaxLevels = 15;
inline constexpr int kOptionCount = 14;

// A table of rows 1..capacity() with a row counter and, for tables looked up
// by code, its code index of (code, row) pairs.
template <typename Row>
class ModelTable {
 public:
  // Gives the table room for `capacity` rows and empties it.
  void Size(int32_t capacity) {
    rows_.assign(static_cast<size_t>(capacity) + 1, Row{});
    count_ = 0;
    CodeIndex.Init(capacity, 0);
  }

  // Appends an empty row and returns its index, or 0 when the table is full.
  int32_t Append() {
    if (count_ >= capacity()) return 0;
    ++count_;
    rows_[static_cast<size_t>(count_)] = Row{};
    return count_;
  }
  // Drops the last row (the merge of base lines takes a row back).
  void DropLast() {
    if (count_ > 0) --count_;
  }

  Row& operator[](int32_t row) { return rows_[static_cast<size_t>(row)]; }
  const Row& operator[](int32_t row) const { return rows_[static_cast<size_t>(row)]; }

  int32_t count() const { return count_; }
  int32_t capacity() const { return static_cast<int32_t>(rows_.size()) - 1; }

  stTsortObj CodeIndex{stTsortObj::Growth::kSizedOnce};

 private:
  std::vector<Row> rows_{1};
  int32_t count_ = 0;
};

// One option slot; the option table holds slots 1..14.
struct TmyOption {
  bool IsSet = false;
  int32_t Value = 0;  // column 3 as an integer; 1 when it is not one
  std::string Text;   // column 3 as written
};

// One dimension value: a record of a dimension file.
struct TmyDIM {
  std::string Code;
  std::string Description;
  std::string ParentCode;
  char Summarise = ' ';  // 'Y', ' ', or 'o' when inherited from a "Y" ancestor
  int32_t ParentIndex = 0;
  int32_t Level = 0;                           // 1 for a top value; 0 while unresolved
  std::array<int32_t, kMaxLevels + 1> Path{};  // ancestor rows by level, 1..Level
  int32_t HierarchyPos = 0;
  int32_t TxCount = 0;
  double TxValue = 0;
  ExactSum TxSum;               // the transactions' amounts, which TxValue is set from
  int32_t TransSelection = 0;   // the "DIMT" selection row of this value
  int32_t SummariseTarget = 0;  // the row the "Y" mapping gives this value
};

// One dimension with its values.
struct TmyDIMH {
  std::string Name;
  int32_t Count = 0;
  int32_t MaxLevel = 0;
  int32_t KeyWidth = 0;
  ModelTable<TmyDIM> Values;  // Values.CodeIndex is the dimension's code list
};

// One selection row: "DIMT", "CPGS", "CPGIDC", "CPS", "CPDC", "CPBV", "IMS".
struct TmySEL {
  std::string Code;
  std::string Description;
  std::string Code2;
  std::string Include;
  std::array<std::string, kMaxDimensions + 1> DimValue;   // 1..8 as written
  std::array<std::string, kMaxDimensions + 1> DimSelect;  // those not beginning "%"
  std::array<char, kMaxDimensions + 1> DimCopy{};         // '0'..'9' or 'Y' after "%"
  std::array<int32_t, kMaxDimensions + 1> DimIndex{};     // value rows; 0 for all
  int32_t Row = 0;
  int32_t Kind = 0;   // the RecordKind of the row
  int32_t Owner = 0;  // row of the owning group, pool, measure or dimension value
  int32_t OwnerRow = 0;
  int32_t Code2Row = 0;
  int32_t TxCount = 0;
  double Value = 0;
  // The amounts of the transactions that a "CPGS", "CPS" or "IMS" row chose,
  // which Value is set from.
  ExactSum TxSum;
};

// A stage's type, column 4 of its record, in the order cost flows through
// the stages: pools of input and intermediate stages allocate their cost on,
// final pools keep it, and the pools of a reporting stage only receive
// copies (report 0). A stage whose type is not valid has kNone, which
// orders before the others.
enum class StageType : int32_t {
  kNone = 0,
  kInput = 1,
  kIntermediate = 2,
  kFinal = 3,
  kReport = 4
};

struct TmySTG {
  std::string Code;
  std::string Description;
  StageType STGType = StageType::kNone;
  double Value = 0;
};

struct TmyCPG {
  std::string Code;
  std::string Description;
  std::string StageCode;
  int32_t Priority = 0;
  bool Flag = false;                  // negate the amounts the group takes
  std::array<int32_t, 7> DimOrder{};  // 1..6: the rank of dimension k
  int32_t TxCount = 0;
  double Value = 0;
  ExactSum TxSum;  // the transactions' amounts, which Value is set from
  int32_t Stage = 0;
  StageType STGType = StageType::kNone;
  std::vector<int32_t> GroupSelections;  // "CPGS" rows
  std::vector<int32_t> PoolSelections;   // "CPS" rows of its pools, ranked
  int32_t DimCopyRow = 0;
};

// A source pool and the base line through which it allocates into a pool.
struct PoolInput {
  int32_t Source = 0;
  int32_t Line = 0;
};

struct TmyCP {
  std::string Code;
  std::string Description;
  std::string GroupCode;
  std::string BaseCode;  // a base, or ">" and a pool for direct allocation
  int32_t BudgetMethod = 0;
  std::string VarianceCode;
  double ValueBudget = 0;
  int32_t UnitSource = 0;
  double UnitBudget = 0;
  double EnteredUnits = 0;
  int32_t Row = 0;
  int32_t Group = 0;
  StageType STGType = StageType::kNone;
  int32_t Base = 0;
  int32_t VariancePool = 0;
  int32_t DimCopyRow = 0;
  int32_t BudgetVarianceRow = 0;
  bool IsVarianceTarget = false;
  // Generated to take what no other pool of its group, or no group, takes.
  bool NotSelected = false;
  int32_t TxCount = 0;
  double Value = 0;
  // The transactions' amounts; Value is set from them once a transaction
  // file is read, and the allocation adds to Value alone.
  ExactSum TxSum;
  // What rounding may have done to Value against the cube (rounding_bound.h);
  // the magnitude beside Value, which the transactions update with it.
  double SummedMagnitude = 0;
  double RoundingBound = 0;
  bool DirectBaseMade = false;
  bool Resolved = false;
  bool Allocated = false;
  // allocation: a share or variance would have made a figure not finite
  // (e311), so the pool keeps its cost and is not allocated
  bool NotFinite = false;
  std::vector<PoolInput> Inputs;
  std::vector<int32_t> PoolSelections;  // "CPS" rows
  int32_t VCCount = 0;                  // value cube tallies of vcTotals
  double VCTotal = 0;
  double AllocValue = 0;  // allocation: what the pool sends through its base
  double Units = 0;
  double EffectiveUnitBudget = 0;
  int32_t Loop = 0;  // allocation: its solved loop, 1-based in Engine::solved_loops; 0 for none
  // What the allocation moved, for the reconciliation. For a member of a solved loop, what the
  // other members' shares added when the loop was solved (full cost less
  // own cost), and the part of it from members in its own stage. The shares
  // and variances it received and sent: every one but those between members
  // of its loop in one stage, which stay within the stage. What cost pool
  // copies added for reporting.
  double GrossUp = 0;
  double GrossUpWithinStage = 0;
  double Received = 0;
  double Sent = 0;
  double VarianceSent = 0;
  double Copied = 0;
};

struct TmyCPB {
  std::string PoolCode;
  double ValueBudget = 0;
  double UnitBudget = 0;
  double EnteredUnits = 0;
};

struct TmyAB {
  std::string Code;
  std::string Description;
  std::string LOC;
  std::vector<int32_t> Lines;  // base line rows in file order
  std::string ComputedLOC;
  int32_t LOCRow = 0;
  int32_t LineCount = 0;
  double TotalMeasure = 0;  // resolution: sum of the lines' measures
  double TotalUnitBudget = 0;
  bool Resolved = false;
  // resolution: a measure, the total or a proportion was not finite (e310),
  // so the base never resolves
  bool NotFinite = false;
};

struct TmyABL {
  std::string BaseCode;
  std::string Description;
  char MeasureType = 0;  // 'C', 'N' or 'I'; 0 when invalid
  std::string MeasureCode;
  double Value = 0;
  std::string OutputCode;
  double UnitBudget = 0;
  int32_t Base = 0;
  int32_t InputMeasure = 0;
  int32_t NamedMeasure = 0;
  int32_t Output = 0;
  double Propn = 0;  // allocation: this line's share of its base
};

struct TmyIM {
  std::string Code;
  std::string Description;
  char IMType = 0;  // 'T' or 'C'; 0 when invalid
  double Divisor = 1.0;
  double Value = 0;
  double Measure = 0;
  std::vector<int32_t> Selections;  // "IMS" rows
  bool Resolved = false;
  // resolution: the measure was not finite (e309), so it never resolves
  bool NotFinite = false;
};

struct TmyNM {
  std::string Code;
  std::string Description;
  double Value = 0;
  double Divisor = 1.0;
  double Measure = 0;
  bool SetByNMV = false;
};

struct TmyNMV {
  std::string MeasureCode;
  double Value = 0;
};

// The option slots the engine reads, by what they switch on.
inline constexpr int kBudgetOption = 1;
inline constexpr int kTransactionDimensionOption = 2;
inline constexpr int kConfidenceDimensionOption = 3;
inline constexpr int kDumpOption = 5;
inline constexpr int kTraceAllocationOption = 7;
inline constexpr int kTraceCubeOption = 8;
inline constexpr int kTraceTransactionsOption = 9;
inline constexpr int kTraceRollupOption = 10;
inline constexpr int kReciprocalOption = 11;
inline constexpr int kRunLabelOption = 12;

// Values that the option records feed besides the option table.
struct RunOptions {
  std::array<TmyOption, kOptionCount + 1> slots;  // 1..14
  std::string model_description;                  // option 0, which has no slot
  bool budget_mode = false;
  int32_t transaction_dimension = 0;  // 0 = none
  int32_t confidence_dimension = 0;   // 0 = none
  int32_t allocation_request = 0;     // 0 allocate, 1 only without errors, 2 never
};

using TmyDIMHArr = std::array<TmyDIMH, kMaxDimensions + 1>;  // 1..8

struct ModelTables {
  TmyDIMHArr dimensions;
  // The highest dimension number in use, from "DIMH" records and options 2
  // and 3; at most 8.
  int32_t dimension_count = 0;
  ModelTable<TmySEL> selections;
  ModelTable<TmySTG> stages;
  ModelTable<TmyCPG> groups;
  ModelTable<TmyCP> pools;
  ModelTable<TmyCPB> budgets;
  ModelTable<TmyAB> bases;
  ModelTable<TmyABL> base_lines;
  ModelTable<TmyIM> input_measures;
  ModelTable<TmyNM> named_measures;
  ModelTable<TmyNMV> named_values;
  // The groups in the order in which transactions try them: keyed by
  // priority (at least two characters, blank-padded) and code.
  stTsortObj group_priority{stTsortObj::Growth::kSizedOnce};
};

}  // namespace korav

#endif  // KORAV_ALLOCATION_MODEL_MODEL_TABLES_H_
