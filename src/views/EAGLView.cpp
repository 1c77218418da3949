#include "views/EAGLView.h"

#include <GLES/glext.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "platform/gl/GLContext.h"
#include "platform/gl/GLDisplay.h"
#include "platform/gl/GLDrawable.h"
#include "platform/runtime/Bundle.h"
#include "platform/ui/drawing/Canvas.h"
#include "platform/ui/system/Device.h"
#include "platform/ui/motion/FrameSource.h"
#include "platform/ui/images/Image.h"
#include "platform/ui/drawing/Renderer.h"
#include "platform/ui/system/Timer.h"
#include "views/BookCurlRenderer.h"
#include "views/EAGLViewProtocol.h"
#include "views/FlatFlipRenderer.h"

namespace zu {

namespace {

constexpr float kNear = 0.1f;
constexpr float kFar = 1000.0f;
constexpr float kFlatAngle = 15.0f;
constexpr float kBookAngle = 0.5f;

// A view's size in whole pixels, as the phone converts a float to an unsigned number; what has
// no such conversion (negative, NaN, beyond the largest image) counts as 0.
int wholePixels(float points) {
  if (!(points >= 1) || points > static_cast<float>(ui::Image::kMaxSide)) return 0;
  return static_cast<int>(points);
}

// True when `version` compares, numerically, not less than 3.1.
bool atLeast31(const std::string& version) {
  return std::strtod(version.c_str(), nullptr) >= 3.1;
}

}  // namespace

std::shared_ptr<EAGLView> EAGLView::create(const ui::Rect& frame) {
  std::unique_ptr<gl::GLContext> context = gl::GLContext::create();
  if (!context || !context->makeCurrent()) return nullptr;
  auto view = std::make_shared<EAGLView>(CreateKey(), frame, std::move(context));
  view->initialize();
  return view;
}

EAGLView::EAGLView(CreateKey, const ui::Rect& frame, std::unique_ptr<gl::GLContext> context)
    : ui::View(frame), context_(std::move(context)) {
  drawable_ = std::make_unique<gl::GLDrawable>(context_->display());
}

void EAGLView::initialize() {
  // The drawing surface is not opaque; it keeps no content between frames (each frame is
  // cleared) and holds RGBA8 colours.
  setOpaque(false);
  animationFrameInterval_ = 1;
  animating_ = false;
  displayLinkSupported_ = atLeast31(ui::Device::current().systemVersion());
  setFlipModel(0);
  glGenTextures(3, textures_.data());
  midTextruePath_.reset();
  flat_.flipOrientation = 0;
  flat_.rota = 0;
  setPagePass(1);
  setClearColorRGB(ui::Color(1, 1, 1, 1));
  needShadow_ = true;
  // The framebuffer is made by the first layout, as soon as the view is laid out.
  setNeedsLayout();
}

EAGLView::~EAGLView() {
  // Not stopAnimation(): reporting the end of a turn now could reach an owner that is itself
  // being destroyed.
  stopFrameSource();
  animating_ = false;
  const bool current = context_->makeCurrent();
  if (current) {
    deleteMiddleTexture();
    glDeleteTextures(3, textures_.data());
    if (bookShadowTexture_ != 0) glDeleteTextures(1, &bookShadowTexture_);
    destroyFramebuffer();
  }
  midTextruePath_.reset();
  if (context_->isCurrent()) gl::GLContext::clearCurrent();
}

// --- set-up

void EAGLView::setFlipModel(int flipModel) {
  flipModel_ = flipModel;
  setupView();
}

void EAGLView::setupView() {
  setupProjection(flipModel_ == 0 ? kFlatAngle : kBookAngle);
}

void EAGLView::setupProjection(float angleDegrees) {
  const ui::Size size = bounds().size;
  // No aspect without a height: the first layout with a size makes the projection.
  if (!(size.height > 0) || !(size.width > 0)) {
    projectionPending_ = true;
    return;
  }
  projectionPending_ = false;
  context_->makeCurrent();
  // ES 1.1's blend equation is always ADD.
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnable(GL_BLEND);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const float aspect = size.width / size.height;
  right_ = std::tan(angleDegrees * static_cast<float>(M_PI) / 180.0f) * kNear;
  left_ = -right_;
  bottom_ = left_ / aspect;
  top_ = right_ / aspect;
  glFrustumf(left_, right_, bottom_, top_, kNear, kFar);
  glViewport(0, 0, static_cast<GLsizei>(size.width), static_cast<GLsizei>(size.height));
  glClearColor(0, 0, 0, 1);
}

void EAGLView::setClearColorRGB(std::optional<ui::Color> color) {
  clearColorRGB_ = std::move(color);
  if (!clearColorRGB_) return;  // no components to read: the previous ones stay
  clearColor_r_ = clearColorRGB_->red;
  clearColor_g_ = clearColorRGB_->green;
  clearColor_b_ = clearColorRGB_->blue;
  clearColor_a_ = clearColorRGB_->alpha;
}

void EAGLView::setPagePass(int pagePass) {
  flat_.pagePass = pagePass > FlatFlipStepper::kMaxPagePass ? FlatFlipStepper::kMaxPagePass
                                                            : pagePass;
}

void EAGLView::layoutSubviews() {
  context_->makeCurrent();
  if (projectionPending_) setupView();
  destroyFramebuffer();
  createFramebuffer();
  // A curl is drawn again where it stands; the flat flip's step knows no curl codes.
  if (flipModel_ == 1 && drawBookCode(finger_)) return;
  drawFlatView();
}

void EAGLView::draw(ui::Canvas& canvas, const ui::Rect& /*rect*/) {
  if (!presented_) return;
  canvas.drawImage(*presented_, ui::Rect(0, 0, static_cast<float>(backingWidth_),
                                         static_cast<float>(backingHeight_)));
}

// --- framebuffer

bool EAGLView::createFramebuffer() {
  const auto& fbo = context_->display().fbo();
  fbo.genFramebuffers(1, &viewFramebuffer_);
  fbo.genRenderbuffers(1, &viewRenderbuffer_);
  fbo.bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer_);
  fbo.bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer_);
  drawable_->setSize(wholePixels(bounds().size.width), wholePixels(bounds().size.height));
  drawable_->renderbufferStorage();
  fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_COLOR_ATTACHMENT0_OES, GL_RENDERBUFFER_OES,
                              viewRenderbuffer_);
  fbo.getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_WIDTH_OES, &backingWidth_);
  fbo.getRenderbufferParameteriv(GL_RENDERBUFFER_OES, GL_RENDERBUFFER_HEIGHT_OES,
                                 &backingHeight_);

  fbo.genRenderbuffers(1, &depthRenderbuffer_);
  fbo.bindRenderbuffer(GL_RENDERBUFFER_OES, depthRenderbuffer_);
  fbo.renderbufferStorage(GL_RENDERBUFFER_OES, GL_DEPTH_COMPONENT16_OES, backingWidth_,
                          backingHeight_);
  fbo.framebufferRenderbuffer(GL_FRAMEBUFFER_OES, GL_DEPTH_ATTACHMENT_OES, GL_RENDERBUFFER_OES,
                              depthRenderbuffer_);

  presented_ = backingWidth_ > 0 && backingHeight_ > 0
                   ? ui::Image::create(backingWidth_, backingHeight_)
                   : nullptr;
  const GLenum status = fbo.checkFramebufferStatus(GL_FRAMEBUFFER_OES);
  if (status != GL_FRAMEBUFFER_COMPLETE_OES) {
    std::fprintf(stderr, "failed to make complete framebuffer object %x\n", status);
    return false;
  }
  return true;
}

