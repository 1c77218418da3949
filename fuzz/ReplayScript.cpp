// Fuzz target: replay scripts (zureader --replay FILE). Any input must give a clean answer: the
// steps of an accepted script stay on the screen and within their time limits; a refused one
// keeps no steps and names a line.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/ReplayScript.h"

namespace {

bool onScreen(zu::ui::Point p) { return p.x >= 0 && p.y >= 0 && p.x <= 320 && p.y <= 480; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto result = zu::ReplayScript::parse(text);
  if (result.error) {
    if (!result.steps.empty() || result.error->rfind("line ", 0) != 0) abort();
    return 0;
  }
  for (const auto& step : result.steps) {
    if (step.line < 1) abort();
    if (!(step.seconds >= 0 && step.seconds <= zu::ReplayScript::kLongestWait)) abort();
    if (!onScreen(step.from) || !onScreen(step.to)) abort();
    // What an expect step looks for is a word or more, without the blanks around it; a screen
    // is one word.
    if (step.kind == zu::ReplayStep::Kind::Expect) {
      const char* blanks = " \t\r\v\f";
      if (step.text.empty() || std::strchr(blanks, step.text.front()) || std::strchr(blanks, step.text.back())) abort();
      if (step.check == zu::ReplayStep::Check::Screen && step.text.find_first_of(blanks) != std::string::npos) abort();
    }
    // A chord is one of the edit actions.
    if (step.kind == zu::ReplayStep::Kind::Edit && step.action != "selectAll:" && step.action != "copy:" &&
        step.action != "paste:" && step.action != "cut:" && step.action != "undo:" && step.action != "redo:") {
      abort();
    }
  }
  return 0;
}
