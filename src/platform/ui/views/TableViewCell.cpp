#include "platform/ui/views/TableViewCell.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/views/Label.h"

namespace zu::ui {

namespace {

constexpr float kMargin = 10;
constexpr float kAccessoryWidth = 20;
constexpr float kEditingControlWidth = 32;
constexpr float kEditingControlDiameter = 20;
constexpr float kConfirmationWidth = 64;
constexpr float kConfirmationHeight = 30;

Color blueSelection() { return Color::rgba8(5, 140, 245); }
Color detailBlue() { return Color::rgba8(56, 84, 135); }

// A label of the cell: clear background, white while the cell shows its selection.
std::shared_ptr<Label> cellLabel(const Font& font, bool highlighted) {
  auto label = std::make_shared<Label>();
  label->setBackgroundColor(std::nullopt);
  label->setHighlightedTextColor(Color::whiteColor());
  label->setFont(font);
  label->setHighlighted(highlighted);
  return label;
}

}  // namespace

// The content view: tells its cell when the image view's frame changes, so the labels follow.
class TableViewCell::ContentView : public View {
 public:
  ContentView(TableViewCell* cell, const Rect& frame) : View(frame), cell_(cell) {}
  void forget() { cell_ = nullptr; }
  std::string className() const override { return "View"; }

 protected:
  void subviewFrameDidChange(View& subview, const Rect& oldFrame) override {
    View::subviewFrameDidChange(subview, oldFrame);
    if (cell_ && cell_->imageView_.get() == &subview) cell_->imageFrameChanged();
  }