void EAGLView::destroyFramebuffer() {
  const auto& fbo = context_->display().fbo();
  fbo.deleteFramebuffers(1, &viewFramebuffer_);
  viewFramebuffer_ = 0;
  fbo.deleteRenderbuffers(1, &viewRenderbuffer_);
  viewRenderbuffer_ = 0;
  if (depthRenderbuffer_ != 0) {
    fbo.deleteRenderbuffers(1, &depthRenderbuffer_);
    depthRenderbuffer_ = 0;
  }
}

// --- pictures

void EAGLView::bindSlot(int slot) {
  context_->makeCurrent();
  GLuint& name = textures_[static_cast<size_t>(slot)];
  if (name == 0) glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
}

template <typename DrawFn>
void EAGLView::uploadTexture(int width, int height, DrawFn&& draw) {
  std::shared_ptr<ui::Image> buffer;
  if (width > 0 && height > 0) buffer = ui::Image::create(width, height);
  if (buffer) {
    ui::Canvas canvas(*buffer);
    // Drawn upside down, so that the picture's bottom row comes first in memory: GL takes the
    // first row as t = 0, and the top edge lands on t = 1.
    canvas.translate(0, static_cast<float>(height));
    canvas.scale(1, -1);
    draw(canvas);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  // The image's 0xAARRGGBB words are B, G, R, A bytes in memory.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_BGRA_EXT, buffer ? width : 0, buffer ? height : 0, 0,
               GL_BGRA_EXT, GL_UNSIGNED_BYTE, buffer ? buffer->pixels() : nullptr);
}

