#include "common/KjJsonBase.h"

namespace zu {

void KjJsonBase::addErrorWithCode(int code, std::string description) {
  errorTrace_.push_back(JsonError{code, std::move(description)});
}

bool KjJsonBase::enterLevel() {
  if (++depth_ > effectiveMaxDepth()) {
    addErrorWithCode(kJsonErrorDepth, "Nested too deep");
    return false;
  }
  return true;
}

std::string KjJsonBase::describeErrorTrace(const std::vector<JsonError>& trace) {
  std::string out = "(";
  for (size_t i = 0; i < trace.size(); ++i) {
    out += i ? ",\n    " : "\n    ";
    out += "Error Domain=";
    out += kJsonErrorDomain;
    out += " Code=" + std::to_string(trace[i].code) + " \"" + trace[i].description + "\"";
  }
  out += trace.empty() ? ")" : "\n)";
  return out;
}

}  // namespace zu
