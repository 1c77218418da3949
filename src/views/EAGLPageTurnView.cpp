#include "views/EAGLPageTurnView.h"

#include "views/EAGLView.h"

namespace zu {

std::shared_ptr<EAGLPageTurnView> EAGLPageTurnView::create(const ui::Rect& frame) {
  auto view = EAGLView::create(frame);
  if (!view) return nullptr;
  auto adapter = std::make_shared<EAGLPageTurnView>(std::move(view));
  adapter->view_->setEaglDelegate(adapter);
  return adapter;
}

EAGLPageTurnView::EAGLPageTurnView(std::shared_ptr<EAGLView> view) : view_(std::move(view)) {}

void EAGLPageTurnView::relay(void (PageTurnViewDelegate::*report)(PageTurnView&)) {
  auto keep = shared_from_this();
  if (auto delegate = delegate_.lock()) ((*delegate).*report)(*this);
}

ui::View& EAGLPageTurnView::view() { return *view_; }
void EAGLPageTurnView::setClearColorRGB(std::optional<ui::Color> color) { view_->setClearColorRGB(color); }
void EAGLPageTurnView::setFlipModel(int model) { view_->setFlipModel(model); }
void EAGLPageTurnView::reloadTopTextureWithView(ui::View* view) { view_->reloadTopTextureWithView(view); }
void EAGLPageTurnView::reloadBottomTextureWithView(ui::View* view) { view_->reloadBottomTextureWithView(view); }
void EAGLPageTurnView::reloadMidTextureWithPath(const std::string& path) { view_->reloadMidTextureWithPath(path); }
void EAGLPageTurnView::switchTopBottom() { view_->switchTopBottom(); }
void EAGLPageTurnView::redraw() { view_->redraw(); }
int EAGLPageTurnView::pagePass() const { return view_->pagePass(); }
void EAGLPageTurnView::setPagePass(int pages) { view_->setPagePass(pages); }
void EAGLPageTurnView::flipL2RToRota(float rota) { view_->flipL2RToRota(rota); }
void EAGLPageTurnView::flipR2LToRota(float rota) { view_->flipR2LToRota(rota); }
void EAGLPageTurnView::finishFlipL2R() { view_->finishFlipL2R(); }
void EAGLPageTurnView::finishFlipR2L() { view_->finishFlipR2L(); }
void EAGLPageTurnView::finishFlipU2D() { view_->finishFlipU2D(); }
void EAGLPageTurnView::finishFlipU2DPhysics() { view_->finishFlipU2DPhysics(); }
void EAGLPageTurnView::finishFlipD2U() { view_->finishFlipD2U(); }
void EAGLPageTurnView::cancelFlipL2R() { view_->cancelFlipL2R(); }
void EAGLPageTurnView::cancelFlipR2L() { view_->cancelFlipR2L(); }
void EAGLPageTurnView::cancelFlipL2RAfterTo(float rota) { view_->cancelFlipL2RAfterTo(rota); }
void EAGLPageTurnView::cancelFlipR2LAfterTo(float rota) { view_->cancelFlipR2LAfterTo(rota); }
bool EAGLPageTurnView::isAnimating() const { return view_->isAnimating(); }
void EAGLPageTurnView::setIsBeizerTans(bool curved) { view_->setIsBeizerTans(curved); }
void EAGLPageTurnView::flipBookFromRBWithFinger(ui::Point finger, bool columnStyle) { view_->flipBookFromRBWithFinger(finger, columnStyle); }
void EAGLPageTurnView::flipBookFromRTWithFinger(ui::Point finger, bool columnStyle) { view_->flipBookFromRTWithFinger(finger, columnStyle); }
void EAGLPageTurnView::flipBookFromLBWithFinger(ui::Point finger, bool columnStyle) { view_->flipBookFromLBWithFinger(finger, columnStyle); }
void EAGLPageTurnView::flipBookFromLTWithFinger(ui::Point finger, bool columnStyle) { view_->flipBookFromLTWithFinger(finger, columnStyle); }
void EAGLPageTurnView::finishFlipBookR2L_B(bool columnStyle) { view_->finishFlipBookR2L_B(columnStyle); }
void EAGLPageTurnView::finishFlipBookR2L_T(bool columnStyle) { view_->finishFlipBookR2L_T(columnStyle); }
void EAGLPageTurnView::finishFlipBookL2R_B(bool columnStyle) { view_->finishFlipBookL2R_B(columnStyle); }
void EAGLPageTurnView::finishFlipBookL2R_T(bool columnStyle) { view_->finishFlipBookL2R_T(columnStyle); }
void EAGLPageTurnView::cancelFlipBookR2L_B(bool columnStyle) { view_->cancelFlipBookR2L_B(columnStyle); }
void EAGLPageTurnView::cancelFlipBookR2L_T(bool columnStyle) { view_->cancelFlipBookR2L_T(columnStyle); }
void EAGLPageTurnView::cancelFlipBookL2R_B(bool columnStyle) { view_->cancelFlipBookL2R_B(columnStyle); }
void EAGLPageTurnView::cancelFlipBookL2R_T(bool columnStyle) { view_->cancelFlipBookL2R_T(columnStyle); }

}  // namespace zu
