// MYIVTableViewCell2: a row of the profile screen's introduction and labels (value-2 style)
// whose detail label sits 10 points further right than the style puts it, at the width the
// screen measures its text in, so that the text wraps where the row's height was measured.
// Made with std::make_shared; main thread; owned by the table that shows it.
#pragma once

#include <optional>
#include <string>

#include "platform/ui/views/TableViewCell.h"

namespace zu {

class MYIVTableViewCell2 : public ui::TableViewCell {
 public:
  MYIVTableViewCell2(std::optional<std::string> reuseIdentifier, float detailWidth);

  void layoutSubviews() override;
  std::string className() const override { return "MYIVTableViewCell2"; }

 private:
  float detailWidth_;
};

}  // namespace zu
