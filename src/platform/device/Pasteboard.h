// Pasteboard: the general pasteboard (Pasteboard::general()) that copy and paste share inside
// the application: text only, as the screens use it (a selection copied from an article, a
// page's address). Main thread only.
//
// Kept from the phone: string() is the first string on the board (none when empty); setting
// strings replaces the board's contents; changeCount goes up by one with each change.
// Where we differ on purpose: the board lives in the process; it is not the desktop's clipboard.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zu {

class Pasteboard {
 public:
  static Pasteboard& general();

  std::optional<std::string> string() const;
  void setString(std::string text);
  const std::vector<std::string>& strings() const { return strings_; }
  void setStrings(std::vector<std::string> strings);
  long changeCount() const { return changeCount_; }

  void resetForTesting();

 private:
  Pasteboard() = default;
  std::vector<std::string> strings_;
  long changeCount_ = 0;
};

}  // namespace zu