void EAGLView::loadTextureWithView(ui::View* view) {
  int width = 0;
  int height = 0;
  if (view != nullptr) {
    width = wholePixels(view->frame().size.width);
    height = wholePixels(view->frame().size.height);
    view->setOpaque(true);
  }
  // The picture is the page as it is seen: an opaque view shows what lies behind its clear
  // parts (a grid's margins are its window's background), paper white where nothing does.
  std::vector<ui::Color> backdrop;
  for (auto up = view != nullptr ? view->superview() : nullptr; up; up = up->superview()) {
    const std::optional<ui::Color>& color = up->backgroundColor();
    if (!color || color->alpha <= 0) continue;
    backdrop.push_back(*color);
    if (color->alpha >= 1) break;
  }
  if (backdrop.empty() || backdrop.back().alpha < 1) backdrop.emplace_back(1, 1, 1, 1);
  uploadTexture(width, height, [view, &backdrop, width, height](ui::Canvas& canvas) {
    for (auto it = backdrop.rbegin(); it != backdrop.rend(); ++it) {
      canvas.setFillColor(*it);
      canvas.fillRect(
          ui::Rect(0, 0, static_cast<float>(width), static_cast<float>(height)));
    }
    ui::drawTree(canvas, *view);
  });
}

void EAGLView::loadTextureWithImage(const ui::Image* image) {
  const int width = image != nullptr ? image->pixelWidth() : 0;
  const int height = image != nullptr ? image->pixelHeight() : 0;
  uploadTexture(width, height, [image, width, height](ui::Canvas& canvas) {
    canvas.drawImage(*image, ui::Rect(0, 0, static_cast<float>(width),
                                      static_cast<float>(height)));
  });
}

void EAGLView::reloadTopTextureWithView(ui::View* view) {
  bindSlot(kSlotTop);
  loadTextureWithView(view);
}

void EAGLView::reloadTopTextureWithImage(const ui::Image* image) {
  bindSlot(kSlotTop);
  loadTextureWithImage(image);
}

void EAGLView::reloadBottomTextureWithView(ui::View* view) {
  bindSlot(kSlotBottom);
  loadTextureWithView(view);
}

void EAGLView::reloadBottomTextureWithImage(const ui::Image* image) {
  bindSlot(kSlotBottom);
  loadTextureWithImage(image);
}

void EAGLView::reloadMidTextureWithView(ui::View* view) {
  bindSlot(kSlotMiddle);
  loadTextureWithView(view);
}

void EAGLView::reloadMidTextureWithImage(const ui::Image* image) {
  bindSlot(kSlotMiddle);
  loadTextureWithImage(image);
}

void EAGLView::reloadMidTextureWithPath(const std::string& path) {
  reloadMidTextureWithImage(nullptr);
  if (path.empty()) {
    midLoader_.cancel();
    return;
  }
  // The view owns the loader: the completion runs only while the view lives.
  midLoader_.loadFile(path, [this](std::shared_ptr<ui::Image> image) {
    if (!image || textures_[kSlotMiddle] == 0) return;
    reloadMidTextureWithImage(image.get());
  });
}

void EAGLView::switchTopBottom() { std::swap(textures_[kSlotBottom], textures_[kSlotTop]); }

