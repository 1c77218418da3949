// EAGLView: the page-turn view. It shows two pictures of a page — the current page and the
// page that replaces it — and animates the turn between them with OpenGL ES 1.1: a flat flip
// of half-page leaves (flip model 0, FlatFlipStepper / FlatFlipRenderer) or a book curl from a
// corner (flip model 1, BookCurlGeometry / BookCurlRenderer).
// The grid view creates one over itself, loads the pictures (from views or images), drives the
// leaf or the curled corner with the finger (flipL2RToRota, flipBookFromRBWithFinger and kin
// draw one frame at once), then starts a finishing or cancelling animation; the view reports
// the end through its EAGLViewProtocol delegate. The curl's animations carry a virtual finger
// from the last finger point to the corner's target along a straight or an eased curved path.
//
// Drawing: the view owns a GL context of its own (GLContext) and a framebuffer object with an
// RGBA8 colour and a 16-bit depth renderbuffer sized to its bounds (made in layoutSubviews).
// Every frame is read back into presentedImage(), which draw() composites into the view-tree
// render like any picture. Texture slots: 0 the bottom picture (the page to come), 1 the top
// picture (the current page), 2 the middle picture (shown by the trailing leaves of a turn that
// passes several pages; it exists only while such an animation runs). Textures are taken at the
// view's own size in points, uploaded so that t = 1 is the picture's top edge.
//
// Kept from the phone:
//  - create() returns null when no GL context can be made or made current.
//  - The frame source (a FrameSource when the system version is 3.1 or later, else a repeating
//    Timer at frame interval / 60 s) runs only between startAnimation and stopAnimation;
//    startAnimation while animating and stopAnimation while idle do nothing.
//  - stopAnimation deletes the middle texture, calls the end-of-turn delegate method chosen by
//    the orientation code and the cancel flag, sets pagePass back to 1, then hides the view
//    and stops the frame source. So the delegate is called while the view is still shown.
//  - setPagePass lowers values above 7 to 7 and keeps 0 and negative values as given.
//  - 2D texturing is enabled only by redraw(): the owner calls it before a turn's first frame.
// Where we differ on purpose (faults mended):
//  - The view keeps itself alive through stopAnimation, so an owner that releases it from an
//    end-of-turn callback does not pull it away under the running call.
//  - The destructor stops the frame source without reporting to the delegate: the owner may be
//    half destroyed by then.
//  - The middle slot gets a fresh texture name whenever it is empty (after a stop a picture
//    would otherwise be loaded into texture name 0, the default texture), and its old name is
//    deleted before a new one replaces it.
//  - With an empty height the projection is skipped (no division by zero) and made by the first
//    layout that has a size.
//  - setAnimationFrameInterval while animating restarts only the frame source; it does not
//    report an end of turn.
//  - The curl's shadow picture ("book_shadow_all") is read and uploaded once, into a texture of
//    its own that each curl frame draws as slot 2's picture; slot 2 itself stays empty. A vertical
//    path (dx = 0) gets a control point straight above the chord's midpoint.
//  - A middle picture read from a file (midTextruePath, reloadMidTextureWithPath) is decoded off
//    the main thread: the slot gets an empty texture at once and the picture fills it when it
//    comes in, if the middle texture is still there (a stop drops it). The bundle's paper is
//    ours and is read at once.
//
// Threads: main thread only, like every view. Ownership: shared (std::make_shared through
// create()); the delegate is weak.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <GLES/gl.h>

#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Geometry.h"
#include "platform/ui/images/ImageLoader.h"
#include "platform/ui/views/View.h"
#include "views/BookCurlGeometry.h"
#include "views/FlatFlipStepper.h"

namespace zu {

namespace gl {
class GLContext;
class GLDrawable;
}  // namespace gl

namespace ui {
class FrameSource;
class Image;
class Timer;
}  // namespace ui

class EAGLViewProtocol;

class EAGLView : public ui::View {
 public:
  static constexpr int kSlotBottom = 0;
  static constexpr int kSlotTop = 1;
  static constexpr int kSlotMiddle = 2;

  // The view with its GL state; null when no GL context can be made current.
  static std::shared_ptr<EAGLView> create(const ui::Rect& frame);
  ~EAGLView() override;

