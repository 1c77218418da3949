// RyAttributedLabel: a label that draws an attributed string through the kit's Typesetter, turns
// web addresses (and telephone numbers on a device that can dial) and caller-given ranges into
// coloured, underlined links, highlights the link under the finger and opens it on release
// through ui::Application::openURL. The content centre's no-result view shows its apology with
// it. Main thread; made with std::make_shared; the delegate is held weakly.
//
// Ranges count UTF-16 code units. The links found and the text styled with them are kept from
// one change of the text, its links or their look to the next (found once, styled in one pass:
// a drawing or a touch finds and styles nothing), and at most kMaxDetectedLinks links are found
// (the first ones), so text pasted with thousands of addresses costs time in proportion to its
// length. The laid-out frame is a cache: every change that redraws drops
// it, and the next draw (or hit test) lays the text out again into drawingRect(); it is also made
// again when the bounds or the string drawn changed (a highlighted label recolours its text, and
// resizing asks for a redraw, as the phone's redraw content mode did). drawingRect() is kept in
// text coordinates (y up from the bottom of the bounds), as the phone's flipped text drawing had
// it; the frame itself is laid out in the view's coordinates (the rectangle flipped back).
//
// Kept from the phone: detected links win over custom ones; setAttributedText drops the custom
// links; the colour of a link and its underline may be chosen by the delegate; with
// onlyCatchTouchesOnLinks a touch off every link passes to the views behind; a link is followed
// only when the finger lifts over the link it went down on, and the delegate may refuse; the
// highlight is the union of the link's run rectangles per contiguous part of each line.
// Where we differ on purpose: a custom link's range is cut to the string and one wholly outside
// it (or empty) is ignored (kept, it would throw when the links are styled); a release follows a
// link only when both the link touched and the link lifted over exist. Measuring and drawing use
// the same typesetter and metrics. The label's text setters hide the plain label's (they are not
// virtual there): call them on a RyAttributedLabel.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/widgets/RyAttributedLabelDelegate.h"
#include "platform/intl/DataDetector.h"
#include "platform/ui/text/AttributedString.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/text/TextFrame.h"

namespace zu {

class RyAttributedLabel : public ui::Label {
 public:
  explicit RyAttributedLabel(const ui::Rect& frame = ui::Rect());

  // The label's alignment (left 0, centre 1, right 2, justified 3) as a paragraph alignment.
  static ui::ParagraphStyle::Alignment paragraphAlignmentFor(int labelAlignment);
  // The label's line-break mode as the typesetter's (0 to 5 kept, others word wrap).
  static ui::LineBreakMode lineBreakModeFor(int labelMode);
  // The size `text` needs within `constraints`, each side plus 1 and floored; the range that fits
  // in `fitRange` when given.
  static ui::Size sizeConstrainedToSize(const ui::AttributedString& text, ui::Size constraints,
                                        ui::TextRange* fitRange = nullptr);
  // Adds a paragraph style of just an alignment and a line-break mode over `range`.
  static void setTextAlignment(ui::AttributedString& text, ui::ParagraphStyle::Alignment alignment,
                               ui::LineBreakMode mode,
                               ui::TextRange range = ui::AttributedString::kAll);

  // The text as attributes (built from the plain text when there is none); nullopt for no text.
  std::optional<ui::AttributedString> attributedText();
  void setAttributedText(std::optional<ui::AttributedString> text);
  // Builds the attributed text from the plain text, font, colour, alignment and line breaks.
  void resetAttributedText();

  // "\r\n" becomes "\n", white space and newlines are trimmed at both ends.
  void setText(std::string text);
  void setFont(const ui::Font& font);
  void setTextColor(const ui::Color& color);
  void setTextAlignment(ui::TextAlignment alignment);
  void setLineBreakMode(ui::LineBreakMode mode);

  // The most links the data detector finds in a text; addresses after them stay plain text.
  static constexpr size_t kMaxDetectedLinks = 500;