 private:
  TableViewCell* cell_;  // non-owning; the cell owns this view and forgets it when it dies
};

TableViewCell::TableViewCell(TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
    : View(Rect(0, 0, 320, 44)), style_(style), reuseIdentifier_(std::move(reuseIdentifier)) {
  setBackgroundColor(Color::whiteColor());
  contentView_ = std::make_shared<ContentView>(this, Rect(0, 0, 320, 43));
  contentView_->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  addSubview(contentView_);
}

TableViewCell::~TableViewCell() { static_cast<ContentView*>(contentView_.get())->forget(); }

const std::shared_ptr<Label>& TableViewCell::textLabel() {
  if (!textLabel_) {
    const float size = style_ == TableViewCellStyle::Default    ? 20
                       : style_ == TableViewCellStyle::Subtitle ? 18
                       : style_ == TableViewCellStyle::Value1   ? 17
                                                                : 12;
    textLabel_ = cellLabel(Font::boldSystemFont(size), showsSelection());
    if (style_ == TableViewCellStyle::Value2) {
      textLabel_->setTextColor(detailBlue());
      textLabel_->setTextAlignment(TextAlignment::Right);
    }
    contentView_->addSubview(textLabel_);
    setNeedsLayout();
  }
  return textLabel_;
}

const std::shared_ptr<Label>& TableViewCell::detailTextLabel() {
  if (!detailTextLabel_ && style_ != TableViewCellStyle::Default) {
    const Font font = style_ == TableViewCellStyle::Subtitle ? Font::systemFont(14)
                      : style_ == TableViewCellStyle::Value1 ? Font::systemFont(17)
                                                             : Font::boldSystemFont(15);
    detailTextLabel_ = cellLabel(font, showsSelection());
    if (style_ == TableViewCellStyle::Subtitle) detailTextLabel_->setTextColor(Color::grayColor());
    if (style_ == TableViewCellStyle::Value1) {
      detailTextLabel_->setTextColor(detailBlue());
      detailTextLabel_->setTextAlignment(TextAlignment::Right);
    }
    contentView_->addSubview(detailTextLabel_);
    setNeedsLayout();
  }
  return detailTextLabel_;
}

const std::shared_ptr<ImageView>& TableViewCell::imageView() {
  if (!imageView_) {
    imageView_ = std::make_shared<ImageView>();
    imageView_->setBackgroundColor(std::nullopt);
    imageView_->setHighlighted(showsSelection());
    contentView_->addSubview(imageView_);
    setNeedsLayout();
  }
  return imageView_;
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type) {
  accessoryType_ = type;
  setNeedsLayout();
  setNeedsDisplay();
}

void TableViewCell::setAccessoryView(std::shared_ptr<View> view) {
  if (accessoryView_ && accessoryView_->superview().get() == this) accessoryView_->removeFromSuperview();
  accessoryView_ = std::move(view);
  if (accessoryView_) addSubview(accessoryView_);
  setNeedsLayout();
}

void TableViewCell::setSelectionStyle(TableViewCellSelectionStyle style) {
  selectionStyle_ = style;
  applyHighlight();
}

void TableViewCell::setBackgroundView(std::shared_ptr<View> view) {
  if (backgroundView_ && backgroundView_->superview().get() == this) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) insertSubviewAt(backgroundView_, 0);
  applyHighlight();
}

void TableViewCell::setSelectedBackgroundView(std::shared_ptr<View> view) {
  if (selectedBackgroundView_ && selectedBackgroundView_->superview().get() == this) {
    selectedBackgroundView_->removeFromSuperview();
  }
  selectedBackgroundView_ = std::move(view);
  applyHighlight();
}

void TableViewCell::setSelected(bool selected, bool) {
  selected_ = selected;
  applyHighlight();
}

void TableViewCell::setHighlighted(bool highlighted, bool) {
  highlighted_ = highlighted;
  applyHighlight();
}

void TableViewCell::setEditing(bool editing, bool) {
  editing_ = editing;
  setNeedsLayout();
  setNeedsDisplay();
}

void TableViewCell::setEditingStyle(TableViewCellEditingStyle style) {
  editingStyle_ = style;
  if (style != TableViewCellEditingStyle::Delete) deleteConfirmation_.reset();
  setNeedsLayout();
  setNeedsDisplay();
}

void TableViewCell::setDeleteConfirmationTitle(std::optional<std::string> title) {
  deleteConfirmation_ = std::move(title);
  setNeedsLayout();
  setNeedsDisplay();
}

Rect TableViewCell::editingControlFrame() const {
  if (!showsEditingControl()) return Rect();
  const float body = bounds().size.height - (separatorStyle_ == TableViewCellSeparatorStyle::None ? 0 : 1);
  return Rect((kEditingControlWidth - kEditingControlDiameter) / 2, (body - kEditingControlDiameter) / 2,
              kEditingControlDiameter, kEditingControlDiameter);
}

Rect TableViewCell::deleteConfirmationFrame() const {
  if (!editing_ || !deleteConfirmation_) return Rect();
  const float body = bounds().size.height - (separatorStyle_ == TableViewCellSeparatorStyle::None ? 0 : 1);
  return Rect(bounds().size.width - kMargin - kConfirmationWidth, (body - kConfirmationHeight) / 2, kConfirmationWidth,
              kConfirmationHeight);
}

void TableViewCell::prepareForReuse() {
  setSelected(false);
  setHighlighted(false);
  setDeleteConfirmationTitle(std::nullopt);
}

void TableViewCell::applyHighlight() {
  const bool on = showsSelection();
  if (textLabel_) textLabel_->setHighlighted(on);
  if (detailTextLabel_) detailTextLabel_->setHighlighted(on);
  if (imageView_) imageView_->setHighlighted(on);
  if (selectedBackgroundView_) {
    if (on && selectedBackgroundView_->superview().get() != this) {
      insertSubviewAt(selectedBackgroundView_, backgroundView_ ? 1 : 0);
    } else if (!on && selectedBackgroundView_->superview().get() == this) {
      selectedBackgroundView_->removeFromSuperview();
    }
  }
  setNeedsLayout();
  setNeedsDisplay();
}

void TableViewCell::setSeparator(TableViewCellSeparatorStyle style, const Color& color) {
  separatorStyle_ = style;
  separatorColor_ = color;
  setNeedsLayout();
}

float TableViewCell::accessoryWidth() const {
  const TableViewCellAccessoryType type = editing_ ? editingAccessoryType_ : accessoryType_;
  if (accessoryView_) return accessoryView_->frame().size.width + kMargin;
  return type == TableViewCellAccessoryType::None ? 0 : kAccessoryWidth + kMargin;
}

void TableViewCell::layoutSubviews() {
  const Rect b = bounds();
  const float separator = separatorStyle_ == TableViewCellSeparatorStyle::None ? 0 : 1;
  const float left = editing_ && indentWhileEditing_ ? kEditingControlWidth : 0;
  const float height = std::max(0.f, b.size.height - separator);
  // The confirmation button takes the accessory's place.
  const float right = editing_ && deleteConfirmation_ ? kConfirmationWidth + kMargin : accessoryWidth();
  contentView_->setFrame(Rect(left, 0, std::max(0.f, b.size.width - left - right), height));
  if (backgroundView_) backgroundView_->setFrame(b);
  if (selectedBackgroundView_) selectedBackgroundView_->setFrame(b);
  if (accessoryView_) {
    const Size s = accessoryView_->frame().size;
    accessoryView_->setFrame(Rect(b.size.width - kMargin - s.width, (height - s.height) / 2, s.width, s.height));
  }

  const Rect c = contentView_->bounds();
  placingImage_ = true;
  if (imageView_ && imageView_->image()) {
    const Size s = imageView_->image()->size();
    const float w = std::min(s.width, c.size.height);
    imageView_->setFrame(Rect(0, (c.size.height - std::min(s.height, c.size.height)) / 2, w,
                              std::min(s.height, c.size.height)));
  } else if (imageView_) {
    imageView_->setFrame(Rect());
  }
  placingImage_ = false;
  placeLabels();
}

void TableViewCell::imageFrameChanged() {
  if (!placingImage_) placeLabels();
}

void TableViewCell::placeLabels() {
  const Rect c = contentView_->bounds();
  // The labels start beside the image view as it is placed now (by this layout, or by a
  // subclass that gave it a frame of its own).
  const float x = imageView_ && imageView_->image() ? std::max(0.f, imageView_->frame().maxX()) + kMargin : kMargin;
  const float width = std::max(0.f, c.size.width - x - kMargin);
  switch (style_) {
    case TableViewCellStyle::Default:
      if (textLabel_) textLabel_->setFrame(Rect(x, 0, width, c.size.height));
      break;
    case TableViewCellStyle::Subtitle: {
      const float top = std::floor(c.size.height * 0.1f);
      const float textHeight = std::floor(c.size.height * 0.5f) - top;
      if (textLabel_) textLabel_->setFrame(Rect(x, top, width, std::max(0.f, c.size.height * 0.5f - top)));
      if (detailTextLabel_) {
        detailTextLabel_->setFrame(Rect(x, top + textHeight, width, std::max(0.f, c.size.height * 0.4f)));
      }
      break;
    }
    case TableViewCellStyle::Value1: {
      // The detail keeps the right 45 % of the row (its text right-aligned); the title takes
      // what the detail's text leaves, all of the row when there is none.
      float detail = 0;
      if (detailTextLabel_ && !detailTextLabel_->text().empty()) {
        detail = std::min(width * 0.45f, std::ceil(detailTextLabel_->sizeThatFits(Size{width, c.size.height}).width));
      }
      if (textLabel_) textLabel_->setFrame(Rect(x, 0, std::max(0.f, width - (detail > 0 ? detail + kMargin : 0)), c.size.height));
      if (detailTextLabel_) detailTextLabel_->setFrame(Rect(x + width * 0.55f, 0, width * 0.45f, c.size.height));
      break;
    }
    case TableViewCellStyle::Value2: {
      constexpr float kLabelWidth = 67;
      if (textLabel_) textLabel_->setFrame(Rect(x, 0, kLabelWidth, c.size.height));
      if (detailTextLabel_) {
        detailTextLabel_->setFrame(Rect(x + kLabelWidth + 6, 0, std::max(0.f, width - kLabelWidth - 6), c.size.height));
      }
      break;
    }
  }
}

void TableViewCell::draw(Canvas& canvas, const Rect&) {
  const Rect b = bounds();
  const float separator = separatorStyle_ == TableViewCellSeparatorStyle::None ? 0 : 1;
  const Rect body(0, 0, b.size.width, b.size.height - separator);
  if (showsSelection() && !selectedBackgroundView_) {
    canvas.setFillColor(selectionStyle_ == TableViewCellSelectionStyle::Blue ? blueSelection()
                                                                             : Color::white(0.75f));
    if (grouped_) {
      canvas.fillRoundedRect(body, 8);
    } else {
      canvas.fillRect(body);
    }
  }
  if (separator > 0) {
    canvas.setFillColor(separatorColor_);
    canvas.fillRect(Rect(grouped_ ? 0 : kMargin, b.size.height - 1, b.size.width - (grouped_ ? 0 : kMargin), 1));
  }
  drawEditingControls(canvas);
  const TableViewCellAccessoryType type = editing_ ? editingAccessoryType_ : accessoryType_;
  if (accessoryView_ || type == TableViewCellAccessoryType::None || (editing_ && deleteConfirmation_)) return;
  const float cx = b.size.width - kMargin - kAccessoryWidth / 2;
  const float cy = body.size.height / 2;
  const Color ink = showsSelection() ? Color::whiteColor() : Color::white(0.5f);
  canvas.setStrokeColor(ink);
  canvas.setLineWidth(3);
  canvas.beginPath();
  switch (type) {
    case TableViewCellAccessoryType::DisclosureIndicator:
      canvas.moveTo(Point{cx - 3, cy - 6});
      canvas.lineTo(Point{cx + 3, cy});
      canvas.lineTo(Point{cx - 3, cy + 6});
      canvas.strokePath();
      break;
    case TableViewCellAccessoryType::Checkmark:
      canvas.setStrokeColor(showsSelection() ? Color::whiteColor() : detailBlue());
      canvas.moveTo(Point{cx - 7, cy});
      canvas.lineTo(Point{cx - 2, cy + 6});
      canvas.lineTo(Point{cx + 7, cy - 7});
      canvas.strokePath();
      break;
    case TableViewCellAccessoryType::DetailDisclosureButton:
      canvas.setFillColor(blueSelection());
      canvas.fillEllipse(Rect(cx - 10, cy - 10, 20, 20));
      canvas.setStrokeColor(Color::whiteColor());
      canvas.moveTo(Point{cx - 2, cy - 5});
      canvas.lineTo(Point{cx + 3, cy});
      canvas.lineTo(Point{cx - 2, cy + 5});
      canvas.strokePath();
      break;
    case TableViewCellAccessoryType::None:
      break;
  }
}

void TableViewCell::drawEditingControls(Canvas& canvas) {
  if (showsEditingControl()) {
    const Rect control = editingControlFrame();
    const bool insert = editingStyle_ == TableViewCellEditingStyle::Insert;
    canvas.setFillColor(insert ? Color::rgba8(40, 170, 60) : Color::rgba8(220, 40, 40));
    canvas.fillEllipse(control);
    canvas.setFillColor(Color::whiteColor());
    const float cx = control.origin.x + control.size.width / 2, cy = control.origin.y + control.size.height / 2;
    canvas.fillRect(Rect(cx - 6, cy - 1.5f, 12, 3));
    if (insert) canvas.fillRect(Rect(cx - 1.5f, cy - 6, 3, 12));
  }
  if (const Rect button = deleteConfirmationFrame(); !button.isEmpty()) {
    canvas.setFillColor(Color::rgba8(205, 30, 30));
    canvas.fillRoundedRect(button, 6);
    const Font font = Font::boldSystemFont(14);
    const float lineHeight = 18;
    canvas.drawText(*deleteConfirmation_,
                    Rect(button.origin.x, button.origin.y + (button.size.height - lineHeight) / 2, button.size.width,
                         lineHeight),
                    font, Color::whiteColor(), LineBreakMode::TailTruncation, TextAlignment::Center);
  }
}

}  // namespace zu::ui
