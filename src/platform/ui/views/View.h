// View: a rectangle in the view tree that lays out, draws and receives touches, behaving as the
// phone's view does. Views are made with std::make_shared (the tree holds them by shared_ptr; a
// superview is a non-owning link cleared when it dies) and used on the main thread only.
//
// Geometry (points, float): the model keeps center, bounds and transform; frame() is derived
// (the bounding box of the transformed bounds placed at the center). Setting the frame sets the
// center to its midpoint and the bounds size so that the transformed bounds fill the frame (so
// under a scale 2 transform a 100-wide frame gives 50-wide bounds). The bounds origin is the
// scroll offset: a subview at (x, y) in its superview appears at (x − origin.x, y − origin.y).
// convertPoint/convertRect walk the tree through centers, transforms and bounds origins; a rect
// converts to the bounding box of its corners. A null target view means the root of the tree
// (the window, when the view is in one).
//
// Kept from the phone:
//  - Every setter changes the model value at once. Inside an animation (Animations) the change
//    is also recorded in the AnimationLog, and while it runs the renderer draws the view at the
//    animated value (Presentation); the getters, layout and hit testing use the model. A change that shows marks
//    the screen dirty (DisplayChanges), as setNeedsDisplay and setNeedsLayout do.
//  - When a view's bounds size changes, each subview with an autoresizing mask is resized by it
//    (the flexible parts of an axis share the change in proportion to their current sizes,
//    equally when all are zero), then the view needs layout.
//  - Tree changes call willMoveToSuperview, willMoveToWindow (whole subtree, when the window
//    changes), the change, didMoveToWindow (subtree), didMoveToSuperview, then didAddSubview /
//    willRemoveSubview on the superview, in that order. Adding a view to another superview
//    removes it from the first; adding an existing subview brings it to the front. A view is
//    kept alive while these callbacks run even if the callback drops the last reference.
//  - hitTest skips hidden views, views with alpha < 0.01 and views with user interaction off,
//    asks pointInside (half-open bounds), and tries subviews front to back.
//  - viewWithTag looks at the view itself first, then depth first through the subviews.
//  - setNeedsLayout marks the view; layoutIfNeeded runs layoutSubviews on marked views of the
//    subtree, parents first. A resize, adding or removing a subview marks the view. Views in a
//    window are also laid out by the display pass posted to the main run loop.
//  - Touch callbacks not handled by a view go up the responder chain (nextResponder).
//  - draw(canvas, rect) is called by the render pass (render(view)) after the background is
//    filled, clipped to the bounds when clipsToBounds. While the bounds are animated, rect is
//    the bounds shown at that moment, so a view that draws into rect is drawn at that size.
// Where we differ on purpose: draw runs on every render (no cached content, so setNeedsDisplay
// only marks the view and the screen); zero or non-finite sizes never produce NaN (a singular transform keeps the last
// good bounds size when setting the frame).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/Object.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/ContentMode.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/drawing/Layer.h"
#include "platform/ui/input/Touch.h"
#include "platform/ui/drawing/Transform.h"

namespace zu::ui {

class Canvas;
class GestureRecognizer;
class Window;

// The six autoresizing bits, with the phone's values.
enum Autoresizing : unsigned {
  kAutoresizingNone = 0,
  kAutoresizingFlexibleLeftMargin = 1 << 0,
  kAutoresizingFlexibleWidth = 1 << 1,
  kAutoresizingFlexibleRightMargin = 1 << 2,
  kAutoresizingFlexibleTopMargin = 1 << 3,
  kAutoresizingFlexibleHeight = 1 << 4,
  kAutoresizingFlexibleBottomMargin = 1 << 5,
};

// The class name of `object` without namespaces ("View", "NavigationController"…).
std::string classNameOf(const Object& object);

class View : public Object {
 public:
  explicit View(const Rect& frame = Rect());
  ~View() override;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  std::shared_ptr<View> shared();
  std::shared_ptr<const View> shared() const;

  // --- geometry
  Rect frame() const;
  void setFrame(const Rect& frame);
  const Rect& bounds() const { return bounds_; }
  void setBounds(const Rect& bounds);
  Point center() const { return center_; }
  void setCenter(Point center);
  const Transform& transform() const { return transform_; }
  void setTransform(const Transform& transform);

