// Fuzz target for what a one-line field takes of a typed or pasted text from outside (the
// desktop's clipboard, a replay): the first two bytes give how long the field's kept text is and
// how much of it the text replaces, the rest is the text. What is taken must be valid UTF-8,
// hold no control or bidi character nor a line break, fit the field's room, be cut only when
// something was left out, and read the same when taken again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/intl/GraphemeClusters.h"
#include "platform/runtime/StringUtil.h"
#include "platform/ui/text/OneLineInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using zu::StringUtil;
  using zu::ui::OneLineInput;
  if (size < 2) return 0;
  // A kept text from empty to past the bound, so the room runs from the whole bound to none.
  const size_t kept = static_cast<size_t>(data[0]) * (OneLineInput::kMaxLength / 200);
  const std::string text(kept, 'k');
  const zu::ui::TextRange range{kept / 2, data[1]};
  const std::string_view inserted(reinterpret_cast<const char*>(data + 2), size - 2);
  const OneLineInput::Taken taken = OneLineInput::take(inserted, text, range);

  if (!StringUtil::isValidUtf8(taken.text)) std::abort();
  for (size_t i = 0; i < taken.text.size();) {
    const char32_t c = StringUtil::decodeNext(taken.text, i);
    if (OneLineInput::drops(c) || c == 0x2028 || c == 0x2029) std::abort();
  }
  const size_t replaced = std::min<size_t>(range.length, kept - std::min(range.location, kept));
  const size_t room = kept - replaced >= OneLineInput::kMaxLength ? 0 : OneLineInput::kMaxLength - (kept - replaced);
  const size_t units = StringUtil::utf16Length(taken.text);
  if (units > room) std::abort();
  // Never longer than what came, and never cut when all of it fits.
  const size_t came = StringUtil::utf16Length(inserted);
  if (units > came || (taken.cut && came <= room)) std::abort();
  // Taking it again changes nothing: what is taken is already as a field takes it.
  const OneLineInput::Taken again = OneLineInput::take(taken.text, "", zu::ui::TextRange{});
  if (again.text != taken.text || again.cut) std::abort();
  zu::GraphemeClusters clusters(taken.text);
  if (clusters.length() != units) std::abort();
  return 0;
}
