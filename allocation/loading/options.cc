#include "allocation/loading/options.h"

#include <array>
#include <string>

#include "allocation/loading/model_completion.h"
#include "allocation/loading/model_loading.h"
#include "allocation/loading/record_parsers.h"
#include "common/excerpt.h"
#include "common/numbers.h"

namespace korav {
namespace {

constexpr std::array<std::string_view, 13> kOptionNames{
    "Model Description         ", "Allocate Budget           ", "DIMT Dimension Nr         ",
    "Level of Confidence Dim Nr", "Run Allocation            ", "Transaction Dump Required ",
    "Trace Loop Limit          ", "Trace Allocation          ", "Trace Allocn Value Cube   ",
    "Trace TX After            ", "Trace Rollup Rep26        ", "Reciprocal Allocation     ",
    "Run Label                 ",
};

// Options 2 and 3 name a dimension. A number outside 0..8 cannot be held by
// the model, so it is reported and the option is dropped; 0 names none.
void SetDimensionOption(Engine& engine, int number, int32_t& dimension) {
  TmyOption& slot = engine.options.slots[static_cast<size_t>(number)];
  if (slot.Value < 0 || slot.Value > kMaxDimensions) {
    engine.LogLine("e144 OO," + std::to_string(number) +
                   "; DIM Nr not valid; valid values are 0 to 8; Value=" + Excerpt(slot.Text));
    slot.IsSet = false;
    return;
  }
  if (slot.Value == 0) return;
  dimension = slot.Value;
  if (engine.model.dimension_count < dimension) engine.model.dimension_count = dimension;
}

void SetAllocationRequest(Engine& engine, int32_t request) {
  if (request < 0 || request > 2) {
    engine.LogLine("e105 OO,4; Run Allocate parameter not valid; valid values are 0 1 2");
    return;
  }
  engine.options.allocation_request = request;
  static constexpr std::array<std::string_view, 3> kRequests{
      "i Run Allocation", "i Run Allocation if no errors", "i Do not Run Allocation"};
  engine.LogLine(std::string(kRequests[static_cast<size_t>(request)]));
}

}  // namespace

std::string_view OptionName(int number) {
  if (number < 0 || number >= static_cast<int>(kOptionNames.size())) {
    return "Option not known          ";
  }
  return kOptionNames[static_cast<size_t>(number)];
}

void ReadOptionRecord(Engine& engine) {
  const FieldTable& fields = engine.csv;
  int32_t number = -1;
  const bool is_number = ParseInt(fields[2], number);
  engine.LogLine("i" + Excerpt(fields[2]) + " " + std::string(OptionName(is_number ? number : -1)) +
                 " " + Excerpt(engine.state.data_line));
  if (is_number && number == 0) engine.options.model_description.assign(fields[3]);
  if (!is_number || number < 1 || number > kOptionCount) return;

  TmyOption& slot = engine.options.slots[static_cast<size_t>(number)];
  slot.IsSet = true;
  slot.Value = IntOr(fields[3], 1);
  slot.Text.assign(fields[3]);
  switch (number) {
    case 1:
      engine.options.budget_mode = true;
      break;
    case kTransactionDimensionOption:
      SetDimensionOption(engine, number, engine.options.transaction_dimension);
      break;
    case kConfidenceDimensionOption:
      SetDimensionOption(engine, number, engine.options.confidence_dimension);
      break;
    case 4:
      SetAllocationRequest(engine, slot.Value);
      break;
    case 6:
      engine.state.progress_interval = slot.Value;
      break;
    default:
      break;
  }
}

void SetUpConfidenceDimension(Engine& engine) {
  TmyOption& slot = engine.options.slots[kConfidenceDimensionOption];
  const int32_t dimension = engine.options.confidence_dimension;
  if (!slot.IsSet || dimension == 0) return;
  int32_t& values = engine.counts.dimension_values[static_cast<size_t>(dimension)];
  if (values > 0) {
    engine.LogLine("e124 OO 3; LOC Dimension already in use; select another DIM Number");
    slot.IsSet = false;
    engine.options.confidence_dimension = 0;
    return;
  }
  ParseGeneratedRecord(engine, "DIMH," + std::to_string(dimension) + ",LOC");
  values = 3;
}

void AddConfidenceValues(Engine& engine) {
  const int32_t dimension = engine.options.confidence_dimension;
  if (!engine.options.slots[kConfidenceDimensionOption].IsSet || dimension == 0) return;
  FieldTable fields(kAllocationCsvSlots);
  for (const char* value : {"1,Direct", "2,Attributable", "3,Unattributable"}) {
    fields.SplitCsv(value);
    ParseDimensionValue(engine, dimension, fields);
  }
}

}  // namespace korav
