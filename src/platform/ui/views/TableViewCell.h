// TableViewCell: one row of a TableView — a content view holding the text label, the detail
// label and the image view of its style, an accessory (a drawn type or a view), a selection
// look, and the reuse identifier the table queues it under. Made with std::make_shared; main
// thread only; the table owns the cells it shows and those waiting for reuse.
//
// Kept from the phone:
//  - The labels and the image view are made on first use and live in the content view; the
//    Default style has no detail label (detailTextLabel() is null). Each style places them as
//    the phone does: Default one line; Subtitle a detail line below; Value1 the detail
//    right-aligned in the right 45 % of the row, the title as wide as the detail's text leaves
//    (the whole row without one); Value2 a short right-aligned blue label before the detail.
//    The labels start beside the image view. A cell is laid out again each time it comes into
//    a table's view, so a reused cell places its labels for its new texts.
//  - setSelected and setHighlighted are virtual and change the look at once (a blue or gray
//    background unless the selection style is None; the labels and image view take their
//    highlighted look). Subclasses may override them and call the base.
//  - prepareForReuse is called when the table hands the cell out again from its queue.
//  - The accessory sits at the right; the content view is the bounds less the accessory, and
//    less one point at the bottom for the table's separator, which the cell draws.
//  - In editing the content moves right by the editing control's width (unless told not to); the table sets the
//    control's style (a red minus for delete, a green plus for insert, none) and whether the
//    delete confirmation button shows, drawn at the right with its title.
// Where we differ on purpose: an image view given a frame of its own after the cell's layout
// (a subclass placing a portrait) takes the labels with it, as if the cell had placed it there.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/views/View.h"

namespace zu::ui {

class ImageView;
class Label;

enum class TableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellAccessoryType { None = 0, DisclosureIndicator = 1, DetailDisclosureButton = 2, Checkmark = 3 };
enum class TableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2 };
enum class TableViewCellEditingStyle { None = 0, Delete = 1, Insert = 2 };
enum class TableViewCellSeparatorStyle { None = 0, SingleLine = 1, SingleLineEtched = 2 };

class TableViewCell : public View {
 public:
  explicit TableViewCell(TableViewCellStyle style = TableViewCellStyle::Default,
                         std::optional<std::string> reuseIdentifier = std::nullopt);
  ~TableViewCell() override;

  TableViewCellStyle style() const { return style_; }
  const std::optional<std::string>& reuseIdentifier() const { return reuseIdentifier_; }

  const std::shared_ptr<View>& contentView() const { return contentView_; }
  const std::shared_ptr<Label>& textLabel();
  // Null for the Default style.
  const std::shared_ptr<Label>& detailTextLabel();
  const std::shared_ptr<ImageView>& imageView();

  TableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(TableViewCellAccessoryType type);
  const std::shared_ptr<View>& accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<View> view);
  TableViewCellAccessoryType editingAccessoryType() const { return editingAccessoryType_; }
  void setEditingAccessoryType(TableViewCellAccessoryType type) { editingAccessoryType_ = type; }
  TableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(TableViewCellSelectionStyle style);
  const std::shared_ptr<View>& backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<View> view);
  const std::shared_ptr<View>& selectedBackgroundView() const { return selectedBackgroundView_; }
  void setSelectedBackgroundView(std::shared_ptr<View> view);

  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated = false);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated = false);
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  TableViewCellEditingStyle editingStyle() const { return editingStyle_; }
  bool shouldIndentWhileEditing() const { return indentWhileEditing_; }
  void setShouldIndentWhileEditing(bool indent) {
    indentWhileEditing_ = indent;
    setNeedsLayout();
  }
  void setEditingStyle(TableViewCellEditingStyle style);
  // The delete confirmation button with its title, or none.
  const std::optional<std::string>& deleteConfirmationTitle() const { return deleteConfirmation_; }
  void setDeleteConfirmationTitle(std::optional<std::string> title);
  bool showsEditingControl() const { return editing_ && editingStyle_ != TableViewCellEditingStyle::None; }
  // In the cell's coordinates: the editing control and the confirmation button (empty when
  // not shown).
  Rect editingControlFrame() const;
  Rect deleteConfirmationFrame() const;
  virtual void prepareForReuse();

  // Set by the table that shows the cell: how to draw the separator, and whether the cell sits
  // in a grouped table (inset, rounded background).
  void setSeparator(TableViewCellSeparatorStyle style, const Color& color);
  void setGrouped(bool grouped) {
    grouped_ = grouped;
    setNeedsDisplay();
  }
  // The width the accessory takes at the right (0 without one).
  float accessoryWidth() const;

  void layoutSubviews() override;
  void draw(Canvas& canvas, const Rect& rect) override;

 private:
  class ContentView;
  // Places the labels of the style beside the image view's frame.
  void placeLabels();
  // The image view's frame changed: the labels follow unless this cell is placing it.
  void imageFrameChanged();
  void applyHighlight();
  void drawEditingControls(Canvas& canvas);
  bool showsSelection() const { return (selected_ || highlighted_) && selectionStyle_ != TableViewCellSelectionStyle::None; }

  TableViewCellStyle style_;
  std::optional<std::string> reuseIdentifier_;
  std::shared_ptr<View> contentView_;
  std::shared_ptr<Label> textLabel_;
  std::shared_ptr<Label> detailTextLabel_;
  std::shared_ptr<ImageView> imageView_;
  TableViewCellAccessoryType accessoryType_ = TableViewCellAccessoryType::None;
  TableViewCellAccessoryType editingAccessoryType_ = TableViewCellAccessoryType::None;
  std::shared_ptr<View> accessoryView_;
  TableViewCellSelectionStyle selectionStyle_ = TableViewCellSelectionStyle::Blue;
  std::shared_ptr<View> backgroundView_;
  std::shared_ptr<View> selectedBackgroundView_;
  bool selected_ = false;
  bool highlighted_ = false;
  bool editing_ = false;
  TableViewCellEditingStyle editingStyle_ = TableViewCellEditingStyle::None;
  bool indentWhileEditing_ = true;
  std::optional<std::string> deleteConfirmation_;
  bool grouped_ = false;
  bool placingImage_ = false;
  TableViewCellSeparatorStyle separatorStyle_ = TableViewCellSeparatorStyle::SingleLine;
  Color separatorColor_ = Color::white(0.88f);
};

}  // namespace zu::ui
