// Label: a view showing text — one or more lines in a font and colour, aligned, truncated or
// wrapped, optionally with a shadow. Main thread; made with std::make_shared.
//
// Kept from the phone (of its era): a new label has a white, opaque background, black 17-point
// system text, one line, tail truncation, left alignment, shadow offset (0, −1) without a
// shadow colour, and user interaction off. The text is measured with the current TextMetrics:
// textRectForBounds gives the rectangle the text needs within the bounds (at their origin, no
// more than numberOfLines lines, 0 meaning no limit), and drawTextInRect draws it centred
// vertically in the rectangle it is given; subclasses override either (a vertically aligned
// label moves the text rectangle and draws into it). sizeThatFits measures one line when
// numberOfLines is 1, else the text wrapped to the given width. A highlighted label with a
// highlighted text colour uses it; a disabled label draws its text half transparent.
//
// Where we differ on purpose: the label keeps its laid-out lines (a TextLayoutCache per label)
// until something that changes the drawing changes, and lays out only the lines it shows, so a
// huge text (a title of a megabyte) costs a frame no more than a short one. Every setter that
// changes how the text is laid out calls layoutChanged(); a subclass or a new property that
// changes it (how control characters are shown, italic, justification, …) does the same.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/text/Font.h"
#include "platform/ui/text/TextLayoutCache.h"
#include "platform/ui/text/TextMetrics.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

class Label : public View {
 public:
  explicit Label(const Rect& frame = Rect());

  const std::string& text() const { return text_; }
  void setText(std::string text);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  const Color& textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  const std::optional<Color>& highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(std::optional<Color> color);
  const std::optional<Color>& shadowColor() const { return shadowColor_; }
  void setShadowColor(std::optional<Color> color);
  Size shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(Size offset);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  int numberOfLines() const { return lines_; }
  void setNumberOfLines(int lines);
  LineBreakMode lineBreakMode() const { return lineBreak_; }
  void setLineBreakMode(LineBreakMode mode);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);

  virtual Rect textRectForBounds(const Rect& bounds, int numberOfLines) const;
  virtual void drawTextInRect(Canvas& canvas, const Rect& rect);

  Size sizeThatFits(Size size) const override;
  void draw(Canvas& canvas, const Rect& rect) override;
  std::string dumpDetails() const override;

 protected:
  // Drops the kept layouts and asks for a redraw: the text will be laid out again.
  void layoutChanged();

 private:
  // The text laid out in a rectangle of `size` (kept until layoutChanged()).
  const TextMetrics::Layout& layoutFor(Size size) const;

  mutable TextLayoutCache layouts_;
  std::string text_;
  Font font_ = Font::systemFont(17);
  Color textColor_ = Color::blackColor();
  std::optional<Color> highlightedTextColor_;
  std::optional<Color> shadowColor_;
  Size shadowOffset_{0, -1};
  TextAlignment alignment_ = TextAlignment::Left;
  int lines_ = 1;
  LineBreakMode lineBreak_ = LineBreakMode::TailTruncation;
  bool highlighted_ = false;
  bool enabled_ = true;
};

}  // namespace zu::ui