  // --- set-up
  int flipModel() const { return flipModel_; }
  // Stores the model and sets up the projection (flat for 0, book for any other value).
  void setFlipModel(int flipModel);
  const std::optional<ui::Color>& clearColorRGB() const { return clearColorRGB_; }
  // Stores the colour; its four components become the clear colour (null keeps them).
  void setClearColorRGB(std::optional<ui::Color> color);
  int pagePass() const { return flat_.pagePass; }
  void setPagePass(int pagePass);
  bool needShadow() const { return needShadow_; }
  void setNeedShadow(bool needShadow) { needShadow_ = needShadow; }
  bool isBeizerTans() const { return isBeizerTans_; }
  void setIsBeizerTans(bool isBeizerTans) { isBeizerTans_ = isBeizerTans; }
  // File of the middle picture; null: the bundle's "turnpage_v" / "turnpage_h".
  const std::optional<std::string>& midTextruePath() const { return midTextruePath_; }
  void setMidTextruePath(std::optional<std::string> path) { midTextruePath_ = std::move(path); }
  std::shared_ptr<EAGLViewProtocol> eaglDelegate() const { return eaglDelegate_.lock(); }
  void setEaglDelegate(const std::shared_ptr<EAGLViewProtocol>& delegate) {
    eaglDelegate_ = delegate;
  }
  gl::GLContext& context() const { return *context_; }

  // --- pictures (each makes the context current and loads into its slot)
  void reloadTopTextureWithView(ui::View* view);
  void reloadTopTextureWithImage(const ui::Image* image);
  void reloadBottomTextureWithView(ui::View* view);
  void reloadBottomTextureWithImage(const ui::Image* image);
  void reloadMidTextureWithView(ui::View* view);
  void reloadMidTextureWithImage(const ui::Image* image);
  // An empty middle texture now; the file's picture, decoded off the main thread, fills it when
  // it comes in (a bad file leaves it empty).
  void reloadMidTextureWithPath(const std::string& path);
  // True while a middle picture from a file is being decoded.
  bool isLoadingMiddlePicture() const { return midLoader_.isLoading(); }
  // Load into whatever texture is bound: the view's frame size (a null view: 0 × 0), the
  // view made opaque and drawn over what it is seen on (the nearest ancestors' background
  // colours, paper white under them), so a grid's margins come with its cells; or the image
  // at its pixel size.
  void loadTextureWithView(ui::View* view);
  void loadTextureWithImage(const ui::Image* image);
  // Exchanges the texture names of slots 0 and 1.
  void switchTopBottom();
  GLuint texture(int slot) const { return textures_[static_cast<size_t>(slot)]; }
  // Resets orientation, angle and step to 0 and draws the current page whole.
  void redraw();

  // --- frame loop
  bool isAnimating() const { return animating_; }
  int animationFrameInterval() const { return animationFrameInterval_; }
  // Values below 1 are ignored; while animating the frame source restarts with the new value.
  void setAnimationFrameInterval(int frameInterval);
  // The frame timer of the pre-3.1 path: the old one is invalidated, the new one kept.
  void setAnimationTimer(std::shared_ptr<ui::Timer> timer);
  bool displayLinkSupported() const { return displayLinkSupported_; }
  void startAnimation();
  void stopAnimation();
  // One frame: the flat flip's step for model 0; nothing for other models here.
  void drawView();
  // Logs the pending GL error in words ("No GL Error" too when `visibleCheck`).
  void checkGLError(bool visibleCheck);

  // --- the flat flip, finger-driven: set the angle and draw one frame
  void flipL2RToRota(float rota);
  void flipR2LToRota(float rota);
  void flipU2DToRota(float rota);
  void flipD2UToRota(float rota);
  // One frame from the current state.
  void flipL2R();
  void flipR2L();
  void flipU2D();
  void flipD2U();
  // --- the flat flip's animations: set the state and startAnimation (the angle is kept, so an
  // animation goes on from where the finger left the leaf)
  void finishFlipL2R();
  void finishFlipR2L();
  void finishFlipU2D();
  void finishFlipD2U();
  void cancelFlipL2R();
  void cancelFlipR2L();
  void cancelFlipU2D();
  void cancelFlipD2U();
  void cancelFlipL2RAfterTo(float toRota);
  void cancelFlipR2LAfterTo(float toRota);
  void cancelFlipU2DAfterTo(float toRota);
  void cancelFlipD2UAfterTo(float toRota);
  void finishFlipU2DPhysics();
  // The per-frame entry of the flat flip (also reached from layout and redraw).
  void drawFlatView();

