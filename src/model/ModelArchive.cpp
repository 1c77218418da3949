#include "model/ModelArchive.h"

#include <mutex>

#include "model/Author.h"
#include "model/BookReview.h"
#include "model/Column.h"
#include "model/Comment.h"
#include "model/Content.h"
#include "model/Entry.h"
#include "model/EntryCategory.h"
#include "model/Link.h"
#include "model/MBlogUser.h"
#include "model/NewsDetail.h"
#include "model/NewsSummary.h"
#include "model/VeskAssess.h"
#include "model/VeskBook.h"
#include "model/VeskBookReviews.h"
#include "model/VeskBump.h"
#include "model/VeskCustomContent.h"
#include "model/VeskCustomization.h"
#include "model/VeskDevInfo.h"
#include "model/VeskEntryStatus.h"
#include "model/VeskFavorite.h"
#include "model/VeskMBlog.h"
#include "model/VeskMblogExtra.h"
#include "model/VeskRanking.h"
#include "model/VeskSharing.h"
#include "model/VeskSubscribe.h"
#include "model/VeskSync.h"
#include "model/VeskThumbnail.h"
#include "model/XCoverImageDuration.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {

void ModelArchive::registerClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    KeyedUnarchiver::registerClass<Author>("Author");
    KeyedUnarchiver::registerClass<Link>("Link");
    KeyedUnarchiver::registerClass<Content>("Content");
    KeyedUnarchiver::registerClass<EntryCategory>("EntryCategory");
    KeyedUnarchiver::registerClass<VeskRanking>("VeskRanking");
    KeyedUnarchiver::registerClass<VeskAssess>("VeskAssess");
    KeyedUnarchiver::registerClass<VeskSubscribe>("VeskSubscribe");
    KeyedUnarchiver::registerClass<VeskThumbnail>("VeskThumbnail");
    KeyedUnarchiver::registerClass<VeskBump>("VeskBump");
    KeyedUnarchiver::registerClass<VeskSharing>("VeskSharing");
    KeyedUnarchiver::registerClass<VeskFavorite>("VeskFavorite");
    KeyedUnarchiver::registerClass<VeskSync>("VeskSync");
    KeyedUnarchiver::registerClass<VeskDevInfo>("VeskDevInfo");
    KeyedUnarchiver::registerClass<MBlogUser>("MBlogUser");
    KeyedUnarchiver::registerClass<VeskMBlog>("VeskMBlog");
    KeyedUnarchiver::registerClass<VeskCustomContent>("VeskCustomContent");
    KeyedUnarchiver::registerClass<XCoverImageDuration>("XCoverImageDuration");
    KeyedUnarchiver::registerClass<VeskMblogExtra>("VeskMblogExtra");
    KeyedUnarchiver::registerClass<VeskBook>("VeskBook");
    KeyedUnarchiver::registerClass<BookReview>("BookReview");
    KeyedUnarchiver::registerClass<VeskBookReviews>("VeskBookReviews");
    KeyedUnarchiver::registerClass<VeskEntryStatus>("VeskEntryStatus");
    KeyedUnarchiver::registerClass<VeskCustomization>("VeskCustomization");
    KeyedUnarchiver::registerClass<Entry>("Entry");
    KeyedUnarchiver::registerClass<Column>("Column");
    KeyedUnarchiver::registerClass<NewsSummary>("NewsSummary");
    KeyedUnarchiver::registerClass<NewsDetail>("NewsDetail");
    KeyedUnarchiver::registerClass<Comment>("Comment");
  });
}

}  // namespace zu
