// VeskMblogExtra: the actions on a microblog post (element "mblog_extra"). Filled through its
// setters by the response parser or the tasks, then handed on and only read (not locked); held
// through std::shared_ptr and shared, not copied. Archived with the entry that holds it (keys: the
// field names).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/runtime/Archivable.h"

namespace zu {

class Link;
class VeskAssess;
class VeskFavorite;

class VeskMblogExtra : public Archivable {
 public:
  const std::shared_ptr<VeskFavorite>& veskFavorite() const { return veskFavorite_; }
  void setVeskFavorite(std::shared_ptr<VeskFavorite> v) { veskFavorite_ = std::move(v); }
  const std::shared_ptr<VeskAssess>& veskAssess() const { return veskAssess_; }
  void setVeskAssess(std::shared_ptr<VeskAssess> v) { veskAssess_ = std::move(v); }
  const std::shared_ptr<Link>& addFavoritelink() const { return addFavoritelink_; }
  void setAddFavoritelink(std::shared_ptr<Link> v) { addFavoritelink_ = std::move(v); }
  const std::shared_ptr<Link>& delFavoritelink() const { return delFavoritelink_; }
  void setDelFavoritelink(std::shared_ptr<Link> v) { delFavoritelink_ = std::move(v); }
  const std::shared_ptr<Link>& repostlink() const { return repostlink_; }
  void setRepostlink(std::shared_ptr<Link> v) { repostlink_ = std::move(v); }

  std::string archiveClassName() const override;
  void encodeWithCoder(KeyedArchiver& coder) const override;
  bool initWithCoder(KeyedUnarchiver& coder) override;

 private:
  std::shared_ptr<VeskFavorite> veskFavorite_;
  std::shared_ptr<VeskAssess> veskAssess_;
  std::shared_ptr<Link> addFavoritelink_;
  std::shared_ptr<Link> delFavoritelink_;
  std::shared_ptr<Link> repostlink_;
};

}  // namespace zu
