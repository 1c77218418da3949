// NewsSummary: an Entry that is an item of an article list, with the full article once fetched and
// the video length. Only the Entry fields are archived (its own fields are local state and come
// back as on a new object); it is restored as a NewsSummary. Threads and sharing as for Entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "model/entry/Entry.h"

namespace zu {

class NewsDetail;
class VideoDuration;

class NewsSummary : public Entry {
 public:
  // The full article once fetched.
  const std::shared_ptr<NewsDetail>& detail() const { return detail_; }
  void setDetail(std::shared_ptr<NewsDetail> v) { detail_ = std::move(v); }
  const std::shared_ptr<VideoDuration>& videoDuration() const { return videoDuration_; }
  void setVideoDuration(std::shared_ptr<VideoDuration> v) { videoDuration_ = std::move(v); }

  // How a microblog item is laid out, first match wins: 0 when the microblog record has a
  // layout link with an address, 1 when the entry has a list thumbnail, 2 when the microblog
  // record has a retweeted user, 3 otherwise.
  int32_t getMBlogLayoutPriority() const;

  std::string archiveClassName() const override;

 private:
  std::shared_ptr<NewsDetail> detail_;
  std::shared_ptr<VideoDuration> videoDuration_;
};

}  // namespace zu
