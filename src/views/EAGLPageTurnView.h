// EAGLPageTurnView: the page-turn view a GridView makes for itself — an EAGLView behind the
// PageTurnView interface. Every call goes to the EAGLView as it is; the view's end-of-turn
// reports (EAGLViewProtocol) reach the PageTurnViewDelegate with this adapter as the view.
//
// Made by create() (null when no GL context can be had), owned by the grid; the EAGLView is
// owned by the adapter and placed in the view tree through view(). The adapter keeps itself
// alive through a report, so a delegate may release it from there. Main thread only.
#pragma once

#include <memory>

#include "platform/ui/drawing/Geometry.h"
#include "views/EAGLViewProtocol.h"
#include "views/PageTurnView.h"

namespace zu {

class EAGLView;

class EAGLPageTurnView : public PageTurnView,
                         public EAGLViewProtocol,
                         public std::enable_shared_from_this<EAGLPageTurnView> {
 public:
  static std::shared_ptr<EAGLPageTurnView> create(const ui::Rect& frame);
  explicit EAGLPageTurnView(std::shared_ptr<EAGLView> view);

  EAGLView& eaglView() const { return *view_; }

  ui::View& view() override;
  void setEaglDelegate(std::weak_ptr<PageTurnViewDelegate> delegate) override {
    delegate_ = std::move(delegate);
  }
  void clearEaglDelegate() override { delegate_.reset(); }
  void setClearColorRGB(std::optional<ui::Color> color) override;
  void setFlipModel(int model) override;
  void reloadTopTextureWithView(ui::View* view) override;
  void reloadBottomTextureWithView(ui::View* view) override;
  void reloadMidTextureWithPath(const std::string& path) override;
  void switchTopBottom() override;
  void redraw() override;
  int pagePass() const override;
  void setPagePass(int pages) override;
  void flipL2RToRota(float rota) override;
  void flipR2LToRota(float rota) override;
  void finishFlipL2R() override;
  void finishFlipR2L() override;
  void finishFlipU2D() override;
  void finishFlipU2DPhysics() override;
  void finishFlipD2U() override;
  void cancelFlipL2R() override;
  void cancelFlipR2L() override;
  void cancelFlipL2RAfterTo(float rota) override;
  void cancelFlipR2LAfterTo(float rota) override;
  bool isAnimating() const override;
  void setIsBeizerTans(bool curved) override;
  void flipBookFromRBWithFinger(ui::Point finger, bool columnStyle) override;
  void flipBookFromRTWithFinger(ui::Point finger, bool columnStyle) override;
  void flipBookFromLBWithFinger(ui::Point finger, bool columnStyle) override;
  void flipBookFromLTWithFinger(ui::Point finger, bool columnStyle) override;
  void finishFlipBookR2L_B(bool columnStyle) override;
  void finishFlipBookR2L_T(bool columnStyle) override;
  void finishFlipBookL2R_B(bool columnStyle) override;
  void finishFlipBookL2R_T(bool columnStyle) override;
  void cancelFlipBookR2L_B(bool columnStyle) override;
  void cancelFlipBookR2L_T(bool columnStyle) override;
  void cancelFlipBookL2R_B(bool columnStyle) override;
  void cancelFlipBookL2R_T(bool columnStyle) override;

  void EAGLViewDidFlipL2RFinish(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipL2RFinish); }
  void EAGLViewDidFlipL2RCancel(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipL2RCancel); }
  void EAGLViewDidFlipR2LFinish(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipR2LFinish); }
  void EAGLViewDidFlipR2LCancel(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipR2LCancel); }
  void EAGLViewDidFlipU2DFinish(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipU2DFinish); }
  void EAGLViewDidFlipU2DCancel(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipU2DCancel); }
  void EAGLViewDidFlipD2UFinish(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipD2UFinish); }
  void EAGLViewDidFlipD2UCancel(EAGLView&) override { relay(&PageTurnViewDelegate::EAGLViewDidFlipD2UCancel); }

 private:
  void relay(void (PageTurnViewDelegate::*report)(PageTurnView&));

  std::shared_ptr<EAGLView> view_;
  std::weak_ptr<PageTurnViewDelegate> delegate_;
};

}  // namespace zu
