// The main window of korave: one data file at a time in a read-only grid,
// chosen by the tab strip along the bottom, with the record operations and
// the find above it, and the File, Tools and Help menus. What the window
// shows is the editor document of the core; the window draws it after every
// action and hands the user's actions to it.
#ifndef KORAV_EDITOR_APP_EDITOR_WINDOW_H_
#define KORAV_EDITOR_APP_EDITOR_WINDOW_H_

#include <QMainWindow>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "common/window/about_box.h"
#include "common/window/help_launcher.h"
#include "common/window/message_boxes.h"
#include "editor/app/record_dialog_window.h"
#include "editor/app/record_grid_model.h"
#include "editor/app/select_dialog_window.h"
#include "editor/core/editor_document.h"
#include "editor/core/editor_host.h"
#include "editor/core/field_validator.h"
#include "editor/core/start_up.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTabBar;

namespace korav {

class SearchBoxes;

// Files that another program holds open are offered again after a message
// box (Retry) or given up (Cancel).
class WindowEditorHost : public EditorHost {
 public:
  explicit WindowEditorHost(MessageBoxes& boxes) : boxes_(boxes) {}
  bool RetryOpen(const std::string& message) override { return boxes_.RetryOrCancel(message); }

 private:
  MessageBoxes& boxes_;
};

class EditorWindow : public QMainWindow {
 public:
  // `paths` has the program folder and the user name set. Message boxes go
  // through `boxes`.
  EditorWindow(EditorPaths paths, MessageBoxes& boxes);

  // Finds the run file and the parameter file from the command line's
  // arguments (Start.txt and the parameter file beside the program when they
  // are absent or "*"), opens the model and shows its first tab. False, after
  // a message box, when the program cannot go on.
  bool StartUp(const std::optional<std::string>& run_argument,
               const std::optional<std::string>& parameter_argument);

  // The handlers of the window's controls and menus.
  void TabChanged(int index);
  void RecordOperationClick(DialogMode mode);
  void DeleteClick();
  void FindFirstClick();
  void FindNextClick();
  void GridDoubleClick();
  void HelpButtonClick();
  // "&Open Run File" with the file chosen: the model of its folder. With
  // changes not yet saved it first asks the exit question; Cancel keeps the
  // model open.
  void OpenRunFile(const std::string& run_file);
  void SaveClick();
  // "Save &As" with the folder chosen.
  void SaveAs(const std::string& folder);
  void ExitClick();
  void CheckDataClick();
  void CheckParmsClick();

  const EditorDocument& document() const { return *document_; }
  const EditorModel& model() const { return model_; }
  QTableView& grid() { return *grid_; }
  RecordDialogWindow& record_dialog() { return *record_dialog_; }
  SelectDialogWindow& select_dialog() { return *select_dialog_; }
  HelpLauncher& help() { return help_; }
  AboutBox& about_box() { return *about_box_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildPanel();
  void SizeToDesktop();
  bool OpenModel();
  void ShowTabs();
  void ShowCurrentFile();
  void ShowButtons();
  void ReadGridState();
  bool SaveFiles();
  // Whether the model in memory may be given up: true without changes, else
  // as the answer to "Files Changed, Save and Exit?" says (Yes saves first).
  bool MayClose();
  // True once a model is open and a tab is shown.
  bool Ready() const;

  EditorPaths paths_;
  MessageBoxes& boxes_;
  WindowEditorHost host_;
  EditorModel model_;
  // The one validator of the session: the record dialog and Check Data share
  // its context.
  FieldValidator validator_{model_};
  std::unique_ptr<EditorDocument> document_;
  HelpLauncher help_;
  AboutBox* about_box_;
  SelectDialogWindow* select_dialog_;
  RecordDialogWindow* record_dialog_;
  RecordGridModel grid_model_;
  std::string last_save_folder_;
  bool exit_confirmed_ = false;

  QStackedWidget* panel_stack_;
  QLabel* title_line_;
  std::map<Operation, QPushButton*> operation_buttons_;
  QPushButton* help_button_;
  SearchBoxes* search_;
  QTableView* grid_;
  QTabBar* tabs_;
};

}  // namespace korav

#endif  // KORAV_EDITOR_APP_EDITOR_WINDOW_H_
