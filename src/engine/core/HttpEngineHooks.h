// HttpEngineHooks: the task layer's door to the HTTP engine layer. HttpTask and HttpInnerTask
// reach HttpEngine and its manager only through it: borrowing an engine from the engine manager
// for the time a task runs, giving it back (the manager clears its observer and delegate),
// making an observer the engine's listener (and asking which one listens), and cancelling the
// engine's exchange.
//
// The HTTP engine layer implements it over gHttpEngineManager and installs it at engine start-up.
// While none is installed, an HttpTask that runs finishes at once with -8 ("状态错误") and
// an inner task cannot be attached to an engine.
//
// Thread-safe installation; the operations are called on the thread that runs the exchange.
#pragma once

#include <memory>

namespace zu {

class HttpEngine;
class HttpEngineObserver;

class HttpEngineHooks {
 public:
  virtual ~HttpEngineHooks() = default;

  // An engine from the engine manager, or null when none can be had.
  virtual std::shared_ptr<HttpEngine> getEngine() = 0;
  // Gives a borrowed engine back to the manager.
  virtual void releaseEngine(const std::shared_ptr<HttpEngine>& engine) = 0;
  // Makes `observer` (not retained) the engine's observer; null clears it.
  virtual void setObserver(HttpEngine& engine, HttpEngineObserver* observer) = 0;
  // The engine's observer, compared only (it may be one that is gone).
  virtual HttpEngineObserver* observer(const HttpEngine& engine) = 0;
  // Cancels the engine's exchange: a busy engine reports -6 to its observer at once, on the
  // calling thread; an idle engine ignores it.
  virtual void cancel(HttpEngine& engine) = 0;

  // The installed hooks (null before installation).
  static std::shared_ptr<HttpEngineHooks> installed();
  static void install(std::shared_ptr<HttpEngineHooks> hooks);
};

}  // namespace zu
