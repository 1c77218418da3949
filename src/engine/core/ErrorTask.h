// ErrorTask: what a task factory returns instead of a real task when an argument is unusable.
// It gets an id like any task; running it finishes at once, through the ordinary finish road,
// with its code and that code's text (typically -7 "参数无效" or -8 "状态错误").
#pragma once

#include "engine/core/Task.h"

namespace zu {

class ErrorTask : public Task {
 public:
  explicit ErrorTask(int errCode) : errCode_(errCode) {}

  void run() override;
  int errCode() const { return errCode_; }

 private:
  int errCode_;
};

}  // namespace zu
