#include <gtest/gtest.h>

#include <numbers>
#include <string>
#include <vector>

#include "platform/runtime/RunLoop.h"
#include "platform/ui/motion/Animations.h"
#include "platform/ui/system/Application.h"
#include "platform/ui/views/View.h"
#include "platform/ui/views/ViewTreeDump.h"
#include "platform/ui/views/Window.h"

namespace zu::ui {
namespace {

void expectPointNear(Point expected, Point actual) {
  EXPECT_NEAR(expected.x, actual.x, 1e-3) << toString(actual);
  EXPECT_NEAR(expected.y, actual.y, 1e-3) << toString(actual);
}

void expectRectNear(const Rect& expected, const Rect& actual) {
  EXPECT_NEAR(expected.origin.x, actual.origin.x, 1e-3) << actual.toString();
  EXPECT_NEAR(expected.origin.y, actual.origin.y, 1e-3) << actual.toString();
  EXPECT_NEAR(expected.size.width, actual.size.width, 1e-3) << actual.toString();
  EXPECT_NEAR(expected.size.height, actual.size.height, 1e-3) << actual.toString();
}

// Writes every hook call into a shared journal, tagged with the view's name.
class JournalView : public View {
 public:
  JournalView(std::string name, std::vector<std::string>* journal, const Rect& frame = Rect())
      : View(frame), name_(std::move(name)), journal_(journal) {}

  void willMoveToSuperview(View* s) override { note(s ? "willMoveToSuperview" : "willMoveToSuperview(null)"); }
  void didMoveToSuperview() override { note("didMoveToSuperview"); }
  void willMoveToWindow(Window* w) override { note(w ? "willMoveToWindow" : "willMoveToWindow(null)"); }
  void didMoveToWindow() override {
    note("didMoveToWindow");
    if (onDidMoveToWindow) onDidMoveToWindow();
  }
  void didAddSubview(View*) override { note("didAddSubview"); }
  void willRemoveSubview(View*) override { note("willRemoveSubview"); }
  void layoutSubviews() override {
    note("layoutSubviews");
    if (onLayout) onLayout();
  }

  std::function<void()> onDidMoveToWindow;
  std::function<void()> onLayout;

 private:
  void note(const std::string& what) { journal_->push_back(name_ + "." + what); }
  std::string name_;
  std::vector<std::string>* journal_;
};

class ViewTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Application::shared().resetForTesting();
    Animations::resetForTesting();
  }
};

TEST_F(ViewTest, FrameBoundsCenterAndTransformStayConsistent) {
  auto v = std::make_shared<View>(Rect(10, 20, 100, 50));
  EXPECT_EQ((Point{60, 45}), v->center());
  EXPECT_EQ(Rect(0, 0, 100, 50), v->bounds());

  // The bounds origin scrolls the content; the frame does not move.
  v->setBounds(Rect(30, 40, 100, 50));
  EXPECT_EQ(Rect(10, 20, 100, 50), v->frame());

  // A scale about the center grows the frame, not the bounds.
  v->setTransform(Transform::makeScale(2, 2));
  EXPECT_EQ(Rect(-40, -5, 200, 100), v->frame());
  EXPECT_EQ((Size{100, 50}), v->bounds().size);
  // Setting the frame under the scale sets center and bounds so the frame comes out as given.
  v->setFrame(Rect(0, 0, 100, 60));
  EXPECT_EQ((Point{50, 30}), v->center());
  EXPECT_EQ((Size{50, 30}), v->bounds().size);
  EXPECT_EQ(Rect(0, 0, 100, 60), v->frame());

  // A quarter turn swaps the frame's sides; setting the frame solves for the bounds.
  v->setTransform(Transform::makeRotation(std::numbers::pi_v<float> / 2));
  expectRectNear(Rect(35, 5, 30, 50), v->frame());
  v->setFrame(Rect(0, 0, 40, 80));
  expectRectNear(Rect(0, 0, 80, 40), Rect(Point{0, 0}, v->bounds().size));
  expectRectNear(Rect(0, 0, 40, 80), v->frame());

  // Squashed to nothing: the frame is empty but never NaN, and a later frame keeps the size.
  v->setTransform(Transform::makeScale(0, 0));
  EXPECT_EQ(Rect(20, 40, 0, 0), v->frame());
  v->setFrame(Rect(0, 0, 10, 10));
  expectRectNear(Rect(0, 0, 80, 40), Rect(Point{0, 0}, v->bounds().size));
  EXPECT_EQ((Point{5, 5}), v->center());
}

