// Column: an Entry for a subscribable or subscribed column, with its downloaded cover images, its
// update flags and the id of its newest article. Only the Entry fields are archived (its own fields
// are local state and come back as on a new object); it is restored as a Column. Threads and
// sharing as for Entry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "model/entry/Entry.h"
#include "model/columns/LatestSummaryIdSource.h"
#include "platform/runtime/Value.h"

namespace zu {

class Column : public Entry {
 public:
  bool coverImageLoaded() const { return coverImageLoaded_; }
  void setCoverImageLoaded(bool v) { coverImageLoaded_ = v; }
  bool coverImageThumbnailLoaded() const { return coverImageThumbnailLoaded_; }
  void setCoverImageThumbnailLoaded(bool v) { coverImageThumbnailLoaded_ = v; }
  // The column must be refreshed.
  bool needUpdate() const { return needUpdate_; }
  void setNeedUpdate(bool v) { needUpdate_ = v; }
  // The column is being removed from the home grid.
  bool isDeleting() const { return isDeleting_; }
  void setIsDeleting(bool v) { isDeleting_ = v; }
  bool isFrontView() const { return isFrontView_; }
  void setIsFrontView(bool v) { isFrontView_ = v; }
  // This column stands for the user's favourites.
  bool isFavoriteColumn() const { return isFavoriteColumn_; }
  void setIsFavoriteColumn(bool v) { isFavoriteColumn_ = v; }
  const std::optional<Bytes>& coverImageData() const { return coverImageData_; }
  void setCoverImageData(std::optional<Bytes> v) { coverImageData_ = std::move(v); }
  const std::optional<Bytes>& coverImageThumbnailData() const { return coverImageThumbnailData_; }
  void setCoverImageThumbnailData(std::optional<Bytes> v) {
    coverImageThumbnailData_ = std::move(v);
  }
  // Id of the newest article of the column, as the service reports it.
  const std::optional<std::string>& latestaid() const { return latestaid_; }
  void setLatestaid(std::optional<std::string> v) { latestaid_ = std::move(v); }

  // Whether the column has articles the user has not been shown: the store's newest article
  // id recorded for this column differs (exact comparison) from the newest id shown; a
  // missing shown id counts as different. NO without a recorded newest id, without an
  // entryId, or without a store.
  bool haveNewContent(LatestSummaryIdSource* store) const;

  std::string archiveClassName() const override;

 private:
  bool coverImageLoaded_ = false;
  bool coverImageThumbnailLoaded_ = false;
  bool needUpdate_ = false;
  bool isDeleting_ = false;
  bool isFrontView_ = false;
  bool isFavoriteColumn_ = false;
  std::optional<Bytes> coverImageData_;
  std::optional<Bytes> coverImageThumbnailData_;
  std::optional<std::string> latestaid_;
};

}  // namespace zu
