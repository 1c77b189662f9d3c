#include "editor/core/field_validator.h"

#include "common/numbers.h"
#include "editor/core/data_files.h"
#include "editor/core/text_format.h"

namespace korav {
namespace {

constexpr size_t kMaxLookupLength = 100;

bool IsDimensionPlaceholder(const std::string& text) {
  return text.size() >= 2 && (text[1] == 'Y' || (text[1] >= '0' && text[1] <= '9'));
}

// Checks the transformation letter; returns the message, empty when valid.
std::string CheckTransformation(char transformation, const std::string& name, std::string& value,
                                std::string& description) {
  if (transformation == 'U') value = UpperCase(value);
  if (value.empty()) return {};
  int32_t integer = 0;
  double number = 0;
  switch (transformation) {
    case '9':
      return ParseInt(value, integer) ? "" : "Error, " + name + " must be integer number";
    case 'F':
      return ParseDouble(value, number) ? "" : "Error, " + name + " must be number";
    case 'N':
      if (!ParseDouble(value, number)) return "Error, " + name + " must be number";
      description = FormatGrouped(number, 2);
      return {};
    default:
      return {};
  }
}

}  // namespace

void FieldValidator::ResetContext() {
  context_value_.clear();
  context_file_nr_ = 0;
}

bool FieldValidator::InputMeasureIsFromCostPools(const std::string& value) const {
  const int32_t record = FindRecordByKey(model_, kInputMeasureFileNr, UpperCase(value));
  return record >= 0 && model_.Record(record).Value(3) == "C";
}

void FieldValidator::ApplySpecialRule(char special, const std::string& value, std::string& flags) {
  switch (special) {
    case 's':
      context_value_ = value;
      break;
    case 'S':
      lookup_file_nr_ = context_file_nr_;
      break;
    case 'w':
      context_value_ = value;
      context_file_nr_ = value == "N" || value == "n"   ? kNamedMeasureFileNr
                         : value == "I" || value == "i" ? kInputMeasureFileNr
                                                        : 0;
      break;
    case 'r':
      context_value_ = value;
      context_file_nr_ = value == "4" ? kAllocationRequestFileNr : 0;
      break;
    case 'W':
      if (context_value_ == "C") {
        flags[2] = 'F';
      } else {
        lookup_file_nr_ = context_file_nr_;
      }
      break;
    case 'V':
      if (!context_value_.empty() && context_value_ != "0") flags[1] = 'M';
      break;
    case 'i':
      context_value_ = InputMeasureIsFromCostPools(value) ? "C" : "";
      break;
    case 'I':
      if (context_value_ == "C") flags[1] = 'M';
      break;
    default:
      break;
  }
}

void FieldValidator::LookUp(const TmyField& field, const std::string& code, std::string& message,
                            std::string& description) const {
  const int32_t record = FindRecordByKey(model_, lookup_file_nr_, code);
  if (record >= 0) {
    const TmyParmRec* file = model_.Definition(lookup_file_nr_);
    description = file->FieldCount < 2 ? std::string() : model_.Record(record).Value(2);
    return;
  }
  description = field.Name == "@" ? DependentTitle(model_, field.FileNr, "@") : field.Name;
  message = "Error, " + description + " not found for value of " + code;
}

void FieldValidator::ValidateField(int32_t fileNr, int32_t fieldNr, std::string& value,
                                   std::string& message, std::string& description) {
  message.clear();
  description.clear();
  value = Trimmed(value);
  const TmyParmRec* file = model_.Definition(fileNr);
  if (file == nullptr || fieldNr < 1 || fieldNr > file->FieldCount) {
    lookup_file_nr_ = 0;
    return;
  }
  const TmyField& field = file->Fields[static_cast<size_t>(fieldNr)];
  lookup_file_nr_ = field.FileNr;
  std::string flags = field.Flags;
  ApplySpecialRule(field.Special(), value, flags);

  if (flags[1] == 'M' && value.empty()) {
    message = "Error, " + field.Name + " is mandatory";
    return;
  }
  message = CheckTransformation(flags[2], field.Name, value, description);
  if (!message.empty()) return;
  // A value that saving could not write back as it is is refused here, where
  // the user still sees what was typed.
  const std::string unwritable = UnwritableReason(value);
  if (!unwritable.empty()) {
    message = "Error, " + field.Name + " " + unwritable;
    return;
  }

  std::string lookup = value;
  if (field.Special() == '>' && !value.empty() && value.front() == '>') {
    lookup_file_nr_ = kCostPoolFileNr;
    lookup = value.substr(1, kMaxLookupLength);
  }
  if (lookup == "*") lookup.clear();
  if (field.Special() == '%' && !lookup.empty() && lookup.front() == '%' &&
      !IsDimensionPlaceholder(lookup)) {
    message = "Error, Field must contain DIM Code or %Y or %0 to %9";
    return;
  }
  if (!lookup.empty() && lookup_file_nr_ != 0 && lookup_file_nr_ != kNoLookupFile) {
    LookUp(field, lookup, message, description);
  }
}

}  // namespace korav
