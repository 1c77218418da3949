// ResultInfo: the service's ok/error answer document (root "ok" or "error"): whether it was ok,
// the id it concerns, the service's error code, a description and the custom subscription it
// concerns. Made by VESKAtomParser::allocParseResultInfo on the caller's thread, then only read
// (not locked); held through std::shared_ptr. Not archivable.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/runtime/Object.h"

namespace zu {

class VeskCustomization;

class ResultInfo : public Object {
 public:
  // True for an "ok" root, false for "error".
  bool resultOK() const { return resultOK_; }
  void setResultOK(bool v) { resultOK_ = v; }
  const std::optional<std::string>& resultId() const { return resultId_; }
  void setResultId(std::optional<std::string> v) { resultId_ = std::move(v); }
  // The service's error code.
  int32_t reason() const { return reason_; }
  void setReason(int32_t v) { reason_ = v; }
  const std::optional<std::string>& desc() const { return desc_; }
  void setDesc(std::optional<std::string> v) { desc_ = std::move(v); }
  const std::shared_ptr<VeskCustomization>& veskCustomization() const {
    return veskCustomization_;
  }
  void setVeskCustomization(std::shared_ptr<VeskCustomization> v) {
    veskCustomization_ = std::move(v);
  }

 private:
  bool resultOK_ = false;
  std::optional<std::string> resultId_;
  int32_t reason_ = 0;
  std::optional<std::string> desc_;
  std::shared_ptr<VeskCustomization> veskCustomization_;
};

}  // namespace zu
