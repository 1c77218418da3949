#include "model/service/VeskMblogExtra.h"

#include "model/entry/Link.h"
#include "model/service/VeskAssess.h"
#include "model/service/VeskFavorite.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskMblogExtra::archiveClassName() const { return "VeskMblogExtra"; }

void VeskMblogExtra::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("veskFavorite", veskFavorite_);
  coder.encode("veskAssess", veskAssess_);
  coder.encode("addFavoritelink", addFavoritelink_);
  coder.encode("delFavoritelink", delFavoritelink_);
  coder.encode("repostlink", repostlink_);
}

bool VeskMblogExtra::initWithCoder(KeyedUnarchiver& coder) {
  veskFavorite_ = coder.decodeObject<VeskFavorite>("veskFavorite");
  veskAssess_ = coder.decodeObject<VeskAssess>("veskAssess");
  addFavoritelink_ = coder.decodeObject<Link>("addFavoritelink");
  delFavoritelink_ = coder.decodeObject<Link>("delFavoritelink");
  repostlink_ = coder.decodeObject<Link>("repostlink");
  return true;
}

}  // namespace zu