  const ui::Color& linkColor() const { return linkColor_; }
  void setLinkColor(const ui::Color& color);
  const ui::Color& highlightedLinkColor() const { return highlightedLinkColor_; }
  void setHighlightedLinkColor(const ui::Color& color) { highlightedLinkColor_ = color; }
  bool underlineLinks() const { return underlineLinks_; }
  void setUnderlineLinks(bool underline);
  bool centerVertically() const { return centerVertically_; }
  void setCenterVertically(bool center);
  bool extendBottomToFit() const { return extendBottomToFit_; }
  void setExtendBottomToFit(bool extend);
  uint64_t automaticallyAddLinksForType() const { return linkTypes_; }
  void setAutomaticallyAddLinksForType(uint64_t types);
  bool onlyCatchTouchesOnLinks() const { return onlyCatchTouchesOnLinks_; }
  void setOnlyCatchTouchesOnLinks(bool only) { onlyCatchTouchesOnLinks_ = only; }
  void setDelegate(std::weak_ptr<RyAttributedLabelDelegate> delegate);

  void addCustomLink(const std::string& url, ui::TextRange range);
  void removeAllCustomLinks();
  const std::vector<LabelLink>& customLinks() const { return customLinks_; }
  const std::optional<LabelLink>& activeLink() const { return activeLink_; }

  // The attributed text with its links coloured and underlined; nullopt without text.
  std::optional<ui::AttributedString> attributedTextWithLinks() const;
  std::optional<LabelLink> linkAtCharacterIndex(size_t index) const;
  // `point` in the label's coordinates; lays the text out first when it is not.
  std::optional<LabelLink> linkAtPoint(ui::Point point);

  // Where the frame was laid out, in text coordinates; and the frame (null until drawn).
  const ui::Rect& drawingRect() const { return drawingRect_; }
  const ui::TextFrame* textFrame() const { return textFrame_.get(); }

  ui::Size sizeThatFits(ui::Size size) const override;
  std::shared_ptr<ui::View> hitTest(ui::Point p) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesEnded(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesCancelled(const ui::TouchSet& touches, const ui::Event& event) override;
  void drawTextInRect(ui::Canvas& canvas, const ui::Rect& rect) override;

 private:
  // Drops the laid-out frame and asks for a draw.
  void redraw();
  // The text or what finds links in it changed: links are found and styled again.
  void textChanged();
  // What styles the links changed: they are styled again (the links found are kept).
  void linkStyleChanged() { styled_.reset(); }
  // The links the data detector finds in the text (found once per text change).
  const std::vector<DataDetector::Result>& detectedLinks() const;
  // The text with its links styled (styled once per change), or null without text.
  const ui::AttributedString* styledText() const;
  ui::AttributedString::Restyle linkStyle(const LabelLink& link) const;
  // The frame for `text` in the bounds: the cached one while text and bounds are unchanged.
  const ui::TextFrame* layOut(const ui::AttributedString& text);
  void drawActiveLinkHighlight(ui::Canvas& canvas, const ui::TextFrame& frame);

  std::optional<ui::AttributedString> attributedText_;
  mutable std::optional<std::vector<DataDetector::Result>> detected_;
  mutable std::optional<ui::AttributedString> styled_;
  std::unique_ptr<ui::TextFrame> textFrame_;
  ui::Rect drawingRect_;
  ui::AttributedString laidOutText_;
  ui::Rect laidOutBounds_;
  std::vector<LabelLink> customLinks_;
  std::optional<LabelLink> activeLink_;
  ui::Color linkColor_ = ui::Color::blueColor();
  ui::Color highlightedLinkColor_ = ui::Color::white(0.4f, 0.3f);
  bool underlineLinks_ = true;
  bool centerVertically_ = false;
  uint64_t linkTypes_ = DataDetector::kLink;
  bool onlyCatchTouchesOnLinks_ = true;
  bool extendBottomToFit_ = false;
  std::weak_ptr<RyAttributedLabelDelegate> delegate_;
};

}  // namespace zu
