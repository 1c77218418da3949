#include "model/entry/NewsDetail.h"

namespace zu {

std::string NewsDetail::archiveClassName() const { return "NewsDetail"; }

NewsDetail::NewsDetail() : supportComment_(true), supportBump_(true), supportFavorite_(true) {}

bool NewsDetail::initWithCoder(KeyedUnarchiver& coder) {
  supportComment_ = false;
  supportBump_ = false;
  supportFavorite_ = false;
  return Entry::initWithCoder(coder);
}

}  // namespace zu
