// EngineLoan: an HTTP engine lent to an inner task (HttpInnerTask) for the time it runs. Its
// holder (a task, or an inner task that lends on what it was lent) keeps the engine; the
// borrower listens to it meanwhile.
//
// Taking the loan makes the borrower the engine's observer and remembers the observer it
// replaced (the lender). Handing it back makes the lender the observer again, so the engine is
// never left pointing at a borrower that is gone:
//  - the borrower hands it back when it finishes, before its owner hears of the finish (the
//    owner may start its next request at once), and the loan hands it back when destroyed,
//    should the borrower never have finished;
//  - only while the borrower still is the observer: a lender that took the engine back itself,
//    or a manager that cleared the observer of an engine given back, keeps what it set;
//  - a lender that is an Object no longer alive is not restored: the engine is left without
//    observer. (A lender that is no Object is trusted to outlive its loans, as every engine
//    observer must outlive its exchanges.)
// Loans of one engine nest: each borrower lends on only while it runs, so the lenders are
// restored in the reverse order of their loans.
//
// The engine is reached through the installed HttpEngineHooks; with none installed no loan is
// taken (isTaken() false) and the borrower cannot hear the engine.
//
// Thread: the engine's (the "task" thread). Not copyable; owned by its borrower.
#pragma once

#include <memory>

namespace zu {

class HttpEngine;
class HttpEngineHooks;
class HttpEngineObserver;
class Object;

class EngineLoan {
 public:
  // Makes `borrower` (not retained) the observer of `engine` (which may be null: no loan).
  EngineLoan(std::shared_ptr<HttpEngine> engine, HttpEngineObserver* borrower);
  ~EngineLoan();
  EngineLoan(const EngineLoan&) = delete;
  EngineLoan& operator=(const EngineLoan&) = delete;

  // The engine lent (kept after the loan is handed back), or null.
  const std::shared_ptr<HttpEngine>& engine() const { return engine_; }
  // False when no engine was given or no hooks were installed.
  bool isTaken() const { return taken_; }
  // Once; later calls do nothing (see the class comment).
  void handBack();

 private:
  std::shared_ptr<HttpEngine> engine_;
  std::shared_ptr<HttpEngineHooks> hooks_;
  HttpEngineObserver* borrower_;
  HttpEngineObserver* lender_ = nullptr;
  // The lender's life when it is an Object owned by a shared_ptr.
  std::weak_ptr<Object> lenderLife_;
  bool lenderTracked_ = false;
  bool taken_ = false;
  bool handedBack_ = false;
};

}  // namespace zu