  // --- the book curl, finger-driven: store the finger (view coordinates) and draw one frame
  // of the curl lifted at that corner; column style: two facing pages, spine at the centre
  void flipBookFromRBWithFinger(ui::Point finger, bool columnStyle);
  void flipBookFromRTWithFinger(ui::Point finger, bool columnStyle);
  void flipBookFromLBWithFinger(ui::Point finger, bool columnStyle);
  void flipBookFromLTWithFinger(ui::Point finger, bool columnStyle);
  // --- the curl's animations: from the last finger point to the corner's mirror image across
  // the spine (finish) or back to the corner (cancel)
  void finishFlipBookR2L_B(bool columnStyle);
  void cancelFlipBookR2L_B(bool columnStyle);
  void finishFlipBookR2L_T(bool columnStyle);
  void cancelFlipBookR2L_T(bool columnStyle);
  void finishFlipBookL2R_B(bool columnStyle);
  void cancelFlipBookL2R_B(bool columnStyle);
  void finishFlipBookL2R_T(bool columnStyle);
  void cancelFlipBookL2R_T(bool columnStyle);
  // The per-frame entry of the curl's animations.
  void drawBookView();
  ui::Point finger() const { return finger_; }
  double bookT() const { return t_; }
  // The path of the running (or last) curl animation.
  std::array<ui::Point, 3> bookPath() const { return {p0_, p1_, p2_}; }
  bool isColumnStyle() const { return isColumnStyle_; }

  float rota() const { return flat_.rota; }
  int flipOrientation() const { return flat_.flipOrientation; }
  const FlatFlipStepper::State& flatState() const { return flat_; }
  int backingWidth() const { return backingWidth_; }
  int backingHeight() const { return backingHeight_; }
  // The projection's near-plane extents.
  std::array<float, 4> projectionExtents() const { return {left_, right_, bottom_, top_}; }
  // The last frame read back, at the backing size; null before the first framebuffer. Each
  // frame overwrites its pixels.
  const std::shared_ptr<ui::Image>& presentedImage() const { return presented_; }

  // --- View
  void layoutSubviews() override;
  void draw(ui::Canvas& canvas, const ui::Rect& rect) override;
  std::string className() const override { return "EAGLView"; }

  // Only create() can make the key: the view needs its context from the start.
  class CreateKey {
    friend class EAGLView;
    CreateKey() = default;
  };
  EAGLView(CreateKey, const ui::Rect& frame, std::unique_ptr<gl::GLContext> context);

 private:
  void initialize();
  void setupView();
  void setupProjection(float angleDegrees);
  bool createFramebuffer();
  void destroyFramebuffer();
  void bindSlot(int slot);
  // Uploads `width` × `height` pixels drawn by `draw` into the bound texture, bottom row first.
  template <typename DrawFn>
  void uploadTexture(int width, int height, DrawFn&& draw);
  void startFrameSource();
  void stopFrameSource();
  void loadMiddlePicture();
  void deleteMiddleTexture();
  // Draws one flat frame of the orientation at the leaf angle `rota`, then presents it.
  void drawFlatFrame(int code, float rota);
  void beginFrame();
  void presentFrame();
  void startFlatAnimation(int code, bool cancel, bool cancelToRota, float rotaInc);
  void finishFlip(int code);
  void cancelFlip(int code);
  void cancelFlipAfterTo(int code, float toRota);
  // The nominal change of the angle per frame: larger when pages pass.
  float nominalStep() const;
  void reportEndOfTurn();
  void drawBookFrame(BookCurlGeometry::Corner corner, ui::Point finger, bool columnStyle);
  void startBookAnimation(int code, bool cancel, ui::Point target, bool columnStyle);
  // One curl frame at `finger` for the corner of the orientation code; false for other codes.
  bool drawBookCode(ui::Point finger);

  std::unique_ptr<gl::GLContext> context_;
  std::unique_ptr<gl::GLDrawable> drawable_;
  std::shared_ptr<ui::Image> presented_;

  GLint backingWidth_ = 0;
  GLint backingHeight_ = 0;
  float clearColor_r_ = 0;
  float clearColor_g_ = 0;
  float clearColor_b_ = 0;
  float clearColor_a_ = 0;
  std::optional<ui::Color> clearColorRGB_;
  GLuint viewRenderbuffer_ = 0;
  GLuint viewFramebuffer_ = 0;
  GLuint depthRenderbuffer_ = 0;

  std::shared_ptr<ui::Timer> animationTimer_;
  std::shared_ptr<ui::FrameSource> displayLink_;
  int animationFrameInterval_ = 1;
  bool animating_ = false;
  bool displayLinkSupported_ = false;

  FlatFlipStepper::State flat_;
  bool isBeizerTans_ = false;
  ui::Point finger_;
  ui::Point p0_, p1_, p2_;
  double t_ = 0;
  bool isColumnStyle_ = false;
  // The curl's shadow picture, uploaded once; drawn in place of slot 2, which stays empty.
  GLuint bookShadowTexture_ = 0;
  std::array<GLuint, 3> textures_{};
  std::optional<std::string> midTextruePath_;
  float left_ = 0;
  float right_ = 0;
  float bottom_ = 0;
  float top_ = 0;
  bool projectionPending_ = false;
  int flipModel_ = 0;
  bool needShadow_ = true;
  std::weak_ptr<EAGLViewProtocol> eaglDelegate_;
  ui::ImageLoader midLoader_;
};

}  // namespace zu
