#include "model/service/VeskEntryStatus.h"

#include <array>

#include "model/atom/Vocabulary.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string VeskEntryStatus::archiveClassName() const { return "VeskEntryStatus"; }

void VeskEntryStatus::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encodeInt32("read", read_);
  coder.encodeInt32("type", type_);
  coder.encodeInt32("extendStyle", extendStyle_);
  coder.encodeInt32("baseStyle", baseStyle_);
  coder.encodeInt32("multiLayer", multiLayer_);
}

bool VeskEntryStatus::initWithCoder(KeyedUnarchiver& coder) {
  read_ = coder.decodeInt32("read").value_or(0);
  type_ = coder.decodeInt32("type").value_or(0);
  extendStyle_ = coder.decodeInt32("extendStyle").value_or(0);
  baseStyle_ = coder.decodeInt32("baseStyle").value_or(0);
  multiLayer_ = coder.decodeInt32("multiLayer").value_or(0);
  return true;
}

namespace {

constexpr std::array<const char*, 10> kTypeWords = {
    vocab::kStatusNews,    vocab::kStatusAlbum, vocab::kStatusPicNews, vocab::kStatusVideo,
    vocab::kStatusAudio,   vocab::kStatusMblog, vocab::kStatusIstyle,  vocab::kStatusForum,
    vocab::kStatusEnglish, vocab::kStatusBook};
constexpr std::array<int32_t, 10> kDefaultExtendStyles = {0, 1, 2, 7, 11, 3, 4, 5, 6, 8};

// "0" to "11" exactly (no sign, blanks or leading zeros).
std::optional<int32_t> styleNumber(std::string_view part) {
  if (part.empty() || part.size() > 2) return std::nullopt;
  for (char c : part) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (part.size() == 2 && part[0] == '0') return std::nullopt;
  int32_t n = part.size() == 1 ? part[0] - '0' : (part[0] - '0') * 10 + (part[1] - '0');
  if (n > 11) return std::nullopt;
  return n;
}

}  // namespace

std::shared_ptr<VeskEntryStatus> VeskEntryStatus::copy() const {
  auto status = std::make_shared<VeskEntryStatus>();
  status->setRead(read_);
  status->setType(type_);
  return status;
}

std::optional<int32_t> VeskEntryStatus::typeForWord(std::string_view word) {
  for (size_t i = 0; i < kTypeWords.size(); ++i) {
    if (word == kTypeWords[i]) return static_cast<int32_t>(i);
  }
  return std::nullopt;
}

const char* VeskEntryStatus::wordForType(int32_t type) {
  if (type < 0 || type >= static_cast<int32_t>(kTypeWords.size())) return nullptr;
  return kTypeWords[static_cast<size_t>(type)];
}

int32_t VeskEntryStatus::defaultExtendStyle(int32_t type) {
  if (type < 0 || type >= static_cast<int32_t>(kDefaultExtendStyles.size())) return 0;
  return kDefaultExtendStyles[static_cast<size_t>(type)];
}

void VeskEntryStatus::applyStyle(std::string_view text) {
  const size_t comma = text.find(',');
  if (auto first = styleNumber(text.substr(0, comma))) extendStyle_ = *first;
  if (comma == std::string_view::npos) return;
  std::string_view rest = text.substr(comma + 1);
  if (auto second = styleNumber(rest.substr(0, rest.find(',')))) baseStyle_ = *second;
}

}  // namespace zu
