// MoviePlayerViewController: the full-screen video player a screen presents modally on a video
// address. Made with std::make_shared; main thread only.
//
// It plays the address (MoviePlayback, over GStreamer) from the moment it has appeared, showing
// each picture as it comes (MoviePlayerView: the picture on black, Done, the progress line). A
// tap on the screen pauses or plays on; after the end the last picture stays with the play sign
// and a tap plays again from the start. Done (its button, or done() for the screen host and
// tests; the desktop's Escape presses it) stops the playback and dismisses the player. When the
// video cannot be played the player says so in its view — "无法播放此视频" and the reason (no
// network or an address that does not answer, a format or decoder the machine lacks, a web page
// where a video was expected, pictures larger than the player takes, an address that is not
// http or https, broken data) — and stays until Done.
//
// Kept from the phone: the end of a playback posts "MPMoviePlayerPlaybackDidFinishNotification"
// (object: the player controller) with "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey" =
// 0 (ended), 1 (error) or 2 (the reader left), once per playback; the player's view is black
// and fills the screen.
// Where we differ on purpose: the Done button reads "完成", in the reader's language like the
// rest of the client; the player does not dismiss itself at the end.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/controllers/ViewController.h"
#include "platform/ui/system/MoviePlayback.h"

namespace zu::ui {

class Button;
class MoviePlayerView;

enum class MovieFinishReason { PlaybackEnded = 0, PlaybackError = 1, UserExited = 2 };

class MoviePlayerViewController : public ViewController, private MoviePlayback::Listener {
 public:
  inline static const char* const kPlaybackDidFinishNotification = "MPMoviePlayerPlaybackDidFinishNotification";
  inline static const char* const kFinishReasonKey = "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey";
  inline static const char* const kCannotPlayTitle = "无法播放此视频";

  explicit MoviePlayerViewController(std::string contentURL);
  ~MoviePlayerViewController() override;

  const std::string& contentURL() const { return contentURL_; }
  // The playback's end was posted (ended, failed or left).
  bool isFinished() const { return finished_; }
  const std::shared_ptr<Button>& doneButton() const;
  const std::shared_ptr<MoviePlayerView>& playerView() const { return playerView_; }
  // The Done button.
  void done();
  // The tap on the screen: pause, play on, or play again after the end.
  void togglePlayback();
  bool isPlaying() const { return playback_ && playback_->isPlaying(); }
  // Pictures shown so far.
  int framesShown() const { return framesShown_; }
  // The reason shown when the video cannot be played, for a failure kind.
  static std::string reasonFor(MoviePlayback::Failure failure);

  void loadView() override;
  void viewDidAppear(bool animated) override;

 private:
  void finishPlayback(MovieFinishReason reason);
  // MoviePlayback::Listener
  void playbackFrame(const std::shared_ptr<Image>& frame, double seconds) override;
  void playbackDuration(double seconds) override;
  void playbackEnded() override;
  void playbackFailed(MoviePlayback::Failure failure, const std::string& detail) override;

  std::string contentURL_;
  std::shared_ptr<MoviePlayerView> playerView_;
  double duration_ = 0;
  int framesShown_ = 0;
  bool started_ = false;
  bool finished_ = false;
  // Last: stopped before anything else of the player goes.
  std::shared_ptr<MoviePlayback> playback_;
};

}  // namespace zu::ui
