#include "platform/ui/text/CaretMotion.h"

#include <algorithm>

#include "platform/intl/GraphemeClusters.h"

namespace zu::ui {

std::pair<size_t, size_t> CaretMotion::ends(TextRange selected) const {
  const size_t start = selected.location;
  const size_t end = selected.location + selected.length;
  if (selected == made_) return {anchor_, anchor_ == start ? end : start};
  return {start, end};
}

size_t CaretMotion::head(TextRange selected) const { return ends(selected).second; }

TextRange CaretMotion::select(size_t anchor, size_t head) {
  made_ = TextRange{std::min(anchor, head), std::max(anchor, head) - std::min(anchor, head)};
  anchor_ = anchor;
  goalX_.reset();
  return made_;
}

CaretMotion::Result CaretMotion::move(const std::string& text, TextRange selected, bool atLineEnd, CaretMove move,
                                      bool extend, const Lines& lines) {
  const bool same = selected == made_;
  auto [anchor, head] = ends(selected);
  const bool vertical = move == CaretMove::Up || move == CaretMove::Down;
  if (!vertical || !same) goalX_.reset();
  const CaretPlace from{head, atLineEnd};
  CaretPlace to = from;
  GraphemeClusters clusters(text);
  const size_t length = clusters.length();
  switch (move) {
    case CaretMove::Left:
      if (!extend && selected.length > 0) {
        to = CaretPlace{selected.location, false};
      } else {
        to = CaretPlace{clusters.preceding(head), false};
      }
      break;
    case CaretMove::Right:
      if (!extend && selected.length > 0) {
        to = CaretPlace{selected.location + selected.length, false};
      } else {
        to = CaretPlace{clusters.following(head), false};
      }
      break;
    case CaretMove::Up:
    case CaretMove::Down: {
      const int delta = move == CaretMove::Up ? -1 : 1;
      if (!goalX_) goalX_ = lines.xOf(from);
      if (auto place = lines.placeOnLine(from, delta, *goalX_)) {
        to = *place;
      } else {
        to = CaretPlace{delta < 0 ? size_t{0} : length, false};
      }
      break;
    }
    case CaretMove::LineStart:
      to = lines.lineStart(from);
      break;
    case CaretMove::LineEnd:
      to = lines.lineEnd(from);
      break;
  }
  // Never inside a cluster, wherever a line begins or ends.
  if (const size_t boundary = clusters.boundaryAtOrBefore(to.offset); boundary != to.offset) {
    to = CaretPlace{boundary, false};
  }
  if (!extend) anchor = to.offset;
  Result result;
  result.range = TextRange{std::min(anchor, to.offset), std::max(anchor, to.offset) - std::min(anchor, to.offset)};
  result.head = to;
  made_ = result.range;
  anchor_ = anchor;
  return result;
}

}  // namespace zu::ui
