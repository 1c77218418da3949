// NRSubscribeSelfsearchHeaderView: the header of the custom subscription list (type 10003), 88
// high and as wide as the list: the search scopes the service offers under the list's parent
// column as the segments of a PBCustomSegmentedControl (each (width − 12) / n whole points, the
// left, middle and right pictures by position), and below them the search bar, whose placeholder
// and keyboard follow the chosen scope ("qqzone": "QQ号码" and the numbers keyboard). A microblog
// scope ("sinamblog" or "zelvanemblog") whose account is not bound replaces the bar by the button
// "         绑定<scope>以搜索", which opens the authorisation screen (modally, presentation style
// 3) with this header's return action; an authorisation, a re-login or a logout selects the
// current segment again, which re-evaluates the scope. A scope switch with text in the bar
// searches it at once; with an empty bar the keyboard opens once the screen has settled (0.4 s
// after the header was made; "hello bug" goes to the console when no scope has come by then).
//
// Where we differ on purpose (faults mended):
//  - a scope fetch that is superseded (a skin change fetches again) is dropped, and the answer
//    removes every segment before inserting its own, so the control never holds two sets;
//  - the selected index is bounds-checked and no width is divided by zero scopes;
//  - the 0.4 s timer ends with the header, and it stops observing when it goes;
//  - a scope with an empty title matches no account (NRSubscribeSocialCell's lookup).
//
// Main thread only. Owned by the list's view; holds the list weakly, uses its engine.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/controls/SearchBar.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class Button;
class ImageView;
class Timer;
}  // namespace ui

struct Notification;
class Column;
class NRSubscribeColumnsArrayController;
class OpenPlatformBase;
class PBCustomSegmentedControl;

class NRSubscribeSelfsearchHeaderView : public ui::View, public ui::SearchBarDelegate {
 public:
  static constexpr const char* kBindFormat = "         绑定%@以搜索";
  static constexpr float kHeight = 88;

  // Makes the header for the list, the search bar's delegate (the way to make one).
  static std::shared_ptr<NRSubscribeSelfsearchHeaderView> create(
      const std::shared_ptr<NRSubscribeColumnsArrayController>& controller);
  explicit NRSubscribeSelfsearchHeaderView(const std::shared_ptr<NRSubscribeColumnsArrayController>& controller);
  ~NRSubscribeSelfsearchHeaderView() override;

  static std::optional<std::string> placeholderWithColumn(const std::shared_ptr<Column>& scope);
  static ui::KeyboardType keyboardTypeWithColumn(const std::shared_ptr<Column>& scope);
  static std::shared_ptr<OpenPlatformBase> openPlatformBaseForColumn(const std::shared_ptr<Column>& scope);

  const std::shared_ptr<ui::SearchBar>& searchBar() const { return searchBar_; }
  const std::shared_ptr<PBCustomSegmentedControl>& segmentControl() const { return segmentControl_; }
  const std::shared_ptr<ui::Button>& bindButton() const { return bindButton_; }
  const std::shared_ptr<ui::ImageView>& backgroundImageView() const { return backgroundImageView_; }
  const std::vector<std::shared_ptr<Column>>& segmentColumnsArray() const { return segmentColumnsArray_; }
  bool viewDidAppear() const { return viewdidappear_; }

  void onChangeSkin();
  // Fetches the scopes again (the segments go first).
  void updateSegments();
  void searchWithKeyword(const std::string& keyword, const std::shared_ptr<Column>& scope);
  void loadColumnsResultOnMainThread(const Notification& notification);
  void segmentControlAction();
  void bindButtonAction();
  void bindReturnAction();
  void onAuthorize();
  void delayedAssertAppear();

  // SearchBarDelegate.
  void searchBarSearchButtonClicked(ui::SearchBar& bar) override;
  void searchBarTextDidBeginEditing(ui::SearchBar& bar) override;

  std::string className() const override { return "NRSubscribeSelfsearchHeaderView"; }

 private:
  void internalInit();
  void applySkin();
  std::shared_ptr<Column> selectedScope() const;
  // Selects the selected segment again (its handler runs), when there is one.
  void reselect();

  std::weak_ptr<NRSubscribeColumnsArrayController> controller_;
  std::shared_ptr<ui::SearchBar> searchBar_;
  std::shared_ptr<PBCustomSegmentedControl> segmentControl_;
  std::vector<std::shared_ptr<Column>> segmentColumnsArray_;
  std::shared_ptr<ui::Button> bindButton_;
  std::shared_ptr<ui::ImageView> backgroundImageView_;
  std::shared_ptr<ui::Timer> appearTimer_;
  bool viewdidappear_ = false;
  // The scope fetch whose answer counts.
  std::optional<std::string> scopeTaskId_;
};

}  // namespace zu