TEST_F(ViewTest, ConversionsWalkScrollOffsetsAndTransforms) {
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  auto scroller = std::make_shared<View>(Rect(0, 100, 320, 200));
  auto content = std::make_shared<View>(Rect(0, 0, 640, 200));
  auto inner = std::make_shared<View>(Rect(300, 50, 100, 100));
  window->addSubview(scroller);
  scroller->addSubview(content);
  content->addSubview(inner);

  // Scrolled by 250: content x 300 appears at window x 50.
  scroller->setBounds(Rect(250, 0, 320, 200));
  // The inner view scrolls its own content by 10 down.
  inner->setBounds(Rect(0, 10, 100, 100));
  expectPointNear(Point{50, 140}, inner->convertPointTo(Point{0, 0}, nullptr));
  expectPointNear(Point{50, 140}, inner->convertPointTo(Point{0, 0}, window.get()));
  expectPointNear(Point{0, 0}, inner->convertPointFrom(Point{50, 140}, nullptr));
  // Between siblings of different depth, both ways.
  expectPointNear(Point{300, 40}, inner->convertPointTo(Point{0, 0}, content.get()));
  expectPointNear(Point{5, 15}, inner->convertPointFrom(Point{305, 55}, content.get()));

  // A transform on the middle view: scale the content by 2 about its center (320, 100).
  content->setTransform(Transform::makeScale(2, 2));
  const Point w = inner->convertPointTo(Point{0, 10}, nullptr);  // content (300, 50)
  // content space (300,50) -> offset from center (-20,-50) -> scaled (-40,-100) -> scroller
  // space (280, 0) -> window (280 - 250, 100).
  expectPointNear(Point{30, 100}, w);
  expectPointNear(Point{0, 10}, inner->convertPointFrom(w, nullptr));

  // A rectangle under rotation converts to the bounding box of its corners.
  content->setTransform(Transform::makeRotation(std::numbers::pi_v<float> / 2));
  const Rect r = inner->convertRectTo(Rect(0, 10, 10, 20), content->superview().get());
  const Rect viaPoints = Rect(inner->convertPointTo(Point{0, 10}, scroller.get()), Size{0, 0})
                             .unionWith(Rect(inner->convertPointTo(Point{10, 30}, scroller.get()),
                                             Size{0, 0}));
  expectRectNear(viaPoints, r);
  EXPECT_NEAR(20, r.size.width, 1e-3);
  EXPECT_NEAR(10, r.size.height, 1e-3);

  // Views of two windows meet in screen space.
  auto other = std::make_shared<Window>(Rect(0, 240, 320, 240));
  auto target = std::make_shared<View>(Rect(10, 10, 50, 50));
  other->addSubview(target);
  auto plain = std::make_shared<View>(Rect(0, 0, 320, 480));
  window->addSubview(plain);
  expectPointNear(Point{10, 250}, target->convertPointTo(Point{0, 0}, plain.get()));
}

