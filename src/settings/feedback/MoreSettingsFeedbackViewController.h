// MoreSettingsFeedbackViewController: the screen on which the reader sends the service a message
// of one of four kinds ("提问题", "提建议", "Bug提交", "表扬" — the chosen string itself is sent as the
// type), with an e-mail address when the reader is a guest, and always with the application's
// two log files zipped into one archive. Pushed by the settings tab on its navigation
// controller; upright portrait only.
//
// Its view comes from the interface file "MoreSettingsFeedbackViewController" (SettingsNibs
// registers it): a 320 × 416 view holding the table. Loaded with a ScreenRequest as owner, the
// same file makes the screen itself. The table has one section of three rows: the question types
// (a PBCustomSegmentedControl of four 80-point image segments, tag kSegmentTag), the message box
// (an MSPlaceHolderTextView, tag kMessageTag) and, for a guest only, the e-mail field over a note
// (row 88 high for a guest, 46 otherwise). The send button ("提交") is enabled only while the
// message holds text.
//
// A tap on the table outside the message box and the e-mail field ends editing (backgroundPressed,
// which puts away the e-mail field's keyboard too).
//
// Sending: the keyboard goes, both bar buttons go (the bar's own back button stays hidden), the indicator in the navigation bar runs and the title becomes
// "正在提交"; the logs are zipped (FeedbackLogArchive) and the engine's feedback task gets the
// type, the text, the archive's path — or "" when the archive could not be made — and the e-mail
// (nullopt for a logged-in reader). The task's status result sets the title "提交成功" (0, and the
// left button goes) or "提交失败" (negative); the screen leaves 1.0 s after it.
//
// Where we differ on purpose (faults mended): the archive is made under a unique name in the
// application home's own tmp folder rather than a fixed name in the shared temporary directory,
// and removed once the upload is over; a screen whose engine makes no task reports "提交失败" and
// leaves like a failed send instead of waiting for ever.
//
// Tasks come from a FeedbackEngine (the data engine's by default); their results arrive as task
// notifications on the main thread. Main thread only; owned by its navigation controller.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/views/TableView.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "platform/ui/controllers/ViewController.h"
#include "settings/feedback/FeedbackLogArchive.h"

namespace zu {

namespace ui {
class ActivityIndicatorView;
class NibLoading;
}  // namespace ui

struct Notification;
class FeedbackEngine;
class MSPlaceHolderTextView;
class PBCustomSegmentedControl;

class MoreSettingsFeedbackViewController : public ui::ViewController,
                                           public ui::TableViewDataSource,
                                           public ui::TableViewDelegate,
                                           public ui::TextFieldDelegate {
 public:
  static constexpr const char* kNibName = "MoreSettingsFeedbackViewController";
  static constexpr std::array<const char*, 4> kQuestionTypes = {"提问题", "提建议", "Bug提交", "表扬"};
  static constexpr std::array<const char*, 4> kButtonImageNames = {
      "imageKdmsFeedbackTiwenti", "imageKdmsFeedbackTijianyi", "imageKdmsFeedbackTibug", "imageKdmsFeedbackBiaoyang"};
  static constexpr int kSegmentTag = 10000;
  static constexpr int kMessageTag = 10001;
  static constexpr float kGuestMailRowHeight = 88;
  static constexpr float kReaderMailRowHeight = 46;
  static constexpr double kExitDelay = 1.0;

  // The interface file: the screen for a ScreenRequest owner, the view for the screen itself.
  static void registerNib();

  MoreSettingsFeedbackViewController();
  ~MoreSettingsFeedbackViewController() override;

  const std::shared_ptr<FeedbackEngine>& engine() const { return engine_; }
  // Null: the default engine.
  void setEngine(std::shared_ptr<FeedbackEngine> engine);

  // --- state and outlets (read by tests)
  int lastSelectedIndex() const { return lastSelectedIndex_; }
  bool isSending() const { return sending_; }
  const std::shared_ptr<ui::TableView>& tableView() const { return tableView_; }
  const std::shared_ptr<MSPlaceHolderTextView>& inputTextView() const { return inputTextView_; }
  // Null for a logged-in reader.
  const std::shared_ptr<ui::TextField>& textField() const { return textField_; }
  const std::shared_ptr<ui::ActivityIndicatorView>& submitIndicator() const { return submitIndicator_; }
  const std::shared_ptr<PBCustomSegmentedControl>& segmentedControl() const { return segmentedControl_; }
  // The archive of the send under way (empty before and after).
  const std::optional<std::string>& archivePath() const { return archive_.path(); }

  // --- actions
  void returnButtonPressedAction();
  void submitButtonPressedAction();
  void segmentedControlValueChanged(PBCustomSegmentedControl& control);
  void backgroundPressed();
  void getSubmitResultOnMainThread(const Notification& notification);
  void exitFeedback();

  // --- the view
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidDisappear(bool animated) override;
  void viewDidUnload() override;

  // --- the table
  int64_t numberOfRowsInSection(ui::TableView&, int64_t) override { return 3; }
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath& indexPath) override;
  std::optional<ui::IndexPath> willSelectRow(ui::TableView&, const ui::IndexPath&) override { return std::nullopt; }

  // --- the e-mail field
  void textFieldDidBeginEditing(ui::TextField& field) override;

  // --- the message box (through a small delegate of its own)
  void messageDidChange();
  void messageDidBeginEditing();

 private:
  class MessageDelegate;

  static void build(ui::NibLoading& file);
  std::shared_ptr<MoreSettingsFeedbackViewController> sharedFeedback();
  bool isGuest() const { return guest_; }
  std::shared_ptr<ui::TableViewCell> questionsCell(ui::TableView& table);
  std::shared_ptr<ui::TableViewCell> textCell(ui::TableView& table);
  std::shared_ptr<ui::TableViewCell> mailCell(ui::TableView& table);
  void setTitle(const std::string& title);
  void keyboardWillShow();
  void keyboardWillHide();
  void stopObserving();

  std::shared_ptr<FeedbackEngine> engine_;
  bool guest_ = true;
  int lastSelectedIndex_ = 0;
  bool sending_ = false;
  std::optional<std::string> taskId_;
  FeedbackLogArchive archive_;
  RunLoop::Token exitToken_ = 0;

  std::shared_ptr<ui::TableView> tableView_;
  std::shared_ptr<MSPlaceHolderTextView> inputTextView_;
  std::shared_ptr<ui::TextField> textField_;
  std::shared_ptr<PBCustomSegmentedControl> segmentedControl_;
  std::shared_ptr<ui::ActivityIndicatorView> submitIndicator_;
  std::shared_ptr<MessageDelegate> messageDelegate_;
};

}  // namespace zu
