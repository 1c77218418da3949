// NRSubscribeSelfdefCell: the row of the custom subscription list (reuse identifier
// "SubscribeSelfdefCell", 57 high for every column): the column's cover (from the image cache, else
// the default icon) with rounded corners, its title, the text of its content and the subscribe
// button at the right edge, enabled while the column is not subscribed. It shows no waiting
// picture on a press; the list reloads the row when the subscription ends.
//
// cellWithColumn() dequeues a row or makes one and refills it wholly from the column.
// Main thread only; the table and the delegate are not retained.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "catalog/custom/NRSubscribeCell.h"

namespace zu {

class NRSubscribeSelfdefCell : public NRSubscribeCell {
 public:
  static constexpr const char* kReuseIdentifier = "SubscribeSelfdefCell";
  static constexpr float kHeight = 57;

  // `coverPath`: the cached file of the column's cover thumbnail, when there is one.
  static std::shared_ptr<NRSubscribeSelfdefCell> cellWithColumn(const std::shared_ptr<Column>& column,
                                                                const std::shared_ptr<ui::TableView>& tableView,
                                                                const std::optional<std::string>& coverPath);
  static float cellHeightWithColumn(const std::shared_ptr<Column>&) { return kHeight; }

  NRSubscribeSelfdefCell();

  void resetWithColumn(const std::shared_ptr<Column>& column, const std::shared_ptr<ui::TableView>& tableView,
                       const std::optional<std::string>& coverPath);
  std::string className() const override { return "NRSubscribeSelfdefCell"; }

 private:
  void applySkin();
};

}  // namespace zu
