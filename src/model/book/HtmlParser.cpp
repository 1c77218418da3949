#include "model/book/HtmlParser.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/CommInfo.h"
#include "common/Log.h"
#include "common/Md5.h"
#include "model/atom/VESKAtomParser.h"
#include "platform/runtime/FolderHandle.h"
#include "platform/runtime/StringUtil.h"

namespace zu {

namespace {

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

// Makes the folder (below the home, each folder on the way reached without following a link).
bool makeFolder(const std::string& path) { return FolderHandle::openReal(path).has_value(); }

}  // namespace

bool HtmlParser::allocParseUrlInHtml(std::string_view data, std::optional<std::string> bookId,
                                     int32_t chapterIndex, int32_t sectionIndex,
                                     std::vector<std::string>* urls) {
  bookId_ = std::move(bookId);
  chapterIndex_ = chapterIndex;
  sectionIndex_ = sectionIndex;
  setHtmlStr(StringUtil::sanitizeUtf8(data));
  listed_.clear();
  handled_.clear();
  doneCount_ = 0;
  std::vector<std::string> images, cssJs;
  const bool read = VESKAtomParser::allocParseImgUrlWithAttachinHtml(page_, &images, &cssJs);
  // A page may name one address thousands of times: it is fetched and stored once.
  std::vector<std::string> all;
  auto listOnce = [&](std::vector<std::string>& addresses) {
    int32_t count = 0;
    for (std::string& address : addresses) {
      if (!listed_.insert(address).second) continue;
      all.push_back(std::move(address));
      ++count;
    }
    return count;
  };
  imageCount_ = listOnce(images);
  cssJsCount_ = listOnce(cssJs);
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
  const bool counts = listed_.count(url) != 0 && handled_.insert(url).second;
  if (counts) ++doneCount_;
  const std::string name = localNameFor(url);
  const bool written = write2File(folder ? std::optional<std::string>(*folder + name)
                                         : std::nullopt,
                                  data);
  if (written) replacer_.add(url, resourcePrefix() + name);
  if (counts && doneCount_ == imageCount_ + cssJsCount_) saveHtml2File();
  return written;
}

std::optional<std::string> HtmlParser::getFilePath(int kind) const {
  if (!bookId_) return std::nullopt;
  std::string pages;
  if (pagesFolder_) {
    pages = *pagesFolder_;
  } else {
    const std::optional<std::string> folder = Md5::encode(*bookId_);
    if (!folder) return std::nullopt;
    pages = CommInfo::getBooksDir() + *folder + "/OPS/";
  }
  if (kind == 1) return pages;
  if (kind == 2) return pages + resourcePrefix();
  return std::nullopt;
}

bool HtmlParser::write2File(const std::optional<std::string>& path, std::string_view data) {
  if (!path) return false;
  // The folder a real one (a link in its place is replaced) and the file written new beside
  // its name and renamed over it: a link planted at either is never written through.
  const std::filesystem::path file(*path);
  const std::optional<FolderHandle> folder = FolderHandle::openReal(file.parent_path());
  const bool ok = folder && folder->writeFileAtomically(
                                file.filename().string(), Bytes(data.begin(), data.end()),
                                FileUtil::Sync::kDeferred);
  if (!ok) VESKLogImpl("write2File save file failed");
  return ok;
}

bool HtmlParser::saveHtml2File() {
  const std::optional<std::string> folder = getFilePath(1);
  if (!folder) return false;
  makeFolder(*folder);
  const std::string name = sectionIndex_ < 0 ? "ch" + std::to_string(chapterIndex_) + ".htm"
                                             : std::to_string(sectionIndex_) + ".htm";
  int replaced = 0;
  const std::string html = replacer_.apply(page_, &replaced);
  VESKLogImpl("there replaced: %d", replaced);
  return write2File(*folder + name, html);
}

std::string HtmlParser::htmlStr() const { return replacer_.apply(page_); }

void HtmlParser::setHtmlStr(std::string html) {
  page_ = std::move(html);
  replacer_ = AddressReplacer();
}

std::string HtmlParser::resourcePrefix() const {
  return sectionIndex_ < 0 ? "ch" + std::to_string(chapterIndex_) + "_files/"
                           : std::to_string(sectionIndex_) + "_files/";
}

}  // namespace zu
