// AttributedString: text with attributes over UTF-16 ranges — font, traits (bold, italic),
// colour, underline and paragraph style — as the phone's attributed strings are built and read
// by the attributed label and the microblog rows, and laid out by the Typesetter. A plain value;
// main thread like the rest of the kit, though nothing in it is thread-bound.
//
// Kept from the phone: ranges count UTF-16 code units; an attribute set over a range replaces
// that attribute there and leaves the others; attributesAt reports the longest stretch around an
// index with equal attributes (neighbouring equal stretches are merged); setBold walks the font
// runs of the range and touches only the bold trait of each. A character without a font is
// drawn in Helvetica 12, without a colour in black.
// Where we differ on purpose: a range that reaches past the end is cut to the string, so a bad
// range from a caller never ends the application; a range that starts past the end changes
// nothing. Fonts can always be made (Font falls back to the installed face), so a font setter
// never fails.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/Font.h"
#include "platform/ui/text/TextInput.h"
#include "platform/ui/text/TextMetrics.h"

namespace zu::ui {

struct ParagraphStyle {
  // The phone's text-layout alignments, numbered as there.
  enum class Alignment { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };
  Alignment alignment = Alignment::Natural;
  LineBreakMode lineBreakMode = LineBreakMode::WordWrap;
  // Added below every line.
  float lineSpacing = 0;
  // A fixed line height (0: the tallest font of the line decides).
  float lineHeight = 0;
  bool operator==(const ParagraphStyle&) const = default;
};

struct TextAttributes {
  std::optional<Font> font{};
  bool italic = false;
  std::optional<Color> color{};
  // 0 none, 1 single, 2 thick, 9 double (the phone's numbers).
  int underlineStyle = 0;
  std::optional<ParagraphStyle> paragraphStyle{};
  bool operator==(const TextAttributes&) const = default;

  // The font drawn: the italic trait slants it.
  Font effectiveFont() const {
    const Font f = font.value_or(Font::named("Helvetica", 12));
    return italic ? f.italic() : f;
  }
  Color effectiveColor() const { return color.value_or(Color::blackColor()); }
};

class AttributedString {
 public:
  struct Run {
    TextRange range;
    TextAttributes attributes;
  };

  // The whole string, whatever its length.
  static constexpr TextRange kAll{0, static_cast<size_t>(-1)};

  AttributedString() = default;
  explicit AttributedString(std::string_view utf8, const TextAttributes& attributes = {});

  const std::u16string& string() const { return text_; }
  std::string utf8() const;
  size_t length() const { return text_.size(); }
  bool operator==(const AttributedString&) const = default;

  // `range` cut to the string.
  TextRange clamp(TextRange range) const;
  // The attributes at `index` and, when asked, the longest range around it that shares them
  // (an index past the end: no attributes, an empty range at the end).
  TextAttributes attributesAt(size_t index, TextRange* effectiveRange = nullptr) const;
  // Runs of equal attributes, in order, covering the string.
  std::vector<Run> runs() const;

  void setAttributes(const TextAttributes& attributes, TextRange range = kAll);
  void setFont(const Font& font, TextRange range = kAll);
  // A face of `family` with the traits asked for (bold selects the bold face).
  void setFontFamily(const std::string& family, float size, bool bold, bool italic,
                     TextRange range = kAll);
  void setTextColor(const Color& color, TextRange range = kAll);
  void setUnderlineStyle(int style, TextRange range = kAll);
  void setUnderlined(bool underlined, TextRange range = kAll) {
    setUnderlineStyle(underlined ? 1 : 0, range);
  }
  // Sets or clears the bold trait of each font run in `range`, keeping name and size otherwise.
  void setBold(bool bold, TextRange range = kAll);
  void setParagraphStyle(const ParagraphStyle& style, TextRange range = kAll);
  void append(const AttributedString& other);

  // One of many changes made together: over `range`, the colour and the underline style, each
  // when given.
  struct Restyle {
    TextRange range;
    std::optional<Color> color;
    std::optional<int> underlineStyle;
  };
  // Makes every change as setTextColor / setUnderlineStyle would, in order (where ranges
  // overlap, a later change wins), in one pass: the cost grows with the string's stretches plus
  // the changes (times the log of their number), not with their product, so thousands of links
  // are styled at once.
  void restyle(const std::vector<Restyle>& changes);

 private:
  struct Stretch {
    size_t end;
    TextAttributes attributes;
    bool operator==(const Stretch&) const = default;
  };
  template <typename Fn>
  void modify(TextRange range, Fn&& change);
  void splitAt(size_t index);
  void merge();

  std::u16string text_;
  // Covering [0, length) in order; empty for an empty string.
  std::vector<Stretch> stretches_;
};

}  // namespace zu::ui
