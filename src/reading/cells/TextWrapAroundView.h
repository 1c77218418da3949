// TextWrapAroundView: a microblog post's text laid out beside a rectangle at its top right
// corner (the post's thumbnail): the lines whose boxes start in the top band of three lines are
// narrowed to end `xDistance` before the rectangle, the others use the full width, and the view
// reports the height its lines need. Lines break by the kit's Typesetter with a width per line
// (Typesetter::band); they are then drawn at this view's own pitch (fontSize + lineSpace), the
// first baseline `fontSize` below the top, every line at x 0 — only the typesetter's breaks are
// used, not its line positions.
//
// Use, in this order: set the frame, setWrappedViewFrame, setDefaultFontSize,
// setDefaultLineSpace, setXDistance, setYDistance, setAttributedString, calculateTotalHeight,
// setNeedsDisplay. The wrapped rectangle is in the view's frame coordinates (its superview's).
// There is a layout only when the rectangle lies within the frame, its left gap is at least 10
// and its right gap less than 10; otherwise the view shows nothing and measures 0.
//
// Where we differ on purpose: a zero-size frame, a font size of 0 or less, or an empty string
// give no layout (height 0) rather than a frame that divides by nothing. The layout is a plain
// owned value (no reference counting to get wrong).
//
// Main thread, like every view. The view owns its copy of the string and its last layout.
#pragma once

#include <memory>
#include <optional>

#include "platform/ui/text/AttributedString.h"
#include "platform/ui/text/TextFrame.h"
#include "platform/ui/views/View.h"

namespace zu {

class TextWrapAroundView : public ui::View {
 public:
  explicit TextWrapAroundView(const ui::Rect& frame = ui::Rect());

  const std::optional<ui::AttributedString>& attributedString() const { return text_; }
  // The same string again does nothing; otherwise the view keeps a copy (none for none).
  void setAttributedString(std::optional<ui::AttributedString> text);

  float fontSize() const { return fontSize_; }
  void setDefaultFontSize(float size) { fontSize_ = size; }
  float lineSpace() const { return lineSpace_; }
  void setDefaultLineSpace(float space) { lineSpace_ = space; }
  const ui::Rect& wrappedViewFrame() const { return wrapped_; }
  void setWrappedViewFrame(const ui::Rect& rect) { wrapped_ = rect; }
  float xDistance() const { return xDistance_; }
  void setXDistance(float distance) { xDistance_ = distance; }
  // Kept for the list's sake; it plays no part in the layout.
  float yDistance() const { return yDistance_; }
  void setYDistance(float distance) { yDistance_ = distance; }

  // A new layout of the string in the current frame, or none (see the header's rules).
  std::unique_ptr<ui::TextFrame> createCTFrame() const;
  // Replaces the kept layout with a new one; without one returns 0 and leaves the frame alone,
  // else sets the frame's height to lines × (fontSize + lineSpace) and returns it.
  float calculateTotalHeight();
  // The kept layout (null before calculateTotalHeight or when there is none).
  const ui::TextFrame* layout() const { return layout_.get(); }

  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  std::string className() const override { return "TextWrapAroundView"; }

 private:
  std::optional<ui::AttributedString> text_;
  float fontSize_ = 14;
  float lineSpace_ = 4;
  ui::Rect wrapped_;
  float xDistance_ = 0;
  float yDistance_ = 0;
  std::unique_ptr<ui::TextFrame> layout_;
};

}  // namespace zu
