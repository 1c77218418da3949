#include "platform/ui/system/MailComposeViewController.h"

#include <string_view>

#include "platform/net/ExternalUrl.h"
#include "platform/ui/drawing/Color.h"
#include "platform/ui/views/Label.h"
#include "platform/ui/views/View.h"

namespace zu::ui {

namespace {

bool gCanSendMail = false;
constexpr size_t kMaxSubjectLength = 600;
constexpr const char* kEllipsis = "…";

std::vector<MailComposeViewController::Mail>& sentMails() {
  static auto* mails = new std::vector<MailComposeViewController::Mail>();
  return *mails;
}

MailComposeViewController::HandOff& handOff() {
  static auto* handOff = new MailComposeViewController::HandOff();
  return *handOff;
}

// The bytes of one UTF-8 character starting at `at` (1 for a stray byte).
size_t characterLength(std::string_view text, size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  for (size_t i = 1; i < n; ++i) {
    if (at + i >= text.size() || (static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// One character of mail text (or a CR LF line break), percent-encoded; a control character
// of an address is dropped. `keepAt`: "@" stays as it is (in addresses).
std::string encodeCharacter(std::string_view character, bool keepAt) {
  if (character.size() == 1) {
    const auto c = static_cast<unsigned char>(character[0]);
    if ((c < 0x20 && c != '\t') || c == 0x7f) return std::string();
  }
  return ExternalUrl::percentEncoded(character, keepAt);
}

// `text` (a subject or body as ExternalUrl gives it, or an address) encoded, whole when it
// takes at most `budget` characters, else cut at a whole character (with an ellipsis) to take
// at most that.
std::string encodeCut(std::string_view text, size_t budget, bool keepAt = false) {
  const std::string ellipsis = encodeCharacter(kEllipsis, false);
  std::string out;
  // The longest beginning so far that leaves room for the ellipsis.
  std::optional<size_t> cut;
  for (size_t at = 0; at < text.size();) {
    size_t n = characterLength(text, at);
    // CR LF is one line break: never cut between them.
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') n = 2;
    const std::string piece = encodeCharacter(text.substr(at, n), keepAt);
    if (out.size() + ellipsis.size() <= budget) cut = out.size();
    if (out.size() + piece.size() > budget) {
      if (!cut) return std::string();
      out.resize(*cut);
      return out + ellipsis;
    }
    out += piece;
    at += n;
  }
  return out;
}

std::string addressList(const std::vector<std::string>& addresses) {
  std::string out;
  for (const auto& address : addresses) {
    if (!out.empty()) out += ',';
    out += encodeCut(address, std::string::npos, true);
  }
  return out;
}

}  // namespace

void MailComposeViewController::setHandOff(HandOff handOff) { zu::ui::handOff() = std::move(handOff); }

bool MailComposeViewController::handsOff() { return static_cast<bool>(handOff()); }

bool MailComposeViewController::canSendMail() { return gCanSendMail || handsOff(); }

void MailComposeViewController::setCanSendMail(bool can) { gCanSendMail = can; }

const std::vector<MailComposeViewController::Mail>& MailComposeViewController::outbox() { return sentMails(); }

std::string MailComposeViewController::mailtoUrl() const {
  std::string head = "mailto:" + addressList(mail_.toRecipients) + "?";
  if (!mail_.ccRecipients.empty()) head += "cc=" + addressList(mail_.ccRecipients) + "&";
  const std::string subject = "subject=" + encodeCut(ExternalUrl::mailSubject(mail_.subject), kMaxSubjectLength);
  if (head.size() + subject.size() > kMaxMailtoLength) head = "mailto:?";  // recipients too long to carry
  head += subject;
  std::pair<std::string, std::string> body;
  if (handOffBody_) {
    body = *handOffBody_;
  } else if (!mail_.isHTML) {
    body.first = mail_.body;
  }
  constexpr std::string_view kBodyKey = "&body=";
  if ((body.first.empty() && body.second.empty()) || head.size() + kBodyKey.size() >= kMaxMailtoLength) return head;
  size_t room = kMaxMailtoLength - head.size() - kBodyKey.size();
  const std::string kept = encodeCut(ExternalUrl::mailBody(body.second), room);
  room -= kept.size();
  const std::string cut = encodeCut(ExternalUrl::mailBody(body.first), room);
  return head + std::string(kBodyKey) + cut + kept;
}

void MailComposeViewController::finish(MailComposeResult result) {
  if (finished_) return;
  finished_ = true;
  auto keep = shared();
  if (!gCanSendMail && (result == MailComposeResult::Sent || result == MailComposeResult::Saved)) {
    result = MailComposeResult::Failed;
  }
  mail_.result = result;
  if (result == MailComposeResult::Sent || result == MailComposeResult::Saved) sentMails().push_back(mail_);
  if (auto d = delegate_.lock()) d->mailComposeControllerDidFinish(*this, result);
}

void MailComposeViewController::viewDidLoad() {
  // A dark page: the screen's notice of how the mail ended (light words on a dark panel) fades in
  // over it as it goes, and reads there from its first frames.
  view()->setBackgroundColor(ground());
  if (!handsOff()) return;
  auto note = std::make_shared<Label>(Rect(0, view()->bounds().size.height / 2 - 15, view()->bounds().size.width, 30));
  note->setText("正在打开邮件程序…");
  note->setTextAlignment(TextAlignment::Center);
  note->setTextColor(Color::white(0.85f));
  note->setBackgroundColor(Color::clearColor());
  note->setAutoresizingMask(kAutoresizingFlexibleWidth | kAutoresizingFlexibleTopMargin | kAutoresizingFlexibleBottomMargin);
  view()->addSubview(note);
}

void MailComposeViewController::viewDidAppear(bool) {
  if (finished_ || !handsOff()) return;
  // Nothing is known to be sent: the mail program has the message now.
  const HandOff open = handOff();
  finish(open(mailtoUrl()) ? MailComposeResult::HandedOff : MailComposeResult::Failed);
}

void MailComposeViewController::resetForTesting() {
  gCanSendMail = false;
  handOff() = nullptr;
  sentMails().clear();
}

}  // namespace zu::ui
