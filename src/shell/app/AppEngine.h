// AppEngine: the steps of start-up, background and termination that reach the log file and the
// data engine, as the application delegate takes them. The default calls the real log and
// DataEngine (gDataEngine()); a test overrides it to read the order of the steps. Main thread.
#pragma once

#include <memory>

namespace zu {

class DataEngineObserver;

class AppEngine {
 public:
  virtual ~AppEngine() = default;
  virtual void logInit();
  virtual void logUninit();
  virtual void initGlobalInstance();
  virtual void uninitGlobalInstance();
  virtual void setObserver(std::shared_ptr<DataEngineObserver> observer);
  virtual bool isAnonymous();
  // Cancels every task (waiting on the task thread) and makes the guest current.
  virtual void logout();
  virtual void applicationDidEnterBackground();
};

}  // namespace zu
