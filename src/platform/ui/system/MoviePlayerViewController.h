// MoviePlayerViewController: the full-screen video player a screen presents modally on a video
// address. Made with std::make_shared; main thread only.
//
// This machine plays no video: the player is a recorder. isPlaybackAvailable() is a
// capability flag, off unless set (the executable leaves it off). When the player appears it
// records its address in playedURLs() when playback is available; otherwise its playback ends
// at once with an error. Its Done button (done(), also for the screen host and tests) ends the
// playback as the reader's and dismisses the player.
//
// Kept from the phone: the end of a playback posts "MPMoviePlayerPlaybackDidFinishNotification"
// (object: the player controller) with "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey" =
// 0 (ended), 1 (error) or 2 (the reader left), once per playback; the player's view is black
// and fills the screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/controllers/ViewController.h"

namespace zu::ui {

class Button;

enum class MovieFinishReason { PlaybackEnded = 0, PlaybackError = 1, UserExited = 2 };

class MoviePlayerViewController : public ViewController {
 public:
  inline static const char* const kPlaybackDidFinishNotification = "MPMoviePlayerPlaybackDidFinishNotification";
  inline static const char* const kFinishReasonKey = "MPMoviePlayerPlaybackDidFinishReasonUserInfoKey";

  explicit MoviePlayerViewController(std::string contentURL);
  ~MoviePlayerViewController() override;

  static bool isPlaybackAvailable();
  static void setPlaybackAvailable(bool available);
  // Addresses played, oldest first.
  static const std::vector<std::string>& playedURLs();

  const std::string& contentURL() const { return contentURL_; }
  bool isFinished() const { return finished_; }
  const std::shared_ptr<Button>& doneButton() const { return done_; }
  // The Done button.
  void done();

  void loadView() override;
  void viewDidAppear(bool animated) override;

  // Forgets the played addresses and turns the flag off (between tests).
  static void resetForTesting();

 private:
  void finishPlayback(MovieFinishReason reason);

  std::string contentURL_;
  std::shared_ptr<Button> done_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace zu::ui