TEST_F(ViewTest, HitTestingFindsTheFrontmostVisibleInteractiveView) {
  auto root = std::make_shared<View>(Rect(0, 0, 100, 100));
  auto back = std::make_shared<View>(Rect(0, 0, 100, 100));
  auto front = std::make_shared<View>(Rect(50, 0, 50, 50));
  auto child = std::make_shared<View>(Rect(0, 0, 10, 10));
  root->addSubview(back);
  root->addSubview(front);
  front->addSubview(child);

  EXPECT_EQ(child, root->hitTest(Point{55, 5}));
  EXPECT_EQ(front, root->hitTest(Point{75, 25}));
  EXPECT_EQ(back, root->hitTest(Point{25, 25}));
  // Max edges are outside: x = 100 misses everything.
  EXPECT_EQ(nullptr, root->hitTest(Point{100, 5}));

  front->setHidden(true);
  EXPECT_EQ(back, root->hitTest(Point{55, 5}));
  front->setHidden(false);
  front->setAlpha(0.009f);
  EXPECT_EQ(back, root->hitTest(Point{55, 5}));
  front->setAlpha(0.01f);
  EXPECT_EQ(child, root->hitTest(Point{55, 5}));
  front->setUserInteractionEnabled(false);
  EXPECT_EQ(back, root->hitTest(Point{55, 5}));
  front->setUserInteractionEnabled(true);

  // A subview hanging outside its superview is not reached through it.
  child->setFrame(Rect(-20, 60, 10, 10));
  EXPECT_EQ(back, root->hitTest(Point{35, 65}));
  // Scrolled content is hit where it appears: front shows its y 20…70, so the child at y 0…10
  // is out of sight and a child at y 20…30 shows at the top.
  child->setFrame(Rect(0, 0, 10, 10));
  front->setBounds(Rect(0, 20, 50, 50));
  EXPECT_EQ(front, root->hitTest(Point{55, 5}));
  child->setFrame(Rect(0, 20, 10, 10));
  EXPECT_EQ(child, root->hitTest(Point{55, 5}));
}

TEST_F(ViewTest, AutoresizingSharesTheChangeAmongFlexibleParts) {
  auto parent = std::make_shared<View>(Rect(0, 0, 100, 100));
  auto width = std::make_shared<View>(Rect(10, 10, 80, 20));
  width->setAutoresizingMask(kAutoresizingFlexibleWidth);
  auto pinnedRight = std::make_shared<View>(Rect(70, 40, 20, 20));
  pinnedRight->setAutoresizingMask(kAutoresizingFlexibleLeftMargin | kAutoresizingFlexibleTopMargin);
  auto centred = std::make_shared<View>(Rect(25, 70, 50, 10));
  centred->setAutoresizingMask(kAutoresizingFlexibleLeftMargin | kAutoresizingFlexibleRightMargin);
  auto fixed = std::make_shared<View>(Rect(5, 5, 5, 5));
  for (auto& v : {width, pinnedRight, centred, fixed}) parent->addSubview(v);
  auto grandchild = std::make_shared<View>(Rect(0, 0, 80, 20));
  grandchild->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  width->addSubview(grandchild);

  parent->setFrame(Rect(0, 0, 200, 150));
  EXPECT_EQ(Rect(10, 10, 180, 20), width->frame());
  EXPECT_EQ(Rect(170, 90, 20, 20), pinnedRight->frame());
  EXPECT_EQ(Rect(75, 70, 50, 10), centred->frame());
  EXPECT_EQ(Rect(5, 5, 5, 5), fixed->frame());
  // The resize goes down the tree.
  EXPECT_EQ(Rect(0, 0, 180, 20), grandchild->frame());

  // Margin and width flexible: they share in proportion to their sizes (20 : 160 here).
  auto both = std::make_shared<View>(Rect(20, 0, 160, 10));
  both->setAutoresizingMask(kAutoresizingFlexibleLeftMargin | kAutoresizingFlexibleWidth);
  parent->addSubview(both);
  parent->setFrame(Rect(0, 0, 380, 150));
  EXPECT_EQ(Rect(40, 0, 320, 10), both->frame());

  // Switched off on the superview: nothing moves.
  parent->setAutoresizesSubviews(false);
  parent->setFrame(Rect(0, 0, 300, 300));
  EXPECT_EQ(Rect(40, 0, 320, 10), both->frame());
  // Moving without resizing resizes nobody.
  parent->setAutoresizesSubviews(true);
  parent->setFrame(Rect(50, 50, 300, 300));
  EXPECT_EQ(Rect(40, 0, 320, 10), both->frame());
}

