#include "platform/ui/text/AttributedString.h"

#include <algorithm>
#include <set>

#include "platform/runtime/StringUtil.h"

namespace zu::ui {

namespace {

// A font's name with its bold suffix set or cleared ("Helvetica" ↔ "Helvetica-Bold").
std::string withBold(const std::string& name, bool bold) {
  std::string base = name;
  for (const char* suffix : {"-Bold", "Bold"}) {
    const size_t at = base.rfind(suffix);
    if (at != std::string::npos && at + std::string(suffix).size() == base.size()) {
      base.erase(at);
      break;
    }
  }
  if (!bold) return base.empty() ? name : base;
  return base + "-Bold";
}

}  // namespace

AttributedString::AttributedString(std::string_view utf8, const TextAttributes& attributes)
    : text_(StringUtil::toUtf16(utf8)) {
  if (!text_.empty()) stretches_.push_back({text_.size(), attributes});
}

std::string AttributedString::utf8() const { return StringUtil::fromUtf16(text_); }

TextRange AttributedString::clamp(TextRange range) const {
  const size_t start = std::min(range.location, text_.size());
  const size_t room = text_.size() - start;
  return {start, std::min(range.length, room)};
}

TextAttributes AttributedString::attributesAt(size_t index, TextRange* effective) const {
  if (index >= text_.size()) {
    if (effective) *effective = {text_.size(), 0};
    return {};
  }
  size_t begin = 0;
  for (const Stretch& s : stretches_) {
    if (index < s.end) {
      if (effective) *effective = {begin, s.end - begin};
      return s.attributes;
    }
    begin = s.end;
  }
  return {};
}

std::vector<AttributedString::Run> AttributedString::runs() const {
  std::vector<Run> out;
  size_t begin = 0;
  for (const Stretch& s : stretches_) {
    out.push_back({{begin, s.end - begin}, s.attributes});
    begin = s.end;
  }
  return out;
}

void AttributedString::splitAt(size_t index) {
  if (index == 0 || index >= text_.size()) return;
  size_t begin = 0;
  for (size_t i = 0; i < stretches_.size(); ++i) {
    if (index == stretches_[i].end) return;
    if (index < stretches_[i].end) {
      if (index == begin) return;
      stretches_.insert(stretches_.begin() + static_cast<std::ptrdiff_t>(i),
                        Stretch{index, stretches_[i].attributes});
      return;
    }
    begin = stretches_[i].end;
  }
}

void AttributedString::merge() {
  std::vector<Stretch> merged;
  for (Stretch& s : stretches_) {
    if (!merged.empty() && merged.back().attributes == s.attributes) {
      merged.back().end = s.end;
    } else {
      merged.push_back(std::move(s));
    }
  }
  stretches_ = std::move(merged);
}

template <typename Fn>
void AttributedString::modify(TextRange range, Fn&& change) {
  const TextRange r = clamp(range);
  if (r.length == 0) return;
  splitAt(r.location);
  splitAt(r.location + r.length);
  size_t begin = 0;
  for (Stretch& s : stretches_) {
    if (begin >= r.location && s.end <= r.location + r.length) change(s.attributes);
    begin = s.end;
  }
  merge();
}

void AttributedString::setAttributes(const TextAttributes& attributes, TextRange range) {
  modify(range, [&](TextAttributes& a) { a = attributes; });
}

void AttributedString::setFont(const Font& font, TextRange range) {
  modify(range, [&](TextAttributes& a) { a.font = font; });
}

void AttributedString::setFontFamily(const std::string& family, float size, bool bold,
                                     bool italic, TextRange range) {
  const Font font = Font::named(withBold(family, bold), size);
  modify(range, [&](TextAttributes& a) {
    a.font = font;
    a.italic = italic;
  });
}

void AttributedString::setTextColor(const Color& color, TextRange range) {
  modify(range, [&](TextAttributes& a) { a.color = color; });
}

void AttributedString::setUnderlineStyle(int style, TextRange range) {
  modify(range, [&](TextAttributes& a) { a.underlineStyle = style; });
}

void AttributedString::setBold(bool bold, TextRange range) {
  // Each stretch is one font run or part of one: the name changes, the size stays.
  // A stretch without a font is left as it is.
  modify(range, [&](TextAttributes& a) {
    if (a.font) a.font = Font::named(withBold(a.font->name, bold), a.font->pointSize);
  });
}

void AttributedString::setParagraphStyle(const ParagraphStyle& style, TextRange range) {
  modify(range, [&](TextAttributes& a) { a.paragraphStyle = style; });
}

void AttributedString::restyle(const std::vector<Restyle>& changes) {
  // Where each change starts and ends (after clamping), as events in string order.
  struct Event {
    size_t at;
    bool start;
    size_t change;
  };
  std::vector<Event> events;
  events.reserve(changes.size() * 2);
  for (size_t i = 0; i < changes.size(); ++i) {
    const TextRange r = clamp(changes[i].range);
    if (r.length == 0) continue;
    events.push_back({r.location, true, i});
    events.push_back({r.location + r.length, false, i});
  }
  if (events.empty()) return;
  std::sort(events.begin(), events.end(),
            [](const Event& a, const Event& b) { return a.at < b.at; });

  // Walk the old stretches and the events together, cutting a piece at every boundary of
  // either; each piece takes its stretch's attributes with the active changes applied in order.
  std::vector<Stretch> out;
  out.reserve(stretches_.size() + events.size());
  std::set<size_t> active;  // the changes covering the current piece, in their order
  size_t e = 0;
  size_t begin = 0;
  for (const Stretch& stretch : stretches_) {
    while (begin < stretch.end) {
      while (e < events.size() && events[e].at <= begin) {
        if (events[e].start) {
          active.insert(events[e].change);
        } else {
          active.erase(events[e].change);
        }
        ++e;
      }
      const size_t end = e < events.size() ? std::min(stretch.end, events[e].at) : stretch.end;
      TextAttributes attributes = stretch.attributes;
      for (size_t i : active) {
        if (changes[i].color) attributes.color = changes[i].color;
        if (changes[i].underlineStyle) attributes.underlineStyle = *changes[i].underlineStyle;
      }
      if (!out.empty() && out.back().attributes == attributes) {
        out.back().end = end;
      } else {
        out.push_back({end, std::move(attributes)});
      }
      begin = end;
    }
  }
  stretches_ = std::move(out);
}

void AttributedString::append(const AttributedString& other) {
  const size_t offset = text_.size();
  text_ += other.text_;
  for (const Stretch& s : other.stretches_) stretches_.push_back({offset + s.end, s.attributes});
  merge();
}

}  // namespace zu::ui
