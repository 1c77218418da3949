#include "reading/sectors/NewSummary.h"

namespace zu {

void NewSummary::setNewsData(const NewsSummary& entry) {
  setTitle(entry.title());
  setEntryId(entry.entryId());
  setUpdated(entry.updated());
  setAuthor(entry.author());
  setSubtitle(entry.subtitle());
  setContent(entry.content());
  setAlternatelink(entry.alternatelink());
  setCoverImageLink(entry.coverImageLink());
  setCoverImageThumbnailLink(entry.coverImageThumbnailLink());
  setBuyLink(entry.buyLink());
  setEditLink(entry.editLink());
  setEditMediaLink(entry.editMediaLink());
  setCommentsLink(entry.commentsLink());
  setLinks(entry.links());
  setCategory(entry.category());
  setVeskRanking(entry.veskRanking());
  setVeskAssess(entry.veskAssess());
  setVeskSubscribe(entry.veskSubscribe());
  setVeskThumbnail(entry.veskThumbnail());
  setVeskBump(entry.veskBump());
  setVeskSharing(entry.veskSharing());
  setVeskEntryStatus(entry.veskEntryStatus());
  new_title = entry.title();
}

}  // namespace zu