TEST_F(ViewTest, TreeChangesCallTheHooksInOrder) {
  std::vector<std::string> journal;
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  auto a = std::make_shared<JournalView>("a", &journal);
  auto b = std::make_shared<JournalView>("b", &journal);
  auto c = std::make_shared<JournalView>("c", &journal);
  b->addSubview(c);
  journal.clear();
  a->addSubview(b);
  EXPECT_EQ((std::vector<std::string>{"b.willMoveToSuperview", "b.didMoveToSuperview", "a.didAddSubview"}),
            journal);

  journal.clear();
  window->addSubview(a);
  EXPECT_EQ((std::vector<std::string>{"a.willMoveToSuperview", "a.willMoveToWindow", "b.willMoveToWindow",
                                      "c.willMoveToWindow", "a.didMoveToWindow", "b.didMoveToWindow",
                                      "c.didMoveToWindow", "a.didMoveToSuperview"}),
            journal);
  EXPECT_EQ(window.get(), c->window());

  journal.clear();
  b->removeFromSuperview();
  EXPECT_EQ((std::vector<std::string>{"b.willMoveToSuperview(null)", "b.willMoveToWindow(null)",
                                      "c.willMoveToWindow(null)", "a.willRemoveSubview",
                                      "b.didMoveToWindow", "c.didMoveToWindow", "b.didMoveToSuperview"}),
            journal);
  EXPECT_EQ(nullptr, c->window());

  // Ordering operations.
  auto x = std::make_shared<View>();
  auto y = std::make_shared<View>();
  auto z = std::make_shared<View>();
  a->addSubview(x);
  a->addSubview(y);
  a->insertSubviewAt(z, 0);
  EXPECT_EQ((std::vector<std::shared_ptr<View>>{z, x, y}), a->subviews());
  a->bringSubviewToFront(z);
  a->sendSubviewToBack(y);
  EXPECT_EQ((std::vector<std::shared_ptr<View>>{y, x, z}), a->subviews());
  a->insertSubviewAbove(b, y);
  a->insertSubviewBelow(c, y);  // moves c out of b
  EXPECT_EQ((std::vector<std::shared_ptr<View>>{c, y, b, x, z}), a->subviews());
  EXPECT_TRUE(b->subviews().empty());
  a->addSubview(c);  // already there: to the front
  EXPECT_EQ(c, a->subviews().back());
  // A view cannot become its own ancestor's subview.
  c->addSubview(a);
  EXPECT_EQ(nullptr, a->superview() == c ? a : nullptr);
}

TEST_F(ViewTest, ViewIsKeptAliveWhileItsOwnCallbackRuns) {
  std::vector<std::string> journal;
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  // The window is the only owner: removal lets go of the view before its hooks have run.
  auto v = std::make_shared<JournalView>("v", &journal);
  window->addSubview(v);
  JournalView* raw = v.get();
  std::weak_ptr<JournalView> weak = v;
  v.reset();
  raw->removeFromSuperview();
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ("v.didMoveToSuperview", journal.back());

  // A view that removes itself from inside its own didMoveToWindow while being added.
  auto w = std::make_shared<JournalView>("w", &journal);
  std::weak_ptr<JournalView> weakW = w;
  w->onDidMoveToWindow = [weakW] {
    if (auto self = weakW.lock(); self && self->window()) self->removeFromSuperview();
  };
  window->addSubview(w);
  w.reset();
  EXPECT_TRUE(weakW.expired());
  EXPECT_TRUE(window->subviews().empty());
}

