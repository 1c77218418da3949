#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/controllers/NibRegistry.h"
#include "platform/ui/views/View.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {
namespace {

// A cell whose awakeFromNib reads the outlet wired by the file and the owner's outlet.
class Cell : public View {
 public:
  std::shared_ptr<View> badge;
  std::vector<std::string>* log = nullptr;
  void awakeFromNib() override {
    log->push_back(badge ? "cell awake, badge tag " + std::to_string(badge->tag()) : "cell awake, no badge");
  }
};

class Badge : public View {
 public:
  std::vector<std::string>* log = nullptr;
  void awakeFromNib() override { log->push_back("badge awake"); }
};

class ScreenController : public ViewController {
 public:
  explicit ScreenController(std::vector<std::string>* log) : ViewController("Screen"), log_(log) {}
  std::shared_ptr<Cell> cell;
  void viewDidLoad() override {
    log_->push_back(cell ? "loaded with cell" : "loaded without cell");
  }
  void awakeFromNib() override { log_->push_back("owner awake"); }

 private:
  std::vector<std::string>* log_;
};

TEST(NibRegistryTest, OutletsAreWiredBeforeAnyAwakeAndTheOwnerGetsItsView) {
  std::vector<std::string> log;
  NibRegistry::shared().add("Screen", [&](NibLoading& nib) {
    auto root = nib.makeTopLevel<View>(Rect(0, 0, 320, 460));
    auto cell = nib.make<Cell>();
    // The badge is made after the cell, so only wiring after all objects exist can give it.
    auto badge = nib.make<Badge>();
    badge->setTag(7);
    cell->log = &log;
    badge->log = &log;
    root->addSubview(cell);
    cell->addSubview(badge);
    auto spare = nib.makeTopLevel<View>(Rect(0, 0, 10, 10));
    spare->setTag(2);
    nib.connect([cell, badge] { cell->badge = badge; });
    nib.connectOwner<ScreenController>([cell](ScreenController& s) { s.cell = cell; });
    nib.connectOwnerView(root);
  });

  auto screen = std::make_shared<ScreenController>(&log);
  const auto& view = screen->view();
  ASSERT_TRUE(view);
  EXPECT_EQ(Rect(0, 0, 320, 460), view->frame());
  EXPECT_EQ(screen.get(), ViewController::controllerOf(view.get()));
  // The owner is not one of the file's objects: no awake for it.
  EXPECT_EQ((std::vector<std::string>{"cell awake, badge tag 7", "badge awake", "loaded with cell"}), log);

  // Loading again gives fresh objects, top-level ones in order; a plain controller as owner gets
  // the view outlet but not the typed one.
  log.clear();
  auto plain = std::make_shared<ViewController>();
  auto top = NibRegistry::shared().load("Screen", plain);
  ASSERT_EQ(2u, top.size());
  EXPECT_NE(view.get(), top[0].get());
  EXPECT_EQ(2, std::static_pointer_cast<View>(top[1])->tag());
  EXPECT_EQ(2u, log.size());
  EXPECT_EQ(top[0], plain->view());

  EXPECT_TRUE(NibRegistry::shared().load("Missing").empty());
  // A controller without a file of its class's name gets a plain view of the application frame.
  NibRegistry::shared().resetForTesting();
  auto bare = std::make_shared<ScreenController>(&log);
  EXPECT_EQ(Rect(0, 20, 320, 460), bare->view()->frame());
  EXPECT_EQ("loaded without cell", log.back());
}

}  // namespace
}  // namespace zu::ui
