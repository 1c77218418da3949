#include "platform/ui/system/MoviePlayerViewController.h"

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

bool gPlaybackAvailable = false;

std::vector<std::string>& played() {
  static auto* urls = new std::vector<std::string>();
  return *urls;
}

}  // namespace

MoviePlayerViewController::MoviePlayerViewController(std::string contentURL)
    : contentURL_(std::move(contentURL)) {
  setWantsFullScreenLayout(true);
}

MoviePlayerViewController::~MoviePlayerViewController() {
  if (done_) done_->removeTarget(this);
}

bool MoviePlayerViewController::isPlaybackAvailable() { return gPlaybackAvailable; }

void MoviePlayerViewController::setPlaybackAvailable(bool available) { gPlaybackAvailable = available; }

const std::vector<std::string>& MoviePlayerViewController::playedURLs() { return played(); }

void MoviePlayerViewController::loadView() {
  auto screen = std::make_shared<View>(Screen::main().bounds());
  screen->setBackgroundColor(Color::blackColor());
  screen->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleHeight);
  done_ = Button::create(ButtonType::RoundedRect);
  done_->setFrame(Rect(10, 30, 60, 30));
  done_->setTitle("Done", kControlStateNormal);
  done_->addTarget(this, kControlEventTouchUpInside, [this](Control&) { done(); });
  screen->addSubview(done_);
  setView(std::move(screen));
}

void MoviePlayerViewController::viewDidAppear(bool) {
  if (started_) return;
  started_ = true;
  if (gPlaybackAvailable) {
    played().push_back(contentURL_);
  } else {
    finishPlayback(MovieFinishReason::PlaybackError);
  }
}

void MoviePlayerViewController::finishPlayback(MovieFinishReason reason) {
  if (finished_) return;
  finished_ = true;
  auto keep = shared();
  Dictionary info;
  info.set(kFinishReasonKey, Value(static_cast<int64_t>(reason)));
  NotificationCenter::defaultCenter().post(kPlaybackDidFinishNotification,
                                           Value(std::static_pointer_cast<Object>(keep)), info);
}

void MoviePlayerViewController::done() {
  auto keep = shared();
  finishPlayback(MovieFinishReason::UserExited);
  dismissModalViewController(true);
}

void MoviePlayerViewController::resetForTesting() {
  gPlaybackAvailable = false;
  played().clear();
}

}  // namespace zu::ui
