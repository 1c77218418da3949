// MYIVTableViewCell: the profile screen's first row (subtitle style) with the portrait placed at
// (15, 10, 50 × 50), the name moved 10 points right and 8 up and the gender line 10 right and
// 6 up from where the subtitle style puts them. Made with std::make_shared; main thread; owned
// by the table that shows it.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

class MYIVTableViewCell : public ui::TableViewCell {
 public:
  explicit MYIVTableViewCell(std::optional<std::string> reuseIdentifier);

  void layoutSubviews() override;
  std::string className() const override { return "MYIVTableViewCell"; }
};

}  // namespace zu