void EAGLView::redraw() {
  context_->makeCurrent();
  glBindTexture(GL_TEXTURE_2D, textures_[kSlotTop]);
  glEnable(GL_TEXTURE_2D);
  flat_.flipOrientation = 0;
  flat_.rota = 0;
  flat_.rotaInc = 0;
  drawFlatView();
}

// --- frame loop

void EAGLView::setAnimationFrameInterval(int frameInterval) {
  if (frameInterval < 1) return;
  animationFrameInterval_ = frameInterval;
  if (animating_) {
    stopFrameSource();
    startFrameSource();
  }
}

void EAGLView::setAnimationTimer(std::shared_ptr<ui::Timer> timer) {
  if (animationTimer_) animationTimer_->invalidate();
  animationTimer_ = std::move(timer);
}

void EAGLView::startFrameSource() {
  // The frame source holds the view weakly; each frame keeps it alive while it draws.
  std::weak_ptr<View> weak = shared();
  auto frame = [weak] {
    if (auto self = weak.lock()) static_cast<EAGLView&>(*self).drawView();
  };
  if (displayLinkSupported_) {
    displayLink_ = ui::FrameSource::create([frame](ui::FrameSource&) { frame(); });
    displayLink_->setFrameInterval(animationFrameInterval_);
    displayLink_->start();
  } else {
    setAnimationTimer(ui::Timer::scheduled(animationFrameInterval_ * (1.0 / 60.0), true,
                                           [frame](ui::Timer&) { frame(); }));
  }
}

void EAGLView::stopFrameSource() {
  if (displayLink_) {
    displayLink_->invalidate();
    displayLink_.reset();
  }
  setAnimationTimer(nullptr);
}

void EAGLView::loadMiddlePicture() {
  if (midTextruePath_) {
    reloadMidTextureWithPath(*midTextruePath_);
    return;
  }
  // The bundle's paper is ours: read at once.
  const int code = flat_.flipOrientation;
  const bool vertical = code == 2 || code == 3 || code == 4;
  auto found = Bundle::mainBundle()->pathForResource(vertical ? "turnpage_v" : "turnpage_h", "png");
  std::shared_ptr<ui::Image> paper = found ? ui::Image::fromFile(*found) : nullptr;
  reloadMidTextureWithImage(paper.get());
}

void EAGLView::deleteMiddleTexture() {
  midLoader_.cancel();  // a picture still on its way belonged to the texture going now
  if (textures_[kSlotMiddle] == 0) return;
  glDeleteTextures(1, &textures_[kSlotMiddle]);
  textures_[kSlotMiddle] = 0;
}

void EAGLView::startAnimation() {
  if (animating_) return;
  startFrameSource();
  animating_ = true;
  if (flat_.pagePass >= 2) {
    context_->makeCurrent();
    deleteMiddleTexture();  // a fresh name for this animation's middle picture
    loadMiddlePicture();
  }
}

void EAGLView::stopAnimation() {
  if (!animating_) return;
  // The delegate may release the view from its callback: keep it until this call is done.
  std::shared_ptr<View> keepAlive = shared();
  animating_ = false;
  context_->makeCurrent();
  deleteMiddleTexture();
  reportEndOfTurn();
  setHidden(true);
  stopFrameSource();
}

void EAGLView::reportEndOfTurn() {
  using Callback = void (EAGLViewProtocol::*)(EAGLView&);
  Callback callback = nullptr;
  const bool cancel = flat_.cancelFlip;
  switch (flat_.flipOrientation) {
    case 0:
    case 5:
    case 6:
      callback = cancel ? &EAGLViewProtocol::EAGLViewDidFlipL2RCancel
                        : &EAGLViewProtocol::EAGLViewDidFlipL2RFinish;
      break;
    case 1:
    case 7:
    case 8:
      callback = cancel ? &EAGLViewProtocol::EAGLViewDidFlipR2LCancel
                        : &EAGLViewProtocol::EAGLViewDidFlipR2LFinish;
      break;
    case 2:
      callback = cancel ? &EAGLViewProtocol::EAGLViewDidFlipU2DCancel
                        : &EAGLViewProtocol::EAGLViewDidFlipU2DFinish;
      break;
    case 4:  // the bounce never cancels
      callback = &EAGLViewProtocol::EAGLViewDidFlipU2DFinish;
      break;
    case 3:
      callback = cancel ? &EAGLViewProtocol::EAGLViewDidFlipD2UCancel
                        : &EAGLViewProtocol::EAGLViewDidFlipD2UFinish;
      break;
    default:
      return;
  }
  if (std::shared_ptr<EAGLViewProtocol> delegate = eaglDelegate_.lock()) {
    ((*delegate).*callback)(*this);
  }
  setPagePass(1);
}

