// The message boxes of both programs' windows, behind one interface so that
// tests can answer them instead of a person.
#ifndef KORAV_COMMON_WINDOW_MESSAGE_BOXES_H_
#define KORAV_COMMON_WINDOW_MESSAGE_BOXES_H_

#include <string>

class QWidget;

namespace korav {

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;

  // An information box with OK.
  virtual void Information(const std::string& text) = 0;
  // An error box with OK.
  virtual void Error(const std::string& text) = 0;
  // An error box that asks whether to try again: true for Retry, false for
  // Cancel.
  virtual bool RetryOrCancel(const std::string& text) = 0;
  // A confirmation with Yes and No: true for Yes.
  virtual bool YesOrNo(const std::string& text) = 0;
  // A question with Yes, No and Cancel.
  enum class Answer { kYes, kNo, kCancel };
  virtual Answer YesNoOrCancel(const std::string& text) = 0;
};

// Real Qt message boxes, modal to `parent` (none: application-modal), with
// the application's name as their caption.
class QtMessageBoxes : public MessageBoxes {
 public:
  explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
  void set_parent(QWidget* parent) { parent_ = parent; }

  void Information(const std::string& text) override;
  void Error(const std::string& text) override;
  bool RetryOrCancel(const std::string& text) override;
  bool YesOrNo(const std::string& text) override;
  Answer YesNoOrCancel(const std::string& text) override;

 private:
  QWidget* parent_;
};

}  // namespace korav

#endif  // KORAV_COMMON_WINDOW_MESSAGE_BOXES_H_
