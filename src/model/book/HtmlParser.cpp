#include "model/book/HtmlParser.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "common/Md5.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string asciiLower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = asciiLower(c);
  return out;
}

bool isNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
         c == '.' || c == '-' || c == '_';
}

// The last path component of an address (trailing slashes ignored), without query or
// fragment, made safe as a file name and as a relative reference.
std::string safeLastComponent(std::string_view address) {
  const size_t cut = address.find_first_of("?#");
  if (cut != std::string_view::npos) address = address.substr(0, cut);
  while (!address.empty() && address.back() == '/') address.remove_suffix(1);
  const size_t slash = address.rfind('/');
  if (slash != std::string_view::npos) address = address.substr(slash + 1);
  std::string name(address);
  for (char& c : name) {
    if (!isNameChar(c)) c = '_';
  }
  // Keep the end, where the extension is.
  if (name.size() > HtmlParser::kMaxNameLength) {
    name.erase(0, name.size() - HtmlParser::kMaxNameLength);
  }
  if (name.empty() || name == "." || name == "..") name = "resource";
  return name;
}

bool makeFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

}  // namespace

bool HtmlParser::allocParseUrlInHtml(std::string_view data, std::optional<std::string> bookId,
                                     int32_t chapterIndex, int32_t sectionIndex,
                                     std::vector<std::string>* urls) {
  bookId_ = std::move(bookId);
  chapterIndex_ = chapterIndex;
  sectionIndex_ = sectionIndex;
  setHtmlStr(StringUtil::sanitizeUtf8(data));
  std::vector<std::string> images, cssJs;
  const bool read = VESKAtomParser::allocParseImgUrlWithAttachinHtml(page_.front().text, &images,
                                                                     &cssJs);
  imageCount_ = static_cast<int32_t>(images.size());
  cssJsCount_ = static_cast<int32_t>(cssJs.size());
  std::vector<std::string> all = std::move(images);
  all.insert(all.end(), std::make_move_iterator(cssJs.begin()),
             std::make_move_iterator(cssJs.end()));
  // Names are given in page order, so they do not depend on the order resources arrive in.
  for (const std::string& url : all) localNameFor(url);
  if (all.empty()) saveHtml2File();
  if (urls) *urls = std::move(all);
  return read;
}

std::string HtmlParser::localNameFor(const std::string& url) {
  auto known = localNames_.find(url);
  if (known != localNames_.end()) return known->second;
  const std::string base = safeLastComponent(url);
  std::string name = base;
  if (usedNames_.count(name) != 0) {
    // Numbers below the one kept for this name are all taken: start from there, so a page of
    // many addresses ending in one name is named in linear time.
    int& n = nextNumber_[base];
    do {
      name = std::to_string(++n) + "_" + base;
    } while (usedNames_.count(name) != 0);
  }
  usedNames_.insert(name);
  localNames_.emplace(url, name);
  return name;
}

bool HtmlParser::saveFile(const std::string& url, std::string_view data) {
  const std::optional<std::string> folder = getFilePath(2);
  if (folder) makeFolder(*folder);
  ++doneCount_;
  const std::string name = localNameFor(url);
  const bool written = write2File(folder ? std::optional<std::string>(*folder + name)
                                         : std::nullopt,
                                  data);
  if (written) {
    const int replaced = replaceInPage(url, resourcePrefix() + name);
    VESKLogImpl("there replaced: %d", replaced);
  }
  if (doneCount_ == imageCount_ + cssJsCount_) saveHtml2File();
  return written;
}

std::optional<std::string> HtmlParser::getFilePath(int kind) const {
  if (!bookId_) return std::nullopt;
  const std::optional<std::string> folder = Md5::encode(*bookId_);
  if (!folder) return std::nullopt;
  const std::string pages = CommInfo::getBooksDir() + *folder + "/OPS/";
  if (kind == 1) return pages;
  if (kind == 2) return pages + resourcePrefix();
  return std::nullopt;
}

bool HtmlParser::write2File(const std::optional<std::string>& path, std::string_view data) {
  if (!path) return false;
  std::FILE* file = std::fopen(path->c_str(), "wb");
  bool ok = file != nullptr;
  if (ok) {
    ok = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    ok = std::fclose(file) == 0 && ok;
  }
  if (!ok) VESKLogImpl("write2File save file failed");
  return ok;
}

bool HtmlParser::saveHtml2File() {
  const std::optional<std::string> folder = getFilePath(1);
  if (!folder) return false;
  makeFolder(*folder);
  const std::string name = sectionIndex_ < 0 ? "ch" + std::to_string(chapterIndex_) + ".htm"
                                             : std::to_string(sectionIndex_) + ".htm";
  return write2File(*folder + name, htmlStr());
}

std::string HtmlParser::htmlStr() const {
  std::string html;
  for (const Piece& piece : page_) html += piece.text;
  return html;
}

void HtmlParser::setHtmlStr(std::string html) {
  page_.clear();
  page_.push_back(Piece{std::move(html), false});
}

std::string HtmlParser::resourcePrefix() const {
  return sectionIndex_ < 0 ? "ch" + std::to_string(chapterIndex_) + "_files/"
                           : std::to_string(sectionIndex_) + "_files/";
}

int HtmlParser::replaceInPage(const std::string& address, const std::string& reference) {
  if (address.empty()) return 0;
  const std::string needle = asciiLower(address);
  int count = 0;
  std::vector<Piece> rewritten;
  auto appendPlain = [&](std::string_view text) {
    if (text.empty()) return;
    if (!rewritten.empty() && !rewritten.back().local) {
      rewritten.back().text.append(text);
    } else {
      rewritten.push_back(Piece{std::string(text), false});
    }
  };
  for (Piece& piece : page_) {
    if (piece.local) {
      rewritten.push_back(std::move(piece));
      continue;
    }
    const std::string haystack = asciiLower(piece.text);
    size_t from = 0;
    for (size_t hit; (hit = haystack.find(needle, from)) != std::string::npos;) {
      appendPlain(std::string_view(piece.text).substr(from, hit - from));
      rewritten.push_back(Piece{reference, true});
      from = hit + needle.size();
      ++count;
    }
    appendPlain(std::string_view(piece.text).substr(from));
  }
  page_ = std::move(rewritten);
  if (page_.empty()) page_.push_back(Piece{});
  return count;
}

}  // namespace zu
