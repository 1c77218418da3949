// NRSubscribeSocialCell: the row of a column that stands for one of the reader's own microblog
// accounts (a customization with the `self` flag and type "sinamblog" or "zelvanemblog"): the
// platform's icon, the column's title and either the bound account's nick name with the subscribe
// button, or "点击绑定" with a disclosure arrow. Reuse identifier "SubscribeSocialCell", 57 high
// for a valid column; any other column gets a row 0 high and fully transparent.
//
// The row follows the account: "Notification_Authorized", "Notification_UnAuthorized",
// "NOTIFICATIONRELOGIN" and "Notification_Logout" reset it in place (no table reload). It shows
// no waiting picture on a press.
//
// Where we differ on purpose: a column with an empty title matches no platform (every platform's
// name contains the empty text), and the row stops observing when it goes.
// Main thread only; the table, the controller and the delegate are not retained.
#pragma once

#include <memory>

#include "catalog/custom/NRSubscribeCell.h"

namespace zu {

namespace ui {
class ViewController;
}

class OpenPlatformBase;

class NRSubscribeSocialCell : public NRSubscribeCell {
 public:
  static constexpr const char* kReuseIdentifier = "SubscribeSocialCell";
  static constexpr const char* kUnboundText = "点击绑定";
  static constexpr float kHeight = 57;

  static std::shared_ptr<NRSubscribeSocialCell> cellWithColumn(const std::shared_ptr<Column>& column,
                                                               const std::shared_ptr<ui::TableView>& tableView,
                                                               const std::shared_ptr<ui::ViewController>& controller);
  static float cellHeightWithColumn(const std::shared_ptr<Column>& column, float width);
  static bool isValidColumn(const std::shared_ptr<Column>& column);
  // The first platform client (in platform-number order) whose name contains the column's title;
  // null for no column, an empty title, or no match.
  static std::shared_ptr<OpenPlatformBase> openPlatformBaseForColumn(const std::shared_ptr<Column>& column);

  NRSubscribeSocialCell();
  ~NRSubscribeSocialCell() override;

  void resetWithColumn(const std::shared_ptr<Column>& column, const std::shared_ptr<ui::TableView>& tableView,
                       const std::shared_ptr<ui::ViewController>& controller);
  // An account notification: the row shows the account's new state.
  void onAuthorize();

  std::shared_ptr<ui::ViewController> controller() const { return controller_.lock(); }
  std::string className() const override { return "NRSubscribeSocialCell"; }

 private:
  std::weak_ptr<ui::ViewController> controller_;
};

}  // namespace zu
