// NewsDetail: an Entry that is a full article, with its pictures, its extra links and what it
// supports (comments, votes, favourites). A new NewsDetail supports all three; a restored one
// supports none, since restoring starts from a plain entry. Only the Entry fields are archived; it
// is restored as a NewsDetail. Threads and sharing as for Entry.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/entry/Entry.h"

namespace zu {

class Link;
class VeskCategory;

class NewsDetail : public Entry {
 public:
  NewsDetail();

  // The article's pictures.
  const std::optional<std::vector<std::shared_ptr<VeskCategory>>>& veskCategorys() const {
    return veskCategorys_;
  }
  void setVeskCategorys(std::optional<std::vector<std::shared_ptr<VeskCategory>>> v) {
    veskCategorys_ = std::move(v);
  }
  // Adds one item at the end, making the list on the first.
  void appendVeskCategorys(std::shared_ptr<VeskCategory> item) {
    if (!veskCategorys_) veskCategorys_.emplace();
    veskCategorys_->push_back(std::move(item));
  }
  const std::shared_ptr<Link>& veskExtraLink() const { return veskExtraLink_; }
  void setVeskExtraLink(std::shared_ptr<Link> v) { veskExtraLink_ = std::move(v); }
  // Address that tells whether the article is a favourite.
  const std::shared_ptr<Link>& checkFavoriteLink() const { return checkFavoriteLink_; }
  void setCheckFavoriteLink(std::shared_ptr<Link> v) { checkFavoriteLink_ = std::move(v); }
  bool supportComment() const { return supportComment_; }
  void setSupportComment(bool v) { supportComment_ = v; }
  bool supportBump() const { return supportBump_; }
  void setSupportBump(bool v) { supportBump_ = v; }
  bool supportFavorite() const { return supportFavorite_; }
  void setSupportFavorite(bool v) { supportFavorite_ = v; }
  // The product's own link of the article.
  const std::shared_ptr<Link>& veskLink() const { return veskLink_; }
  void setVeskLink(std::shared_ptr<Link> v) { veskLink_ = std::move(v); }

  // Restores the Entry fields; the support flags are cleared first, as on a plain entry.
  bool initWithCoder(KeyedUnarchiver& coder) override;

  std::string archiveClassName() const override;

 private:
  std::optional<std::vector<std::shared_ptr<VeskCategory>>> veskCategorys_;
  std::shared_ptr<Link> veskExtraLink_;
  std::shared_ptr<Link> checkFavoriteLink_;
  bool supportComment_ = false;
  bool supportBump_ = false;
  bool supportFavorite_ = false;
  std::shared_ptr<Link> veskLink_;
};

}  // namespace zu