void EAGLView::drawView() {
  if (flipModel_ == 0) {
    drawFlatView();
  } else if (flipModel_ == 1) {
    drawBookView();
  }
}

void EAGLView::checkGLError(bool visibleCheck) {
  const GLenum error = glGetError();
  const char* text = nullptr;
  switch (error) {
    case GL_NO_ERROR:
      if (visibleCheck) text = "No GL Error";
      break;
    case GL_INVALID_ENUM: text = "GL Error: Enum argument is out of range"; break;
    case GL_INVALID_VALUE: text = "GL Error: Numeric value is out of range"; break;
    case GL_INVALID_OPERATION: text = "GL Error: Operation illegal in current state"; break;
    case GL_STACK_OVERFLOW: text = "GL Error: Command would cause a stack overflow"; break;
    case GL_STACK_UNDERFLOW: text = "GL Error: Command would cause a stack underflow"; break;
    case GL_OUT_OF_MEMORY: text = "GL Error: Not enough memory to execute command"; break;
    default: text = "Unknown GL Error"; break;
  }
  if (text != nullptr) std::fprintf(stderr, "%s\n", text);
}

// --- the flat flip

void EAGLView::beginFrame() {
  context_->makeCurrent();
  context_->display().fbo().bindFramebuffer(GL_FRAMEBUFFER_OES, viewFramebuffer_);
  glViewport(0, 0, backingWidth_, backingHeight_);
  glClearColor(clearColor_r_, clearColor_g_, clearColor_b_, clearColor_a_);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
}

void EAGLView::presentFrame() {
  context_->display().fbo().bindRenderbuffer(GL_RENDERBUFFER_OES, viewRenderbuffer_);
  if (!presented_) return;
  drawable_->present(backingWidth_, backingHeight_,
                     reinterpret_cast<uint8_t*>(presented_->mutablePixels()),
                     static_cast<size_t>(backingWidth_) * 4, gl::GLDrawable::PixelOrder::kBGRA);
  setNeedsDisplay();
}

void EAGLView::drawFlatFrame(int code, float rota) {
  beginFrame();
  FlatFlipRenderer::Frame frame;
  frame.code = code;
  frame.rota = rota;
  frame.pagePass = flat_.pagePass;
  frame.needShadow = needShadow_;
  frame.rotaMax = flat_.rotaMax;
  frame.textures = textures_;
  frame.left = left_;
  frame.right = right_;
  frame.bottom = bottom_;
  frame.top = top_;
  FlatFlipRenderer::drawLayers(frame);
  presentFrame();
}

void EAGLView::flipL2R() { drawFlatFrame(FlatFlipStepper::kL2R, flat_.rota); }
void EAGLView::flipR2L() { drawFlatFrame(FlatFlipStepper::kR2L, flat_.rota); }
void EAGLView::flipD2U() { drawFlatFrame(FlatFlipStepper::kD2U, flat_.rota); }

// Draws the top-to-bottom leaf; the bounce (code 4) lets it overshoot past 180.
void EAGLView::flipU2D() {
  const int code = flat_.flipOrientation == FlatFlipStepper::kU2DBounce
                       ? FlatFlipStepper::kU2DBounce
                       : FlatFlipStepper::kU2D;
  drawFlatFrame(code, flat_.rota);
}

void EAGLView::flipL2RToRota(float rota) {
  flat_.rota = rota;
  flipL2R();
}

void EAGLView::flipR2LToRota(float rota) {
  flat_.rota = rota;
  flipR2L();
}

void EAGLView::flipU2DToRota(float rota) {
  flat_.rota = rota;
  flipU2D();
}

void EAGLView::flipD2UToRota(float rota) {
  flat_.rota = rota;
  flipD2U();
}

