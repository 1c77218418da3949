// ColumnGridCell: the home grid's tile of one subscribed column — its cover picture, title,
// border (or the text-only overlay when text-only mode hides the column), a spinner while it
// updates or opens, a detail button and, in edit mode, a delete button — and, built from the
// second interface file, the add cell at the grid's end. Made by the interface files
// "ColumnGridCell" and "AddColumnGridCell" (registerNibs()); the reuse identifier is the file's
// name. It talks back only through ColumnGridCellDelegate (not retained) and by posting
// "NOTIFICATIONUNSUBSCRIBECOLUMN" with the column from its delete button.
//
// Only album, video and audio columns (entry status types 1, 3, 4) are ever disabled, and only
// in text-only mode ("ColumnDisplayModeChange", object: a boxed bool). Edit mode shrinks the
// face to 0.9 once per change and not during a lift; a long press lifts it to 1.09 and drops it
// back to 0.9.
//
// Where we differ on purpose: the title is measured within the label height its interface file
// gave, so a reused tile can show two lines again; a tile without a detail button lets its title
// run under where the button would be; a tile without a column posts nothing on delete. The cover picture is decoded off the main thread (ImageLoader) and shown when it
// arrives; until then a tile given another picture shows none (never the previous column's),
// and one given the same bytes again keeps what it shows. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ui/images/ImageLoader.h"
#include "views/GridViewCell.h"

namespace zu {

namespace ui {
class NibLoading;
class ActivityIndicatorView;
class Button;
class ImageView;
class Label;
}  // namespace ui

class Column;
class ColumnGridCell;

class ColumnGridCellDelegate {
 public:
  virtual ~ColumnGridCellDelegate() = default;
  virtual void presentCellDetail(ColumnGridCell& cell) = 0;
  virtual void switchToSubscribeView() = 0;
};

class ColumnGridCell : public GridViewCell {
 public:
  static constexpr const char* kNibName = "ColumnGridCell";
  static constexpr const char* kAddNibName = "AddColumnGridCell";
  static constexpr const char* kDisplayModeNotification = "ColumnDisplayModeChange";
  static constexpr const char* kUnsubscribeNotification = "NOTIFICATIONUNSUBSCRIBECOLUMN";
  static constexpr float kEditScale = 0.9f;
  static constexpr float kLiftScale = 1.09f;
  static constexpr double kLiftSeconds = 0.3;

  static void registerNibs();
  // The first object of the file `name` (one of the two above), or null.
  static std::shared_ptr<ColumnGridCell> loadFromNib(const std::string& name);

  explicit ColumnGridCell(const ui::Rect& frame = ui::Rect());
  ~ColumnGridCell() override;

  void updateColumn(const std::shared_ptr<Column>& column, bool textOnlyMode);
  void updateCellState(bool editing);
  void longPressedBegin();
  void longPressedEnd();
  void clickedBegin();
  void clickedEnd();
  void willUpdate();
  void endUpdate();
  // Keeps the book download's progress (-1 failed, 1 done, else the fraction); the face shows
  // nothing of it.
  void updateBookDownload(float progress);
  float bookDownloadProgress() const { return bookDownloadProgress_; }
  void displayModeChanged(bool textOnlyMode);
  void deleteCell();
  void colunmDetailButtonPressed();
  void addColumnButtonPressed();
  bool isColumnCanDisabled() const;

  const std::shared_ptr<Column>& column() const { return column_; }
  bool isDisabled() const { return isDisabled_; }
  bool inEditMode() const { return inEditMode_; }
  bool isLongPressed() const { return isLongPressed_; }
  ColumnGridCellDelegate* delegate() const { return delegate_; }
  void setDelegate(ColumnGridCellDelegate* delegate) { delegate_ = delegate; }

  ui::View* frontView() const { return frontView_.get(); }
  ui::Button* delButton() const { return delButton_.get(); }
  ui::Button* detailButton() const { return detailButton_.get(); }
  ui::ActivityIndicatorView* loadingIndicator() const { return loadingIndicator_.get(); }
  ui::ImageView* contentImageView() const { return contentImageView_.get(); }
  ui::ImageView* borderImageView() const { return borderImageView_.get(); }
  ui::Label* titleLabel() const { return titleLabel_.get(); }
  ui::Button* addButton() const { return addButton_.get(); }

  void awakeFromNib() override;
  std::string className() const override { return "ColumnGridCell"; }

 private:
  static void buildCell(ui::NibLoading& file, bool addCell);
  float titleWidth() const;
  void showCover(const std::optional<std::vector<uint8_t>>& data);
  void showBorder();
  void showState();

  bool inEditMode_ = false;
  bool isLongPressed_ = false;
  std::shared_ptr<Column> column_;
  ColumnGridCellDelegate* delegate_ = nullptr;
  bool isDisabled_ = false;
  float bookDownloadProgress_ = 0;
  // The title label's height as the interface file made it: the most a title may take; and its
  // width, which keeps it clear of the detail button.
  float builtTitleHeight_ = 0;
  float builtTitleWidth_ = 0;
  std::shared_ptr<ui::View> frontView_;
  std::shared_ptr<ui::Button> delButton_;
  std::shared_ptr<ui::Button> detailButton_;
  std::shared_ptr<ui::ActivityIndicatorView> loadingIndicator_;
  std::shared_ptr<ui::ImageView> contentImageView_;
  std::shared_ptr<ui::ImageView> borderImageView_;
  std::shared_ptr<ui::Label> titleLabel_;
  std::shared_ptr<ui::Button> addButton_;
  // The cover bytes asked for last, and their decoding (declared last: cancelled first).
  std::optional<std::vector<uint8_t>> coverData_;
  ui::ImageLoader coverLoader_;
};

}  // namespace zu
