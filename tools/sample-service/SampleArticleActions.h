// SampleArticleActions: what the sample service keeps of the reader's actions on an article —
// likes and share reports — and the records of the article's dynamic part that lead to them.
// The dynamic part of article <id> carries a like record ("vesk:bump", address "/bump/<id>.atom",
// action "up" until the article is liked, then "down", with the count), a share record
// ("vesk:sharing", the URL table's "/report/sharing.atom", with the count) and a comments record
// ("vesk:assess", the article's comments address, with the count of its sample comments).
// An article's original web page ("/article/<id>.html") is a plain page of its title and text,
// in the sample's own look.
// A like POST answers the article's entry with its new like record; a share report POST answers
// the article's entry with its new share record. An entry without an id is refused (400).
//
// Thread-safe (the server's threads call it); owned by the SampleService.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zu {

class SampleArticleActions {
 public:
  // The records for the dynamic part of `articleId` (elements to put inside its entry).
  std::string dynamicRecords(const std::string& baseUrl, const std::string& articleId) const;
  // The answers to a like of `articleId` and to a share report; nullopt for a post without an
  // entry id.
  std::optional<std::string> like(const std::string& baseUrl, const std::string& articleId,
                                  const std::string& posted);
  std::optional<std::string> shareReport(const std::string& baseUrl, const std::string& posted);

  // The original page of article `articleId` from the articles document; nullopt when the
  // document has no such article.
  static std::optional<std::string> originalPage(const std::string& articles, const std::string& articleId);

  // Likes of an article, and the share reports taken in as (entry id, target) pairs, in order.
  int likes(const std::string& articleId) const;
  std::vector<std::pair<std::string, std::string>> shareReports() const;

 private:
  std::string bumpRecord(const std::string& baseUrl, const std::string& articleId) const;
  std::string sharingRecord(const std::string& baseUrl, const std::string& articleId) const;

  mutable std::mutex lock_;
  std::map<std::string, int> likes_;
  std::vector<std::pair<std::string, std::string>> shareReports_;
};

}  // namespace zu
