// SampleText: the small text helpers the sample service's answers share when they compare what a
// request names with the documents: Latin letters folded to lower case, blanks trimmed.
//
// Stateless: any thread.
#pragma once

#include <string>

namespace zu {

class SampleText {
 public:
  SampleText() = delete;

  // Latin letters in lower case; every other byte (a CJK character's too) as it is.
  static std::string lower(std::string text);
  // Without the blanks, tabs and line breaks around it.
  static std::string trimmed(const std::string& text);
};

}  // namespace zu
