// SampleProfile: the reader's profile as the sample service keeps it. Until a profile is posted
// the service answers with its profile document ("profile.xml", so a test that replaces the
// document is answered with its own); a profile posted to "/user/info.atom" is merged into the
// one kept: each value it gives replaces the kept value's text while the kept element's
// attributes (the service's length and count limits) stay, an icon it gives replaces the kept
// icon, and what it leaves out is kept. "/user/get.atom" and the account summary answer with
// the kept profile.
//
// Every method is thread-safe (the server answers on several threads).
#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace zu {

class SampleProfile {
 public:
  // The profile to answer with, `document` being the profile document's text now.
  std::string current(const std::string& document) const;
  // Keeps the posted profile merged into the current one; false (nothing kept) when the post
  // is no profile document.
  bool post(const std::string& posted, const std::string& document);

  // `posted` merged into `kept` (both profile documents), as described above.
  static std::string merged(const std::string& kept, const std::string& posted);

 private:
  mutable std::mutex lock_;
  std::optional<std::string> kept_;
};

}  // namespace zu
