// NewSummary: an article summary as a sector of a magazine-style page lays it out — a copy of a
// NewsSummary's entry fields and records (setNewsData) plus the few fields of its own that a page
// builder fills in. `imageurl` is the picture address whose arrival the sector listens for; it is
// not copied from the entry (the page builder sets it). Main thread; owned by shared_ptr.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/entry/NewsSummary.h"

namespace zu {

class NewSummary : public NewsSummary {
 public:
  // Copies the entry's fields and records from `entry` and takes its title as `new_title`.
  void setNewsData(const NewsSummary& entry);

  std::optional<std::string> new_title;
  std::optional<std::string> new_summary;
  int new_id = 0;
  int32_t new_time = 0;
  int new_type = 0;
  int new_style = 0;
  std::optional<std::string> imageurl;
  int pageBelongto = 0;
};

}  // namespace zu
