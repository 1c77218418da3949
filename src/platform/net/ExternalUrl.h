// ExternalUrl: the rules for an address the application hands to the system's opener (the
// desktop's browser or mail program, through ui::Application::openURL and the executable's
// UrlOpener) or to the in-app browser. They live in this one place so that every screen that
// passes on or builds such an address — the article page's links, the in-app browser, the mail
// composer — keeps the same rules:
//  - Schemes: "http://" or "https://" (any case) followed by a host: a web address; or
//    "mailto:": a mail address. Nothing else (no file:, tel:, javascript:, store schemes).
//  - A mail address lists its recipients before "?" and may carry only the fields "to", "cc",
//    "subject" and "body" after it, each "name=value" (names compared without regard to case,
//    after percent-decoding, so "ATTACH" and "%61ttach" are caught too): never "attach",
//    "bcc", "from" or any other field (some mail programs attach the local file "attach" names),
//    and no "#". Values are percent-encoded; mailto() builds such an address.
//  - A mail's subject takes no line break (CR, LF, CR LF, U+0085, U+2028, U+2029): each run of
//    them is one space, none at either end (a mail program would start the body there, or drop
//    the rest). Its body's line breaks (CR, LF, CR LF, U+0085) are CR LF. Neither carries another
//    control character (C0 but tab, DEL, C1): mailSubject() and mailBody() give the texts to
//    encode.
//  - At most kMaxLength bytes.
//  - Valid UTF-8 with no byte below 0x21 and no DEL (blanks are percent-encoded), no C1
//    control, no bidi control (U+061C, U+200E, U+200F, U+202A–U+202E, U+2066–U+2069) and no
//    line or paragraph separator (U+2028, U+2029): an accepted address prints as it is, and
//    cannot reorder or break the line it is printed on. printable() makes any text safe to
//    print, for the refusals.
// Pure functions; any thread.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zu {

class ExternalUrl {
 public:
  ExternalUrl() = delete;

  static constexpr size_t kMaxLength = 8192;

  // An http or https address with a host, within the rules above.
  static bool isWebAddress(std::string_view url);
  // A mailto address within the rules above.
  static bool isMailAddress(std::string_view url);
  // What the system's opener passes on: a web or a mail address.
  static bool isOpenable(std::string_view url) { return isWebAddress(url) || isMailAddress(url); }

  // "mailto:" with the recipients, then the non-empty fields cc, subject and body, every part
  // percent-encoded; nullopt when the result breaks the rules (longer than kMaxLength, or a
  // text that is not UTF-8).
  static std::optional<std::string> mailto(const std::vector<std::string>& to,
                                           const std::vector<std::string>& cc,
                                           const std::string& subject, const std::string& body);

  // `text` as a mail's subject / body, by the rules above (bytes that are not UTF-8 become
  // U+FFFD).
  static std::string mailSubject(std::string_view text);
  static std::string mailBody(std::string_view text);

  // `text` with every byte but the unreserved ones (letters, digits, "-._~", and "@" when
  // `keepAt`, for addresses) as %XX: a part of a mail address.
  static std::string percentEncoded(std::string_view text, bool keepAt);

  // `text` with each control, bidi or line-separator character, and each byte that is not
  // UTF-8, replaced by '?' (blanks stay).
  static std::string printable(std::string_view text);
};

}  // namespace zu
