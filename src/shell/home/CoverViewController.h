// CoverViewController: the full-screen launch cover over the home grid — the service's cover
// pictures in turn, each with its title, text and source. The home grid owns its window (at the
// status bar's level + 1) and makes this controller from the interface file
// "CoverViewController" (registerNib() registers it).
//
// A repeating 1 s timer ticks the slideshow: a cover stays `duration` ticks (its own duration,
// 5 when that is 0 or less), then the next one comes in with two "setCoverPic" transitions of
// kind 108 over 1.0 s; every third tick new covers from the source restart the list. The cover
// slides off to the left in 0.3 s on "COLUMN_READY_NOTIFICATION" or a left swipe (open), and
// back in with close. While it is away nothing is shown, though the list still advances.
//
// The first cover shown (the view's first, or the first after the cover slid back with no
// picture) comes at once, without the transitions: there is nothing to change from, and a change
// from the empty cover showed the picture dimmed over the black ground for a second, which is all
// a reader sees of it when the columns are ready soon after the launch.
// Where we differ on purpose: a cover whose picture cannot be read is skipped at once, but at
// most once round the list per tick (the cover download may empty the folder under the list);
// a title, text or source that is blank shows as " ". The pictures are files the cover download
// wrote. The picture of a cover shown at once is read at once, on the main thread, so the cover
// is drawn with it from its first frame: the view's first cover (read as the view loads, before
// its window is first shown; a returning reader's cached columns are ready at once, and a cover
// read later slid away as a black panel), the first picture to come to a cover that had none, and
// the cover slid back in. Later covers, which come in over a picture with a transition, are
// decoded off the main thread (ImageLoader): they come in, or are skipped, when read, and a slow
// picture never stalls the screen meanwhile. A cover with no picture to show is never slid: the
// columns being ready hide it at once, and close() leaves it away, its window hidden (the home
// grid shows the window before it asks the cover back). Main thread only; the outlets
// are owned by the view tree, the covers by the controller.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/images/ImageLoader.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

namespace ui {
class Image;
class ImageView;
class Label;
class Timer;
}  // namespace ui

class CoverSource;
class ProgramCover;

class CoverViewController : public ui::ViewController {
 public:
  static constexpr const char* kNibName = "CoverViewController";
  static constexpr const char* kColumnReadyNotification = "COLUMN_READY_NOTIFICATION";
  static constexpr const char* kAnimationName = "setCoverPic";
  static constexpr int kTransition = 108;
  static constexpr int32_t kDefaultDuration = 5;
  static constexpr uint32_t kUpdateTicks = 3;
  static void registerNib();

  // `source` null: the data engine's covers.
  explicit CoverViewController(std::shared_ptr<CoverSource> source = nullptr);
  ~CoverViewController() override;

  void open();
  void close();
  void onColumnsReady();
  void onTimerExpired();
  void switchCover();
  void updateCover();
  void resetCover(bool clear);

  const std::vector<std::shared_ptr<ProgramCover>>& covers() const { return covers_; }
  int32_t duration() const { return duration_; }
  bool isVisible() const { return visible_; }
  uint32_t coverIndex() const { return coverIndex_; }
  const std::shared_ptr<ui::Timer>& timer() const { return timer_; }
  // True while a cover's picture is being read.
  bool isLoadingPicture() const { return pictureLoader_.isLoading(); }
  // The cover shows a picture.
  bool showsPicture() const;

  ui::ImageView* coverImageView() const { return coverImageView_.lock().get(); }
  ui::ImageView* slideImageView() const { return slideImageView_.lock().get(); }
  ui::Label* titleLabel() const { return titleLabel_.lock().get(); }
  ui::Label* contentLabel() const { return contentLabel_.lock().get(); }
  ui::Label* originLabel() const { return originLabel_.lock().get(); }
  ui::View* labelsBackgroundView() const { return labelsBackgroundView_.lock().get(); }

  void viewDidLoad() override;
  void viewDidUnload() override;

 private:
  void show(const ProgramCover& cover, bool blanks);
  void fitContentLabel(const ProgramCover& cover);
  void takeDuration(const ProgramCover& cover);
  void skipUnreadable();
  void showSwitched(const ProgramCover& cover, std::shared_ptr<ui::Image> picture);
  // Away without a slide, to where the slide leaves the cover: not visible, emptied, its window
  // hidden off the screen at the left.
  void leaveAtOnce();

  std::shared_ptr<CoverSource> source_;
  int32_t duration_ = kDefaultDuration;
  bool visible_ = true;
  std::vector<std::shared_ptr<ProgramCover>> covers_;
  uint32_t coverIndex_ = 0;
  uint32_t switchIndex_ = 0;
  uint32_t updateIndex_ = 0;
  // Unreadable pictures that may still be skipped at once within this tick.
  size_t skipsLeft_ = 0;
  std::shared_ptr<ui::Timer> timer_;

  std::weak_ptr<ui::ImageView> coverImageView_;
  std::weak_ptr<ui::ImageView> slideImageView_;
  std::weak_ptr<ui::Label> titleLabel_;
  std::weak_ptr<ui::Label> contentLabel_;
  std::weak_ptr<ui::Label> originLabel_;
  std::weak_ptr<ui::View> labelsBackgroundView_;
  ui::ImageLoader pictureLoader_;  // declared last: cancelled first
};

}  // namespace zu
