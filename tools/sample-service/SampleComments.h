// SampleComments: the comments readers post to the sample service's articles. A comment posted to
// "/comments/<article>.atom" (without "op=") is kept as the service stored it, with an edit link
// back to that address — the mark of the reader's own comment, and where its deletion goes
// ("op=del&id=<id>"). The article's first page of comments lists the kept ones first, newest
// first, before the fixed ones; the count of the assess record in the article's dynamic part
// includes the kept ones.
//
// Owned by SampleService, which calls it from its server threads: every method locks.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace zu {

class SampleComments {
 public:
  // Keeps the stored comment (an entry document) of `article`; gives the stored document with
  // its edit link added.
  std::string keep(const std::string& article, const std::string& stored, const std::string& baseUrl);
  // Removes the article's kept comment named by the "id=" field of a delete's query (percent
  // encoded); false when none is kept under that id.
  bool remove(const std::string& article, const std::string& query);
  // `page` (a feed document of the article's first page) with the kept comments before its
  // first entry.
  std::string firstPage(const std::string& article, std::string page) const;
  // The records of the article's dynamic part with the kept comments added to the count of its
  // assess record (one of the kept comments alone, with the address, when the records have none).
  std::string withKeptCount(std::string records, const std::string& article, const std::string& baseUrl) const;
  size_t count(const std::string& article) const;

 private:
  mutable std::mutex lock_;
  // Article -> its kept comments, oldest first: (id, entry element).
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> kept_;
};

}  // namespace zu
