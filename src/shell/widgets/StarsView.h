// StarsView: a row of stars — the display of a rating (the column detail's header, review rows
// and related rows, the subscription centre's rows) and, with a delegate, the rating input of
// the review form, where a touch or a drag marks the stars up to the finger.
//
// Defaults (awakeFromNib): 5 stars, none marked, one cell per fifth of the width, as high as the
// view, no padding. Star i is drawn into x = leftPadding + i × width, width − padding wide; the
// first markedNum ones marked. markedStar() takes the images "<prefix>_yellow" and
// "<prefix>_black" and keeps the rating as given (drawing caps it at the number of stars).
// A touch marks ⌊(x − leftPadding) / width + 1⌋ stars, held to 0…totalNum, and tells the
// delegate every time, changed or not.
//
// Where we differ on purpose: a cell width of 0 (a view not laid out yet) marks nothing instead
// of dividing by zero. Main thread only; the delegate is not retained.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/views/View.h"

namespace zu::ui {
class Image;
}

namespace zu {

class StarsViewDelegate {
 public:
  virtual ~StarsViewDelegate() = default;
  virtual void markedNumChanged(int32_t markedNum) = 0;
};

class StarsView : public ui::View {
 public:
  static constexpr int32_t kStars = 5;

  explicit StarsView(const ui::Rect& frame = ui::Rect());

  int32_t totalNum() const { return totalNum_; }
  void setTotalNum(int32_t total);
  int32_t markedNum() const { return markedNum_; }
  void setMarkedNum(int32_t marked);
  const std::shared_ptr<ui::Image>& markedStarImage() const { return markedStarImage_; }
  void setMarkedStarImage(std::shared_ptr<ui::Image> image);
  const std::shared_ptr<ui::Image>& blackStarImage() const { return blackStarImage_; }
  void setBlackStarImage(std::shared_ptr<ui::Image> image);
  float width() const { return width_; }
  void setWidth(float width) { width_ = width; }
  float height() const { return height_; }
  void setHeight(float height) { height_ = height; }
  float padding() const { return padding_; }
  void setPadding(float padding) { padding_ = padding; }
  float leftPadding() const { return leftPadding_; }
  void setLeftPadding(float leftPadding) { leftPadding_ = leftPadding; }
  std::shared_ptr<StarsViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<StarsViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // Shows a rating with the images of `prefix` ("smallstar", "tinystar", "bigstar").
  void markedStar(const std::string& prefix, int32_t rank);
  // Marks the stars up to x (in the view) and tells the delegate.
  void markedWithPosition(float x);

  void awakeFromNib() override;
  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  void touchesMoved(const ui::TouchSet& touches, const ui::Event& event) override;
  std::string className() const override { return "StarsView"; }
  std::string dumpDetails() const override;

 private:
  void markTouches(const ui::TouchSet& touches);

  int32_t totalNum_ = 0;
  int32_t markedNum_ = 0;
  std::shared_ptr<ui::Image> markedStarImage_;
  std::shared_ptr<ui::Image> blackStarImage_;
  float width_ = 0;
  float height_ = 0;
  float padding_ = 0;
  float leftPadding_ = 0;
  std::weak_ptr<StarsViewDelegate> delegate_;
};

}  // namespace zu
