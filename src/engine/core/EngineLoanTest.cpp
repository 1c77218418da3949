#include "engine/core/EngineLoan.h"

#include <gtest/gtest.h>

#include <optional>

#include "engine/core/HttpInnerTask.h"
#include "engine/http/HttpEngine.h"
#include "engine/http/HttpEngineManager.h"
#include "testing/TempHome.h"

namespace zu {
namespace {

// An engine's listener that hears nothing here: only its identity matters.
class Listener : public Object, public HttpEngineObserver {
 public:
  void onHttpEngineResult(HttpEngine*, int, const std::shared_ptr<HttpResponse>&) override {}
};

// Lends its engine to nobody; finishes when told, noting who listened to the engine then.
class Borrower : public HttpInnerTask {
 public:
  using HttpInnerTask::HttpInnerTask;
  HttpEngineObserver* observerAtFinish = nullptr;
  bool finished = false;

 protected:
  void start() override {}
  void finish(int, const std::optional<std::string>&) override {
    finished = true;
    observerAtFinish = httpEngine()->observer();
  }
};

class EngineLoanTest : public ::testing::Test {
 protected:
  void SetUp() override { HttpEngineManager::initGlobalInstance(); }
  void TearDown() override { HttpEngineManager::uninitGlobalInstance(); }

  TempHome home_;
  std::shared_ptr<HttpEngine> engine_ = std::make_shared<HttpEngine>();
  std::shared_ptr<Listener> owner_ = std::make_shared<Listener>();
};

TEST_F(EngineLoanTest, NestedLoansGiveTheEngineBackInReverseOrder) {
  engine_->setObserver(owner_.get());
  Listener first, second;
  {
    EngineLoan outer(engine_, &first);
    EXPECT_EQ(engine_->observer(), &first);
    {
      EngineLoan inner(engine_, &second);
      EXPECT_EQ(engine_->observer(), &second);
      inner.handBack();
      EXPECT_EQ(engine_->observer(), &first);
      inner.handBack();  // once only
      EXPECT_EQ(engine_->observer(), &first);
    }
    EXPECT_EQ(engine_->observer(), &first);
  }
  // Destroyed without an explicit hand-back.
  EXPECT_EQ(engine_->observer(), owner_.get());
}

TEST_F(EngineLoanTest, WhatOthersSetMeanwhileIsKeptAndAGoneLenderIsNotRestored) {
  Listener borrower;
  engine_->setObserver(owner_.get());
  {
    EngineLoan loan(engine_, &borrower);
    engine_->setObserver(owner_.get());  // the lender took its engine back itself
    auto other = std::make_shared<Listener>();
    {
      EngineLoan later(engine_, other.get());
      engine_->setObserver(nullptr);  // given back to the manager, which cleared it
    }
    EXPECT_EQ(engine_->observer(), nullptr);
    engine_->setObserver(owner_.get());
  }
  EXPECT_EQ(engine_->observer(), owner_.get());

  {
    EngineLoan loan(engine_, &borrower);
    owner_.reset();  // the lender is gone before the loan ends
  }
  EXPECT_EQ(engine_->observer(), nullptr);
  engine_->cancel();  // idle: nothing to report, nobody to call
}

TEST_F(EngineLoanTest, AnInnerTaskGivesTheEngineBackBeforeItsOwnerHearsTheFinish) {
  engine_->setObserver(owner_.get());
  auto borrower = std::make_shared<Borrower>(engine_);
  EXPECT_EQ(engine_->observer(), borrower.get());
  borrower->run();
  borrower->done(0, std::nullopt);
  ASSERT_TRUE(borrower->finished);
  EXPECT_EQ(borrower->observerAtFinish, owner_.get());

  // One made and dropped without running gives it back as well.
  std::make_shared<Borrower>(engine_).reset();
  EXPECT_EQ(engine_->observer(), owner_.get());

  // Without hooks no loan is taken: the engine is left as it was.
  HttpEngineHooks::install(nullptr);
  Listener other;
  EngineLoan loan(engine_, &other);
  EXPECT_FALSE(loan.isTaken());
  EXPECT_EQ(engine_->observer(), owner_.get());
}

}  // namespace
}  // namespace zu
