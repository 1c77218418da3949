// MBAccountManagerViewController: the bound accounts screen. It lists the seven microblog and
// SNS platforms, each with the reader's bound account (nick name, home address and an unbind
// button) or, when unbound, the platform's name and a disclosure arrow; selecting an unbound
// row pushes the authorisation screen for its platform, and the unbind button forgets the
// account at once (no confirmation), posts "Notification_UnAuthorized" (object: the platform
// number) and reloads. The list is read afresh every time the screen is about to appear, so a
// binding made meanwhile shows when the reader comes back. Pushed by the settings tab and the
// share screen; always a plain table.
//
// The table: section 0 has no rows and a 65-point footer with the explanation ("帐号"); section
// 1 has a 65-point row per client, at least seven (rows past the list are filler rows with the
// same explanation, spelled "账号" there). Rows of the list alternate
// background colours by 0-based row number: odd rows "colorKdccTableJishuCellBackground", even
// rows "colorKdccTableOushuCellBackground"; filler rows take the odd rows' colour.
//
// Main thread only. Owned by its navigation controller; keeps the clients of the last read
// (the AccountEngine's) while it lives.
#pragma once

#include <memory>
#include <vector>

#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/text/TextMetrics.h"
#include "share/accounts/AccountManagerCell.h"

namespace zu {

class OpenPlatformBase;

class MBAccountManagerViewController : public ui::TableViewController, public AccountManagerCellDelegate {
 public:
  static constexpr const char* kUnauthorizedNotification = "Notification_UnAuthorized";
  static constexpr const char* kFooterText = "你可将文章转发至你绑定的微博帐号，让好友看到您的臻臻见解。";
  static constexpr const char* kFillerText = "你可将文章转发至你绑定的微博账号，让好友看到您的臻臻见解。";
  static constexpr int kMinimumRows = 7;
  static constexpr float kRowHeight = 65;

  // Whatever style is asked for, the table is plain.
  explicit MBAccountManagerViewController(ui::TableViewStyle style = ui::TableViewStyle::Plain);

  const std::vector<std::shared_ptr<OpenPlatformBase>>& platformList() const { return platformList_; }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  bool shouldAutorotateToInterfaceOrientation(SystemEnvironment::Orientation orientation) override;

  // The table.
  int64_t numberOfSections(ui::TableView&) override { return 2; }
  int64_t numberOfRowsInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::TableViewCell> cellForRow(ui::TableView& table, const ui::IndexPath& indexPath) override;
  std::optional<float> heightForRow(ui::TableView&, const ui::IndexPath&) override { return kRowHeight; }
  std::optional<float> heightForFooterInSection(ui::TableView&, int64_t section) override;
  std::shared_ptr<ui::View> viewForFooterInSection(ui::TableView& table, int64_t section) override;
  void willDisplayCell(ui::TableView&, ui::TableViewCell& cell, const ui::IndexPath& indexPath) override;
  void didSelectRow(ui::TableView& table, const ui::IndexPath& indexPath) override;

  // AccountManagerCellDelegate: unbinds the cell's row.
  void cancelBindingAtCell(AccountManagerCell& cell) override;

 private:
  // A plain "bottom" cell with the explanation in the footer's style.
  std::shared_ptr<ui::TableViewCell> explanationCell(ui::TableView* table, const char* text,
                                                     ui::TextAlignment alignment);
  void fillRow(AccountManagerCell& cell, const std::shared_ptr<OpenPlatformBase>& client);

  std::vector<std::shared_ptr<OpenPlatformBase>> platformList_;
};

}  // namespace zu
