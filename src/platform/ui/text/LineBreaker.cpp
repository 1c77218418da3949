#include "platform/ui/text/LineBreaker.h"

#include <unicode/uchar.h>

#include <cmath>
#include <string_view>

namespace zu::ui {

namespace {

// Closing punctuation, full-width and ASCII, iteration marks, small kana and the long vowel
// mark: they belong to the character before them.
constexpr std::u32string_view kNoBegin =
    U"，。、；：？！）」』】〕〉》〗〙〛”’…‥·・ー〜〃々〆ゝゞヽヾ"
    U"ぁぃぅぇぉっゃゅょゎゕゖァィゥェォッャュョヮヵヶ"
    U"｝］｠｡｣､･－％"
    U",.;:?!)]}%";
// Opening punctuation: it belongs to the character after it.
constexpr std::u32string_view kNoEnd = U"（「『【〔〈《〖〘〚“‘｛［｟｢＄￥([{$";

}  // namespace

bool LineBreaker::extendsPrevious(char32_t c) {
  const auto type = u_charType(static_cast<UChar32>(c));
  return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK ||
         type == U_COMBINING_SPACING_MARK || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F) ||
         (c >= 0x1F3FB && c <= 0x1F3FF) || (c >= 0xE0100 && c <= 0xE01EF);
}

bool LineBreaker::mayBeginLine(char32_t c) {
  return kNoBegin.find(c) == std::u32string_view::npos && !extendsPrevious(c);
}

bool LineBreaker::mayEndLine(char32_t c) {
  return kNoEnd.find(c) == std::u32string_view::npos && c != 0x200D;
}

LineBreaker::Line LineBreaker::nextLine(const std::u32string& para,
                                        const std::vector<float>& off, size_t start, float width,
                                        LineBreakMode mode) {
  const size_t n = para.size();
  const bool limited = width > 0 && std::isfinite(width);
  const bool byCharacter = mode == LineBreakMode::CharacterWrap;
  // A break before `p` (start < p < n) that the rules allow.
  auto allowed = [&](size_t p) { return mayBeginLine(para[p]) && mayEndLine(para[p - 1]); };
  auto candidate = [&](size_t p) {
    return byCharacter || isBreakingSpace(para[p - 1]) || para[p - 1] >= 0x80 || para[p] >= 0x80;
  };

  size_t cut = n;
  if (limited) {
    for (size_t k = start; k < n; ++k) {
      // Spaces hang past the width; the break comes after them.
      if (isBreakingSpace(para[k]) || k == start || off[k + 1] - off[start] <= width) continue;
      // Character k does not fit: the last allowed break at or before it.
      size_t p = k;
      while (p > start && !(candidate(p) && allowed(p))) --p;
      if (p == start) {
        // No break the rules allow: cut by characters, still keeping punctuation where it
        // belongs when some cut does.
        p = k;
        while (p > start && !allowed(p)) --p;
        if (p == start) {
          // Not even that: cut after k, past any marks or joined characters that follow.
          p = k;
          while (p < n && (extendsPrevious(para[p]) || para[p - 1] == 0x200D)) ++p;
        }
      }
      cut = p;
      break;
    }
  }
  size_t end = cut;
  while (end > start && isBreakingSpace(para[end - 1])) --end;
  size_t next = cut;
  while (limited && next < n && isBreakingSpace(para[next])) ++next;
  return {end, next};
}

}  // namespace zu::ui
