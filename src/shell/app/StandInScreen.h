// StandInScreen: what the login, guide, authorisation, browser, article list and news browser
// interface files
// build until their own screens are written: a plain screen that names the file and shows the
// parameters it was opened with, and records each opening in requests() so the shell's
// behaviour can be read. A tap closes it as its screen would: a guide leaves the window, a
// presented screen is dismissed, the authorisation screen performs its return action, a pushed screen (the article
// list, the news browser) goes back.
//
// registerMissing() adds a builder for each of the six files that has none yet, so a real
// screen registered earlier wins. Main thread only; a guide keeps itself until it is closed.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/Value.h"
#include "platform/ui/controllers/ViewController.h"

namespace zu {

class ScreenRequest;

class StandInScreen : public ui::ViewController {
 public:
  struct Opening {
    std::string nibName;
    Dictionary parameters;
  };

  explicit StandInScreen(std::shared_ptr<ScreenRequest> request);

  static void registerMissing();
  static std::vector<Opening>& requests();

  const std::shared_ptr<ScreenRequest>& request() const { return request_; }
  // What a tap does (see the class comment).
  void close();

  void loadView() override;

 private:
  std::shared_ptr<ScreenRequest> request_;
  std::shared_ptr<StandInScreen> keepAlive_;  // a guide in its window
};

}  // namespace zu