void EAGLView::startFlatAnimation(int code, bool cancel, bool cancelToRota, float rotaInc) {
  flat_.cancelFlip = cancel;
  flat_.cancelFlipToRota = cancelToRota;
  flat_.flipOrientation = code;
  flat_.rotaInc = rotaInc;
  startAnimation();
}

float EAGLView::nominalStep() const { return flat_.pagePass > 1 ? 20.0f : 12.0f; }

void EAGLView::finishFlip(int code) { startFlatAnimation(code, false, false, nominalStep()); }
void EAGLView::cancelFlip(int code) { startFlatAnimation(code, true, false, -nominalStep()); }

void EAGLView::cancelFlipAfterTo(int code, float toRota) {
  flat_.toRota = toRota;
  flat_.physicSimulationRound = 0;
  startFlatAnimation(code, true, true, nominalStep());
}

void EAGLView::finishFlipL2R() { finishFlip(FlatFlipStepper::kL2R); }
void EAGLView::finishFlipR2L() { finishFlip(FlatFlipStepper::kR2L); }
void EAGLView::finishFlipU2D() { finishFlip(FlatFlipStepper::kU2D); }
void EAGLView::finishFlipD2U() { finishFlip(FlatFlipStepper::kD2U); }
void EAGLView::cancelFlipL2R() { cancelFlip(FlatFlipStepper::kL2R); }
void EAGLView::cancelFlipR2L() { cancelFlip(FlatFlipStepper::kR2L); }
void EAGLView::cancelFlipU2D() { cancelFlip(FlatFlipStepper::kU2D); }
void EAGLView::cancelFlipD2U() { cancelFlip(FlatFlipStepper::kD2U); }
void EAGLView::cancelFlipL2RAfterTo(float to) { cancelFlipAfterTo(FlatFlipStepper::kL2R, to); }
void EAGLView::cancelFlipR2LAfterTo(float to) { cancelFlipAfterTo(FlatFlipStepper::kR2L, to); }
void EAGLView::cancelFlipU2DAfterTo(float to) { cancelFlipAfterTo(FlatFlipStepper::kU2D, to); }
void EAGLView::cancelFlipD2UAfterTo(float to) { cancelFlipAfterTo(FlatFlipStepper::kD2U, to); }

void EAGLView::finishFlipU2DPhysics() {
  flat_.physicSimulationRound = 0;
  startFlatAnimation(FlatFlipStepper::kU2DBounce, false, false, 15);
}

void EAGLView::drawFlatView() {
  const FlatFlipStepper::Step step = FlatFlipStepper::step(flat_, animating_);
  const float rota = flat_.rota;
  for (int i = 0; i < step.frameCount; ++i) {
    flat_.rota = step.frameRota[static_cast<size_t>(i)];
    drawFlatFrame(flat_.flipOrientation, flat_.rota);
  }
  flat_.rota = rota;
  if (step.stop) stopAnimation();
}

// --- the book curl

namespace {

constexpr int kCurlL2RBottom = 5;
constexpr int kCurlL2RTop = 6;
constexpr int kCurlR2LBottom = 7;
constexpr int kCurlR2LTop = 8;

}  // namespace

void EAGLView::drawBookFrame(BookCurlGeometry::Corner corner, ui::Point finger, bool columnStyle) {
  finger_ = finger;
  context_->makeCurrent();
  if (bookShadowTexture_ == 0) {
    std::shared_ptr<ui::Image> image;
    if (auto path = Bundle::mainBundle()->pathForResource("book_shadow_all", "png")) {
      image = ui::Image::fromFile(path->string());
    }
    glGenTextures(1, &bookShadowTexture_);
    glBindTexture(GL_TEXTURE_2D, bookShadowTexture_);
    loadTextureWithImage(image.get());
  }
  beginFrame();
  const BookCurlGeometry::Extents extents{2 * left_, 2 * right_, 2 * bottom_, 2 * top_};
  const BookCurlGeometry::Mesh mesh =
      BookCurlGeometry::curl(corner, finger, bounds().size, extents, columnStyle);
  BookCurlRenderer::Frame frame;
  frame.mesh = &mesh;
  frame.columnStyle = columnStyle;
  frame.textures = textures_;
  frame.textures[kSlotMiddle] = bookShadowTexture_;
  frame.extents = extents;
  BookCurlRenderer::drawLayers(frame);
  presentFrame();
  deleteMiddleTexture();
}