  // --- appearance
  float alpha() const { return alpha_; }
  void setAlpha(float alpha);
  bool isHidden() const { return hidden_; }
  virtual void setHidden(bool hidden);
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { opaque_ = opaque; }
  // Null: no background (the phone's nil background colour).
  const std::optional<Color>& backgroundColor() const { return background_; }
  void setBackgroundColor(std::optional<Color> color);
  bool clipsToBounds() const { return layer_.masksToBounds; }
  void setClipsToBounds(bool clips) {
    if (layer_.masksToBounds != clips) setNeedsDisplay();
    layer_.masksToBounds = clips;
  }
  ContentMode contentMode() const { return contentMode_; }
  void setContentMode(ContentMode mode) {
    if (contentMode_ != mode) setNeedsDisplay();
    contentMode_ = mode;
  }
  // The part of the content (unit coordinates) that stretches when the content is scaled to
  // fill; the rest keeps its size. The whole unit rectangle by default. Image views honour it.
  const Rect& contentStretch() const { return contentStretch_; }
  void setContentStretch(const Rect& stretch) {
    contentStretch_ = stretch;
    setNeedsDisplay();
  }
  Layer& layer() { return layer_; }
  const Layer& layer() const { return layer_; }

  int tag() const { return tag_; }
  void setTag(int tag) { tag_ = tag; }
  std::shared_ptr<View> viewWithTag(int tag);

  bool isUserInteractionEnabled() const { return userInteraction_; }
  void setUserInteractionEnabled(bool enabled) { userInteraction_ = enabled; }
  bool isMultipleTouchEnabled() const { return multipleTouch_; }
  void setMultipleTouchEnabled(bool enabled) { multipleTouch_ = enabled; }
  bool isExclusiveTouch() const { return exclusiveTouch_; }
  void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }

