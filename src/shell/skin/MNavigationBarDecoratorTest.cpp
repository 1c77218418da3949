#include "shell/skin/MNavigationBarDecorator.h"

#include <gtest/gtest.h>

#include "platform/ui/images/Image.h"
#include "platform/ui/views/ImageView.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controllers/ViewController.h"
#include "shell/skin/SkinTestSupport.h"

namespace zu {
namespace {

using testing::SkinFixture;

class MNavigationBarDecoratorTest : public SkinFixture {
 protected:
  static std::shared_ptr<ui::Image> picture(int width) { return ui::Image::create(width, 44); }
  static int taggedViews(const ui::View& bar) {
    int n = 0;
    for (const auto& view : bar.subviews()) n += view->tag() == MNavigationBarDecorator::kBackgroundTag;
    return n;
  }
};

struct Counted : Singleton<Counted> {
  static inline int made = 0;
  static inline int destroyed = 0;

 private:
  friend class Singleton<Counted>;
  Counted() { ++made; }
  ~Counted() { ++destroyed; }
};

struct Other : Singleton<Other> {
 private:
  friend class Singleton<Other>;
  Other() = default;
};

TEST(SingletonTest, OneInstancePerClassUntilCleanup) {
  auto first = Counted::sharedInstance();
  EXPECT_EQ(first, Counted::sharedInstance());
  EXPECT_NE(static_cast<void*>(first.get()), static_cast<void*>(Other::sharedInstance().get()));
  EXPECT_EQ(1, Counted::made);
  first.reset();
  // Cleaning one class leaves the other; the next call makes a new instance.
  auto other = Other::sharedInstance();
  Counted::cleanup();
  EXPECT_EQ(1, Counted::destroyed);
  EXPECT_EQ(other, Other::sharedInstance());
  Counted::sharedInstance();
  EXPECT_EQ(2, Counted::made);
  Counted::cleanup();
  Other::cleanup();
  Counted::cleanup();  // none left: nothing happens
  EXPECT_EQ(2, Counted::destroyed);
}

TEST_F(MNavigationBarDecoratorTest, BelowFiveOneTaggedViewStaysLowestAcrossPushes) {
  SystemEnvironment::setSystemVersion(4.3f);
  auto decorator = MNavigationBarDecorator::sharedInstance();
  EXPECT_EQ(decorator, MNavigationBarDecorator::sharedInstance());
  EXPECT_TRUE(ui::NavigationBar::hasSubviewHook());

  auto root = std::make_shared<ui::ViewController>();
  auto nav = std::make_shared<ui::NavigationController>(root);
  nav->view();
  const auto& bar = nav->navigationBar();
  decorator->decorateNavigationController(*nav, picture(320));
  auto day = picture(321);
  decorator->decorateNavigationBar(*bar, day);
  EXPECT_EQ(1, taggedViews(*bar));
  auto background = std::dynamic_pointer_cast<ui::ImageView>(bar->subviews().front());
  ASSERT_TRUE(background);
  EXPECT_EQ(MNavigationBarDecorator::kBackgroundTag, background->tag());
  EXPECT_EQ(day, background->image());
  EXPECT_EQ(ui::kAutoresizingFlexibleWidth, background->autoresizingMask());
  EXPECT_FALSE(bar->clipsToBounds());
  EXPECT_FALSE(bar->backgroundImage());

  // Pushes place the bar's own views; others insert at the bottom or send views back.
  nav->pushViewController(std::make_shared<ui::ViewController>(), false);
  EXPECT_EQ(background, bar->subviews().front());
  auto stranger = std::make_shared<ui::View>(ui::Rect(0, 0, 5, 5));
  bar->insertSubviewAt(stranger, 0);
  EXPECT_EQ(background, bar->subviews().front());
  bar->sendSubviewToBack(stranger);
  EXPECT_EQ(background, bar->subviews().front());
  EXPECT_EQ(stranger, bar->subviews()[1]);
  nav->popViewController(false);
  EXPECT_EQ(background, bar->subviews().front());
  EXPECT_EQ(1, taggedViews(*bar));
}

TEST_F(MNavigationBarDecoratorTest, FromFiveTheBarsOwnBackgroundImage) {
  auto bar = std::make_shared<ui::NavigationBar>();
  auto image = picture(320);
  MNavigationBarDecorator::sharedInstance()->decorateNavigationBar(*bar, image);
  EXPECT_EQ(image, bar->backgroundImage());
  EXPECT_FALSE(bar->clipsToBounds());
  EXPECT_EQ(0, taggedViews(*bar));
}

}  // namespace
}  // namespace zu
