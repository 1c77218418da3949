#include "model/entry/Entry.h"

#include "model/entry/Author.h"
#include "model/entry/Content.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Link.h"
#include "model/service/VeskAssess.h"
#include "model/book/VeskBook.h"
#include "model/book/VeskBookReviews.h"
#include "model/service/VeskBump.h"
#include "model/service/VeskCustomContent.h"
#include "model/service/VeskCustomization.h"
#include "model/service/VeskDevInfo.h"
#include "model/service/VeskEntryStatus.h"
#include "model/service/VeskFavorite.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskMblogExtra.h"
#include "model/service/VeskRanking.h"
#include "model/service/VeskSharing.h"
#include "model/service/VeskSubscribe.h"
#include "model/service/VeskSync.h"
#include "model/service/VeskThumbnail.h"
#include "model/service/XCoverImageDuration.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

std::string Entry::archiveClassName() const { return "Entry"; }

void Entry::encodeWithCoder(KeyedArchiver& coder) const {
  coder.encode("title", title_);
  coder.encode("entryId", entryId_);
  coder.encodeInt64("updated", updated());
  coder.encode("author", author_);
  coder.encode("subtitle", subtitle_);
  coder.encode("summary", summary_);
  coder.encode("content", content_);
  coder.encode("veskPagedcontent", veskPagedcontent_);
  coder.encode("alternatelink", alternatelink_);
  coder.encode("coverImageVerticalLink", coverImageVerticalLink_);
  coder.encode("coverImageHorizontalLink", coverImageHorizontalLink_);
  coder.encode("coverImageLink", coverImageLink_);
  coder.encode("coverImageThumbnailLink", coverImageThumbnailLink_);
  coder.encode("buyLink", buyLink_);
  coder.encode("editLink", editLink_);
  coder.encode("editMediaLink", editMediaLink_);
  coder.encode("commentsLink", commentsLink_);
  coder.encode("relatedLink", relatedLink_);
  coder.encode("weiboLink", weiboLink_);
  coder.encode("subPreviewLink", subPreviewLink_);
  if (links_) coder.encode("links", *links_);
  coder.encode("category", category_);
  coder.encode("veskRanking", veskRanking_);
  coder.encode("veskAssess", veskAssess_);
  coder.encode("veskSubscribe", veskSubscribe_);
  coder.encode("veskThumbnail", veskThumbnail_);
  coder.encode("veskBump", veskBump_);
  coder.encode("veskSharing", veskSharing_);
  coder.encode("veskFavorite", veskFavorite_);
  coder.encode("veskEntryStatus", veskEntryStatus_);
  coder.encode("veskSync", veskSync_);
  coder.encode("veskDevInfo", veskDevInfo_);
  coder.encode("veskMBlog", veskMBlog_);
  coder.encode("veskCustomization", veskCustomization_);
  coder.encode("veskCustomContent", veskCustomContent_);
  coder.encode("xCoverImageDuration", xCoverImageDuration_);
  coder.encode("veskMblogExtra", veskMblogExtra_);
  coder.encodeInt64("lastCacheTime", lastCacheTime());
  coder.encode("veskBook", veskBook_);
  coder.encode("catalogLink", catalogLink_);
  coder.encode("bookDetailLink", bookDetailLink_);
  coder.encode("bookReviewLink", bookReviewLink_);
  coder.encode("veskBookReviews", veskBookReviews_);
  coder.encode("veskBookExtraLink", veskBookExtraLink_);
}

bool Entry::initWithCoder(KeyedUnarchiver& coder) {
  title_ = coder.decodeString("title");
  entryId_ = coder.decodeString("entryId");
  setUpdated(coder.decodeInt64("updated").value_or(0));
  author_ = coder.decodeObject<Author>("author");
  subtitle_ = coder.decodeString("subtitle");
  summary_ = coder.decodeString("summary");
  content_ = coder.decodeObject<Content>("content");
  veskPagedcontent_ = coder.decodeObject<Content>("veskPagedcontent");
  alternatelink_ = coder.decodeObject<Link>("alternatelink");
  coverImageVerticalLink_ = coder.decodeObject<Link>("coverImageVerticalLink");
  coverImageHorizontalLink_ = coder.decodeObject<Link>("coverImageHorizontalLink");
  coverImageLink_ = coder.decodeObject<Link>("coverImageLink");
  coverImageThumbnailLink_ = coder.decodeObject<Link>("coverImageThumbnailLink");
  buyLink_ = coder.decodeObject<Link>("buyLink");
  editLink_ = coder.decodeObject<Link>("editLink");
  editMediaLink_ = coder.decodeObject<Link>("editMediaLink");
  commentsLink_ = coder.decodeObject<Link>("commentsLink");
  relatedLink_ = coder.decodeObject<Link>("relatedLink");
  weiboLink_ = coder.decodeObject<Link>("weiboLink");
  subPreviewLink_ = coder.decodeObject<Link>("subPreviewLink");
  if (coder.containsKey("links")) links_ = coder.decodeObjectArray<Link>("links");
  category_ = coder.decodeObject<EntryCategory>("category");
  veskRanking_ = coder.decodeObject<VeskRanking>("veskRanking");
  veskAssess_ = coder.decodeObject<VeskAssess>("veskAssess");
  veskSubscribe_ = coder.decodeObject<VeskSubscribe>("veskSubscribe");
  veskThumbnail_ = coder.decodeObject<VeskThumbnail>("veskThumbnail");
  veskBump_ = coder.decodeObject<VeskBump>("veskBump");
  veskSharing_ = coder.decodeObject<VeskSharing>("veskSharing");
  veskFavorite_ = coder.decodeObject<VeskFavorite>("veskFavorite");
  veskEntryStatus_ = coder.decodeObject<VeskEntryStatus>("veskEntryStatus");
  veskSync_ = coder.decodeObject<VeskSync>("veskSync");
  veskDevInfo_ = coder.decodeObject<VeskDevInfo>("veskDevInfo");
  veskMBlog_ = coder.decodeObject<VeskMBlog>("veskMBlog");
  veskCustomization_ = coder.decodeObject<VeskCustomization>("veskCustomization");
  veskCustomContent_ = coder.decodeObject<VeskCustomContent>("veskCustomContent");
  xCoverImageDuration_ = coder.decodeObject<XCoverImageDuration>("xCoverImageDuration");
  veskMblogExtra_ = coder.decodeObject<VeskMblogExtra>("veskMblogExtra");
  setLastCacheTime(coder.decodeInt64("lastCacheTime").value_or(0));
  veskBook_ = coder.decodeObject<VeskBook>("veskBook");
  catalogLink_ = coder.decodeObject<Link>("catalogLink");
  bookDetailLink_ = coder.decodeObject<Link>("bookDetailLink");
  bookReviewLink_ = coder.decodeObject<Link>("bookReviewLink");
  veskBookReviews_ = coder.decodeObject<VeskBookReviews>("veskBookReviews");
  veskBookExtraLink_ = coder.decodeObject<Link>("veskBookExtraLink");
  return true;
}

}  // namespace zu
