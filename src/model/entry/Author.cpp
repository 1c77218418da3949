#include "model/entry/Author.h"

#include "model/entry/Link.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Author::archiveClassName() const { return "Author"; }

void Author::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("name", name_);
  coder.encode("uri", uri_);
  coder.encode("email", email_);
  coder.encode("profileImageLink", profileImageLink_);
  coder.encode("profile", profile_);
  coder.encode("booksLink", booksLink_);
}

bool Author::initWithCoder(KeyedUnarchiver& coder) {
  name_ = coder.decodeString("name");
  uri_ = coder.decodeString("uri");
  email_ = coder.decodeString("email");
  profileImageLink_ = coder.decodeObject<Link>("profileImageLink");
  profile_ = coder.decodeString("profile");
  booksLink_ = coder.decodeObject<Link>("booksLink");
  return true;
}

}  // namespace zu
