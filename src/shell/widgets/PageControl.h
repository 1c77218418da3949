// PageControl: a row of dots, one per page of a paged view, the current page's dot in its own
// colour; a tap on the row chooses a page and tells the delegate. The home grid and the user
// guide put one under their grids, set the page count and current page, and listen through
// PageControlDelegate.
//
// The current page is always clamped: first to 0 at the bottom, then to the page count − 1 at
// the top, so it is −1 while there are no pages. Setting the count or the page redraws; setting
// a dot colour does not (the new colour shows at the next redraw). Setting the page from code
// never tells the delegate; only a tap does, and only when a delegate is set. The touch strip is
// centred like the dots, 14.5 points high and 4.25 points wider than the drawn row on each side,
// both ends included. A tap while there are no pages changes nothing.
//
// Main thread only. The delegate is not retained.
#pragma once

#include <memory>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/View.h"

namespace zu {

class PageControl;

class PageControlDelegate {
 public:
  virtual ~PageControlDelegate() = default;
  // A tap chose a page; it is already the control's current page.
  virtual void pageControlPageDidChange(PageControl& control) { (void)control; }
};

class PageControl : public ui::View {
 public:
  static constexpr float kDotDiameter = 6.0f;
  static constexpr float kDotSpacing = 8.5f;
  static constexpr float kDotPitch = kDotDiameter + kDotSpacing;  // 14.5
  static constexpr float kTouchHeight = kDotPitch;

  // Made in code: the current dot black, the others light grey.
  explicit PageControl(const ui::Rect& frame = ui::Rect());
  // Made by an interface file: the current dot grey 0.6, the others grey 225/255.
  struct FromInterfaceFile {};
  PageControl(FromInterfaceFile, const ui::Rect& frame);

  int currentPage() const { return currentPage_; }
  void setCurrentPage(int page);
  int numberOfPages() const { return numberOfPages_; }
  void setNumberOfPages(int count);

  const ui::Color& dotColorCurrentPage() const { return dotColorCurrentPage_; }
  void setDotColorCurrentPage(const ui::Color& color) { dotColorCurrentPage_ = color; }
  const ui::Color& dotColorOtherPage() const { return dotColorOtherPage_; }
  void setDotColorOtherPage(const ui::Color& color) { dotColorOtherPage_ = color; }

  PageControlDelegate* delegate() const { return delegate_; }
  void setDelegate(PageControlDelegate* delegate) { delegate_ = delegate; }

  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  void touchesBegan(const ui::TouchSet& touches, const ui::Event& event) override;
  std::string className() const override { return "PageControl"; }

 private:
  int currentPage_ = 0;
  int numberOfPages_ = 0;
  ui::Color dotColorCurrentPage_;
  ui::Color dotColorOtherPage_;
  PageControlDelegate* delegate_ = nullptr;
};

}  // namespace zu
