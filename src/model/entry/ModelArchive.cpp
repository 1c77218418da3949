#include "model/entry/ModelArchive.h"

#include <mutex>

#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/columns/Column.h"
#include "model/entry/Comment.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/NewsDetail.h"
#include "model/entry/NewsSummary.h"
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
