// The one field validator of the record dialog and the data check.
//
// ValidateField normalises a value, checks it against the field's letter
// codes, looks it up in another file and returns its description. A few
// fields carry cross-field rules (their "special" letter) that pass a value or
// a lookup file on to the fields validated after them; that context lives in
// the validator between calls and is reset only when a record dialog opens.
// The editor keeps one validator for its whole session, shared by the record
// dialog and Check Data, so a check goes on from the context the dialog or
// the check before it left.
// The rules name fixed file numbers of the model's parameter file; a number
// the loaded file does not define simply finds nothing.
#ifndef KORAV_EDITOR_CORE_FIELD_VALIDATOR_H_
#define KORAV_EDITOR_CORE_FIELD_VALIDATOR_H_

#include <cstdint>
#include <string>

#include "editor/core/editor_model.h"

namespace korav {

// The file numbers the cross-field rules rely on.
inline constexpr int32_t kCostPoolFileNr = 26;
inline constexpr int32_t kNamedMeasureFileNr = 33;
inline constexpr int32_t kInputMeasureFileNr = 35;
inline constexpr int32_t kAllocationRequestFileNr = 56;

class FieldValidator {
 public:
  explicit FieldValidator(const EditorModel& model) : model_(model) {}

  // Clears ContextValue and ContextFileNr.
  void ResetContext();

  // Validates `value` for field `fieldNr` of file `fileNr`. `value` comes
  // back trimmed and transformed; `message` is empty when the value is valid;
  // `description` is the looked-up description or the formatted number.
  void ValidateField(int32_t fileNr, int32_t fieldNr, std::string& value, std::string& message,
                     std::string& description);

  // The lookup file of the field validated last.
  int32_t LookupFileNr() const { return lookup_file_nr_; }

 private:
  void ApplySpecialRule(char special, const std::string& value, std::string& flags);
  bool InputMeasureIsFromCostPools(const std::string& value) const;
  void LookUp(const TmyField& field, const std::string& code, std::string& message,
              std::string& description) const;

  const EditorModel& model_;
  std::string context_value_;
  int32_t context_file_nr_ = 0;
  int32_t lookup_file_nr_ = 0;
};

}  // namespace korav

#endif  // KORAV_EDITOR_CORE_FIELD_VALIDATOR_H_
