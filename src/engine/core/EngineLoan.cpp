#include "engine/core/EngineLoan.h"

#include "engine/core/HttpEngineHooks.h"
#include "engine/http/HttpEngineObserver.h"
#include "platform/runtime/Object.h"

namespace zu {

EngineLoan::EngineLoan(std::shared_ptr<HttpEngine> engine, HttpEngineObserver* borrower)
    : engine_(std::move(engine)), borrower_(borrower) {
  if (!engine_) return;
  hooks_ = HttpEngineHooks::installed();
  if (!hooks_) return;
  lender_ = hooks_->observer(*engine_);
  if (auto* object = dynamic_cast<Object*>(lender_)) {
    lenderLife_ = object->weak_from_this();
    lenderTracked_ = !lenderLife_.expired();
  }
  hooks_->setObserver(*engine_, borrower_);
  taken_ = true;
}

EngineLoan::~EngineLoan() { handBack(); }

void EngineLoan::handBack() {
  if (!taken_ || handedBack_) return;
  handedBack_ = true;
  if (hooks_->observer(*engine_) != borrower_) return;
  std::shared_ptr<Object> lenderAlive = lenderLife_.lock();
  hooks_->setObserver(*engine_, lenderTracked_ && !lenderAlive ? nullptr : lender_);
}

}  // namespace zu
