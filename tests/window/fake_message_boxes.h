// Message boxes that tests answer: each box's text is kept, and the answer to
// a retry box is given by a function of the test.
#ifndef KORAV_TESTS_WINDOW_FAKE_MESSAGE_BOXES_H_
#define KORAV_TESTS_WINDOW_FAKE_MESSAGE_BOXES_H_

#include <functional>
#include <string>
#include <vector>

#include "common/window/message_boxes.h"

namespace korav {

class FakeMessageBoxes : public MessageBoxes {
 public:
  void Information(const std::string& text) override { shown.push_back("information: " + text); }
  void Error(const std::string& text) override { shown.push_back("error: " + text); }
  bool RetryOrCancel(const std::string& text) override {
    shown.push_back("retry: " + text);
    return retry ? retry() : false;
  }

  bool YesOrNo(const std::string& text) override {
    shown.push_back("yes/no: " + text);
    return yes;
  }
  Answer YesNoOrCancel(const std::string& text) override {
    shown.push_back("yes/no/cancel: " + text);
    return answer;
  }

  std::vector<std::string> shown;
  std::function<bool()> retry;  // none: Cancel
  bool yes = false;
  Answer answer = Answer::kCancel;
};

}  // namespace korav

#endif  // KORAV_TESTS_WINDOW_FAKE_MESSAGE_BOXES_H_