  unsigned autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask & 63u; }
  bool autoresizesSubviews() const { return autoresizesSubviews_; }
  void setAutoresizesSubviews(bool on) { autoresizesSubviews_ = on; }

  // --- tree
  std::shared_ptr<View> superview() const;
  // Back to front.
  const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
  // The window at the root of the tree, or null.
  Window* window() const;
  void addSubview(const std::shared_ptr<View>& view);
  // `index` past the end appends.
  void insertSubviewAt(const std::shared_ptr<View>& view, size_t index);
  // When `sibling` is not a subview, the view is added at the front (above) or back (below).
  void insertSubviewAbove(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling);
  void insertSubviewBelow(const std::shared_ptr<View>& view, const std::shared_ptr<View>& sibling);
  void removeFromSuperview();
  void bringSubviewToFront(const std::shared_ptr<View>& view);
  virtual void sendSubviewToBack(const std::shared_ptr<View>& view);
  void exchangeSubviews(size_t index1, size_t index2);
  // True for the view itself and its descendants.
  bool isDescendantOf(const View* view) const;

  // --- coordinates
  Point convertPointTo(Point p, const View* view) const;
  Point convertPointFrom(Point p, const View* view) const;
  Rect convertRectTo(const Rect& r, const View* view) const;
  Rect convertRectFrom(const Rect& r, const View* view) const;
  // One step: from this view's bounds space to its superview's (or the window's outside).
  Point pointToSuperview(Point p) const;
  Point pointFromSuperview(Point p) const;

  // --- hit testing
  virtual bool pointInside(Point p) const;
  virtual std::shared_ptr<View> hitTest(Point p);

  // --- layout
  void setNeedsLayout();
  bool needsLayout() const { return needsLayout_; }
  void layoutIfNeeded();
  virtual void layoutSubviews() {}
  // The size that best fits `size`; the view's own size by default.
  virtual Size sizeThatFits(Size size) const;
  // Resizes the bounds to sizeThatFits(current size), keeping the frame's origin.
  void sizeToFit();

  // --- drawing
  // Marks the view and the screen (DisplayChanges) for drawing.
  void setNeedsDisplay();
  void setNeedsDisplayInRect(const Rect&) { setNeedsDisplay(); }
  bool needsDisplay() const { return needsDisplay_; }
  // Called by the renderer with the rectangle to draw in: the bounds, or while the bounds are
  // animated the bounds shown at that moment. Clears the needs-display mark.
  void drawForRender(Canvas& canvas, const Rect& rect);
  // Draws the view's own content in its bounds space. Nothing by default.
  virtual void draw(Canvas& canvas, const Rect& rect);
  // Draws over the subviews, in the bounds space and inside the clip (a scroll view's
  // indicators). Nothing by default.
  virtual void drawOverSubviews(Canvas& canvas);

  // --- touches (the responder chain)
  // Each default passes the call on to nextResponder(), as the phone's responder does.
  virtual void touchesBegan(const TouchSet& touches, const Event& event);
  virtual void touchesMoved(const TouchSet& touches, const Event& event);
  virtual void touchesEnded(const TouchSet& touches, const Event& event);
  virtual void touchesCancelled(const TouchSet& touches, const Event& event);
  // The superview by default (a controller layer may put its controller in between).
  virtual View* nextResponder() const { return superview_; }
  // Whether the view keeps `touch`, as it stands now, from a scroll view around it that would
  // begin scrolling for it: a control tracking the touch as its own answers yes, and the scroll
  // view then leaves the touch to it. No by default (the scroll view takes the touch and cancels
  // it here). Asked of the touch's view and its superviews on each move before a scroll begins.
  virtual bool keepsTouchFromScrolling(const Touch& /*touch*/) const { return false; }
  // The edit menu's questions (MenuController): whether this view handles an action named
  // like the phone's selector ("copy:", "customCopy:"), and doing it. None by default; the
  // menu asks up the responder chain until a view answers yes.
  virtual bool canPerformAction(const std::string& /*action*/, Object* /*sender*/) { return false; }
  virtual void performAction(const std::string& /*action*/, Object* /*sender*/) {}
  // Lets go of a selection the view shows (a text entry's, a page's): the Escape key that hides
  // the edit menu ends the selection the menu was for too. Nothing by default.
  virtual void endSelection() {}
  // Copies a selection the view shows itself (a page's lit word) to the general pasteboard, as
  // its own copy item does: the desktop's Ctrl+C while no text entry is edited (CopyKey). False
  // when it shows none. None by default.
  virtual bool copySelection() { return false; }

  // --- gesture recognisers (owned by the view)
  void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
  void removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
  const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const {
    return recognizers_;
  }

  // --- hooks
  virtual void willMoveToSuperview(View* newSuperview);
  virtual void didMoveToSuperview() {}
  virtual void willMoveToWindow(Window* newWindow);
  virtual void didMoveToWindow() {}
  virtual void didAddSubview(View* subview);
  virtual void willRemoveSubview(View* subview);
  // Called by NibRegistry on every view an interface file made, after all its outlets are set.
  virtual void awakeFromNib() {}

  // --- descriptions (see below)
 protected:
  // Called after the bounds changed (also through setFrame), with the old bounds.
  virtual void boundsDidChange(const Rect& oldBounds) { (void)oldBounds; }
  // Called on the superview after a subview's frame changed — moved, resized or transformed,
  // by anyone — with its old frame. Not on the phone: a kit view that places subviews others
  // may resize (a bar's title view after sizeToFit, a cell's image view) follows them here.
  virtual void subviewFrameDidChange(View& subview, const Rect& oldFrame) {
    (void)subview;
    (void)oldFrame;
  }

 public:
  // --- descriptions
  // The class name without namespaces ("View", "Window", or a subclass's own).
  virtual std::string className() const;
  // Extra fields for dumpViewTree, such as " text=\"…\"" or " image=name". Empty by default.
  virtual std::string dumpDetails() const;
  std::string description() const override;

 private:
  void insertAt(const std::shared_ptr<View>& view, size_t index);
  void notifyWillMoveToWindow(Window* window);
  void notifyDidMoveToWindow();
  void boundsSizeChanged(Size oldSize);
  // Calls the superview's subviewFrameDidChange when the frame is no longer `oldFrame`.
  void tellSuperviewFrameChanged(const Rect& oldFrame);
  void autoresize(Size oldSuperSize, Size newSuperSize);
  Point toRootOutside(Point p) const;
  Point fromRootOutside(Point p) const;
  const View* root() const;

  Point center_;
  Rect bounds_;
  Transform transform_;
  float alpha_ = 1;
  bool hidden_ = false;
  bool opaque_ = true;
  bool userInteraction_ = true;
  bool multipleTouch_ = false;
  bool exclusiveTouch_ = false;
  bool autoresizesSubviews_ = true;
  bool needsLayout_ = false;
  bool needsDisplay_ = false;
  unsigned autoresizingMask_ = kAutoresizingNone;
  int tag_ = 0;
  ContentMode contentMode_ = ContentMode::ScaleToFill;
  Rect contentStretch_{0, 0, 1, 1};
  std::optional<Color> background_;
  Layer layer_{*this};
  View* superview_ = nullptr;  // non-owning; cleared by the superview's destructor
  std::vector<std::shared_ptr<View>> subviews_;
  std::vector<std::shared_ptr<GestureRecognizer>> recognizers_;
};

}  // namespace zu::ui