void EAGLView::flipBookFromRBWithFinger(ui::Point finger, bool columnStyle) {
  drawBookFrame(BookCurlGeometry::Corner::kRightBottom, finger, columnStyle);
}

void EAGLView::flipBookFromRTWithFinger(ui::Point finger, bool columnStyle) {
  drawBookFrame(BookCurlGeometry::Corner::kRightTop, finger, columnStyle);
}

void EAGLView::flipBookFromLBWithFinger(ui::Point finger, bool columnStyle) {
  drawBookFrame(BookCurlGeometry::Corner::kLeftBottom, finger, columnStyle);
}

void EAGLView::flipBookFromLTWithFinger(ui::Point finger, bool columnStyle) {
  drawBookFrame(BookCurlGeometry::Corner::kLeftTop, finger, columnStyle);
}

void EAGLView::startBookAnimation(int code, bool cancel, ui::Point target, bool columnStyle) {
  t_ = 0;
  flat_.flipOrientation = code;
  flat_.cancelFlip = cancel;
  isColumnStyle_ = columnStyle;
  p0_ = finger_;
  p2_ = target;
  p1_ = BookCurlGeometry::pathControlPoint(p0_, p2_);
  setPagePass(1);
  startAnimation();
}

void EAGLView::finishFlipBookR2L_B(bool columnStyle) {
  const ui::Size size = bounds().size;
  startBookAnimation(kCurlR2LBottom, false, {columnStyle ? 0 : -size.width, size.height},
                     columnStyle);
}

void EAGLView::cancelFlipBookR2L_B(bool columnStyle) {
  const ui::Size size = bounds().size;
  startBookAnimation(kCurlR2LBottom, true, {size.width, size.height}, columnStyle);
}

void EAGLView::finishFlipBookR2L_T(bool columnStyle) {
  const ui::Size size = bounds().size;
  startBookAnimation(kCurlR2LTop, false, {columnStyle ? 0 : -size.width, 0}, columnStyle);
}

void EAGLView::cancelFlipBookR2L_T(bool columnStyle) {
  startBookAnimation(kCurlR2LTop, true, {bounds().size.width, 0}, columnStyle);
}

void EAGLView::finishFlipBookL2R_B(bool columnStyle) {
  const ui::Size size = bounds().size;
  startBookAnimation(kCurlL2RBottom, false,
                     {columnStyle ? size.width : 2 * size.width, size.height}, columnStyle);
}

void EAGLView::cancelFlipBookL2R_B(bool columnStyle) {
  startBookAnimation(kCurlL2RBottom, true, {0, bounds().size.height}, columnStyle);
}

void EAGLView::finishFlipBookL2R_T(bool columnStyle) {
  const ui::Size size = bounds().size;
  startBookAnimation(kCurlL2RTop, false, {columnStyle ? size.width : 2 * size.width, 0},
                     columnStyle);
}

void EAGLView::cancelFlipBookL2R_T(bool columnStyle) {
  startBookAnimation(kCurlL2RTop, true, {0, 0}, columnStyle);
}

bool EAGLView::drawBookCode(ui::Point finger) {
  switch (flat_.flipOrientation) {
    case kCurlL2RBottom: flipBookFromLBWithFinger(finger, isColumnStyle_); return true;
    case kCurlL2RTop: flipBookFromLTWithFinger(finger, isColumnStyle_); return true;
    case kCurlR2LBottom: flipBookFromRBWithFinger(finger, isColumnStyle_); return true;
    case kCurlR2LTop: flipBookFromRTWithFinger(finger, isColumnStyle_); return true;
    default: return false;
  }
}

void EAGLView::drawBookView() {
  if (t_ > 1) t_ = 1;
  const ui::Point p = BookCurlGeometry::pathPoint(p0_, p1_, p2_, t_, isBeizerTans_);
  drawBookCode(p);
  if (t_ >= 1) {
    if (animating_) stopAnimation();
    return;
  }
  t_ += BookCurlGeometry::tStep(p0_, p2_, bounds().size.width, isBeizerTans_);
}

}  // namespace zu
