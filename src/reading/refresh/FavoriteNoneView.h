// FavoriteNoneView: the picture the article list shows in place of its rows when the favourites
// column is empty — "shoucang_nocontent.png" by day, its "black_" twin at night, read from the
// bundle file. Made only from the interface file "FavoriteNoneView". Main thread only.
#pragma once

#include <memory>
#include <string>

#include "platform/ui/views/View.h"

namespace zu {

namespace ui {
class ImageView;
class NibLoading;
}  // namespace ui

class FavoriteNoneView : public ui::View {
 public:
  static constexpr const char* kNibName = "FavoriteNoneView";

  static void registerNib();

  explicit FavoriteNoneView(const ui::Rect& frame = ui::Rect());

  const std::shared_ptr<ui::ImageView>& favoriteNone() const { return picture_; }
  void setNightMode(bool night);

  std::string className() const override { return kNibName; }

 private:
  static void build(ui::NibLoading& file);

  std::shared_ptr<ui::ImageView> picture_;
};

}  // namespace zu
