// LoginEngine: what the login screen asks of the data engine — the login task, running it, and
// making the logged-in reader the engine's user. The default goes to gDataEngine(); without an
// engine the factory gives null and nothing runs. A test gives its own, scripting what the task
// reports (results arrive as task notifications on the main thread, through the application
// Observer).
//
// Main thread only. Shared by the screens that hold it.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace zu {

class Task;

class LoginEngine {
 public:
  using Text = std::optional<std::string>;

  virtual ~LoginEngine() = default;

  // The engine every login screen uses unless it was given another.
  static std::shared_ptr<LoginEngine> defaultEngine();

  virtual std::shared_ptr<Task> createLoginTask(const Text& username, const Text& password,
                                                bool forceServerAuth);
  virtual void asyncRunTask(const std::shared_ptr<Task>& task);
  // Makes the reader the engine's user; false when the engine did not take the name (none
  // given, or not usable as a user's folder), so the screen reports no login that did not
  // happen.
  virtual bool setUsername(const std::string& username, const std::string& password);
};

}  // namespace zu
