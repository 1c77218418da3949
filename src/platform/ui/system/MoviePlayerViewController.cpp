#include "platform/ui/system/MoviePlayerViewController.h"

#include <cstdio>

#include "platform/runtime/NotificationCenter.h"
#include "platform/ui/controls/Button.h"
#include "platform/ui/drawing/Screen.h"
#include "platform/ui/system/MoviePlayerView.h"

namespace zu::ui {

MoviePlayerViewController::MoviePlayerViewController(std::string contentURL)
    : contentURL_(std::move(contentURL)) {
  setWantsFullScreenLayout(true);
}

MoviePlayerViewController::~MoviePlayerViewController() {
  if (playerView_) {
    playerView_->doneButton()->removeTarget(this);
    playerView_->setTapHandler(nullptr);
  }
  playback_.reset();  // stops the pipeline: nothing reaches this player any more
}

const std::shared_ptr<Button>& MoviePlayerViewController::doneButton() const {
  static const std::shared_ptr<Button> none;
  return playerView_ ? playerView_->doneButton() : none;
}

std::string MoviePlayerViewController::reasonFor(MoviePlayback::Failure failure) {
  switch (failure) {
    case MoviePlayback::Failure::kBadAddress: return "视频地址无效";
    case MoviePlayback::Failure::kUnreachable: return "无法连接到视频的地址，请检查网络后再试";
    case MoviePlayback::Failure::kUnknownFormat: return "这不是可以播放的视频";
    case MoviePlayback::Failure::kWebPage: return "这个地址打开的是网页，不是视频";
    case MoviePlayback::Failure::kNoDecoder: return "缺少播放这种视频的解码器";
    case MoviePlayback::Failure::kTooLarge: return "视频画面过大，无法播放";
    case MoviePlayback::Failure::kBroken: break;
  }
  return "视频数据有误，无法播放";
}

void MoviePlayerViewController::loadView() {
  playerView_ = std::make_shared<MoviePlayerView>(Screen::main().bounds());
  playerView_->doneButton()->addTarget(this, kControlEventTouchUpInside, [this](Control&) { done(); });
  playerView_->setTapHandler([this] { togglePlayback(); });
  setView(playerView_);
}

void MoviePlayerViewController::viewDidAppear(bool) {
  if (started_) return;
  started_ = true;
  playback_ = MoviePlayback::create(contentURL_, this);
  playback_->play();
}

void MoviePlayerViewController::togglePlayback() {
  if (!playback_ || playback_->hasFailed()) return;
  if (playback_->isPlaying()) {
    playback_->pause();
  } else {
    playback_->play();
  }
  if (playerView_) playerView_->setPaused(!playback_->isPlaying());
}

void MoviePlayerViewController::playbackFrame(const std::shared_ptr<Image>& frame, double seconds) {
  ++framesShown_;
  if (!playerView_) return;
  playerView_->setPicture(frame);
  if (seconds >= 0) playerView_->setProgress(seconds, duration_);
}

void MoviePlayerViewController::playbackDuration(double seconds) {
  duration_ = seconds;
  if (playerView_) playerView_->setProgress(playerView_->seconds(), duration_);
}

void MoviePlayerViewController::playbackEnded() {
  if (playerView_) {
    if (duration_ > 0) playerView_->setProgress(duration_, duration_);
    playerView_->setPaused(true);
  }
  finishPlayback(MovieFinishReason::PlaybackEnded);
}

void MoviePlayerViewController::playbackFailed(MoviePlayback::Failure failure, const std::string& detail) {
  // The address came from a page: it is not printed. GStreamer's words are, without control
  // characters.
  std::string shown = detail;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  }
  std::fprintf(stderr, "zureader: a video cannot be played: %s\n", shown.c_str());
  if (playerView_) playerView_->setMessage(MoviePlayerView::Message{kCannotPlayTitle, reasonFor(failure)});
  finishPlayback(MovieFinishReason::PlaybackError);
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
  playback_.reset();
  dismissModalViewController(true);
}

}  // namespace zu::ui