TEST_F(ViewTest, LayoutRunsOncePerMarkParentsFirstAndByTheDisplayPass) {
  std::vector<std::string> journal;
  auto parent = std::make_shared<JournalView>("p", &journal, Rect(0, 0, 100, 100));
  auto child = std::make_shared<JournalView>("c", &journal, Rect(0, 0, 10, 10));
  parent->addSubview(child);
  parent->layoutIfNeeded();
  EXPECT_EQ((std::vector<std::string>{"c.willMoveToSuperview", "c.didMoveToSuperview", "p.didAddSubview",
                                      "p.layoutSubviews", "c.layoutSubviews"}),
            journal);
  journal.clear();
  parent->layoutIfNeeded();
  EXPECT_TRUE(journal.empty());

  // A resize marks the view; a move does not.
  child->setFrame(Rect(5, 5, 10, 10));
  parent->layoutIfNeeded();
  EXPECT_TRUE(journal.empty());
  child->setFrame(Rect(5, 5, 20, 10));
  parent->layoutIfNeeded();
  EXPECT_EQ((std::vector<std::string>{"c.layoutSubviews"}), journal);

  // A layout that marks a child lays the child out in the same pass.
  journal.clear();
  parent->onLayout = [&] { child->setFrame(Rect(0, 0, 30, 30)); };
  parent->setNeedsLayout();
  parent->layoutIfNeeded();
  EXPECT_EQ((std::vector<std::string>{"p.layoutSubviews", "c.layoutSubviews"}), journal);
  parent->onLayout = nullptr;

  // In a shown window, the display pass on the main loop lays out without being asked.
  auto window = std::make_shared<Window>(Rect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  window->addSubview(parent);
  journal.clear();
  child->setNeedsLayout();
  ASSERT_TRUE(RunLoop::main()->runUntil([&] { return !child->needsLayout(); }, 5));
  EXPECT_EQ((std::vector<std::string>{"p.layoutSubviews", "c.layoutSubviews"}), journal);
}

TEST_F(ViewTest, ViewWithTagLooksAtItselfFirstThenDepthFirst) {
  auto root = std::make_shared<View>();
  auto a = std::make_shared<View>();
  auto aChild = std::make_shared<View>();
  auto b = std::make_shared<View>();
  root->addSubview(a);
  a->addSubview(aChild);
  root->addSubview(b);
  aChild->setTag(7);
  b->setTag(7);
  EXPECT_EQ(aChild, root->viewWithTag(7));
  root->setTag(7);
  EXPECT_EQ(root, root->viewWithTag(7));
  EXPECT_EQ(nullptr, root->viewWithTag(8));
}

TEST_F(ViewTest, DumpShowsClassFrameAndNonDefaultState) {
  std::vector<std::string> journal;
  auto root = std::make_shared<View>(Rect(0, 0, 320, 480));
  auto child = std::make_shared<JournalView>("x", &journal, Rect(10, 20, 30, 40.5f));
  child->setHidden(true);
  child->setAlpha(0.5f);
  child->setTag(3);
  root->addSubview(child);
  EXPECT_EQ(
      "View frame={0, 0, 320, 480}\n"
      "  JournalView frame={10, 20, 30, 40.5} hidden alpha=0.5 tag=3\n",
      dumpViewTree(*root));
}

TEST_F(ViewTest, ApplicationListsWindowsByLevelAndTracksTheKeyWindow) {
  auto alert = std::make_shared<Window>(Rect(0, 0, 320, 480));
  alert->setWindowLevel(kWindowLevelAlert);
  auto main = std::make_shared<Window>(Rect(0, 0, 320, 480));
  auto bar = std::make_shared<Window>(Rect(0, 0, 320, 20));
  bar->setWindowLevel(kWindowLevelStatusBar);
  alert->setHidden(false);
  main->makeKeyAndVisible();
  bar->setHidden(false);
  EXPECT_EQ((std::vector<std::shared_ptr<Window>>{main, bar, alert}), Application::shared().windows());
  EXPECT_TRUE(main->isKeyWindow());
  alert->makeKeyAndVisible();
  EXPECT_FALSE(main->isKeyWindow());
  bar->setHidden(true);
  EXPECT_EQ((std::vector<std::shared_ptr<Window>>{main, alert}), Application::shared().visibleWindows());
  bar.reset();
  EXPECT_EQ(2u, Application::shared().windows().size());
}

}  // namespace
}  // namespace zu::ui
