// RyAttributedLabelDelegate: what a RyAttributedLabel asks about its links, and LabelLink, a link
// (its UTF-16 range in the label's string and the address it opens). Held weakly by the label;
// main thread. Both methods are optional: their defaults answer "not implemented", and the label
// then follows every link and colours it with its own link colour.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/text/TextInput.h"

namespace zu {

class RyAttributedLabel;

// A link: its range in the string and the address it opens.
struct LabelLink {
  ui::TextRange range;
  std::string url;
  bool operator==(const LabelLink&) const = default;
};

class RyAttributedLabelDelegate {
 public:
  virtual ~RyAttributedLabelDelegate() = default;
  // Whether the link is followed; nullopt: not implemented (followed).
  virtual std::optional<bool> attributedLabelShouldFollowLink(RyAttributedLabel& label,
                                                              const LabelLink& link) {
    (void)label;
    (void)link;
    return std::nullopt;
  }
  // Answers true when implemented, with the link's colour in `color` (nullopt: the string's own
  // colour stays) and the underline style possibly changed.
  virtual bool colorForLink(const LabelLink& link, int* underlineStyle,
                            std::optional<ui::Color>* color) {
    (void)link;
    (void)underlineStyle;
    (void)color;
    return false;
  }
};

}  // namespace zu
