// Helpers for the archive tests: fill() sets every field of a record (objects and lists filled in
// turn), texts, numbers and objects to values that differ from the empty one and from those of the
// record's other fields, so that a field archived under another field's key shows; flags that come
// in pairs differ for odd seeds. expectSame() compares two records field by field, objects and
// lists deeply. Fields that are not archived are left out of expectSame and checked by the tests
// themselves.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/entry/Author.h"
#include "model/book/BookReview.h"
#include "model/entry/Content.h"
#include "model/entry/Entry.h"
#include "model/entry/EntryCategory.h"
#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
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

namespace zu::archive_test {

inline std::string text(const char* field, int seed) {
  return std::string(field) + "\u00b7" + std::to_string(seed);
}

inline void fill(Author& o, int seed);
inline void expectSame(const Author& a, const Author& b);
inline void fill(Link& o, int seed);
inline void expectSame(const Link& a, const Link& b);
inline void fill(Content& o, int seed);
inline void expectSame(const Content& a, const Content& b);
inline void fill(EntryCategory& o, int seed);
inline void expectSame(const EntryCategory& a, const EntryCategory& b);
inline void fill(VeskRanking& o, int seed);
inline void expectSame(const VeskRanking& a, const VeskRanking& b);
inline void fill(VeskAssess& o, int seed);
inline void expectSame(const VeskAssess& a, const VeskAssess& b);
inline void fill(VeskSubscribe& o, int seed);
inline void expectSame(const VeskSubscribe& a, const VeskSubscribe& b);
inline void fill(VeskThumbnail& o, int seed);
inline void expectSame(const VeskThumbnail& a, const VeskThumbnail& b);
inline void fill(VeskBump& o, int seed);
inline void expectSame(const VeskBump& a, const VeskBump& b);
inline void fill(VeskSharing& o, int seed);
inline void expectSame(const VeskSharing& a, const VeskSharing& b);
inline void fill(VeskFavorite& o, int seed);
inline void expectSame(const VeskFavorite& a, const VeskFavorite& b);
inline void fill(VeskSync& o, int seed);
inline void expectSame(const VeskSync& a, const VeskSync& b);
inline void fill(VeskDevInfo& o, int seed);
inline void expectSame(const VeskDevInfo& a, const VeskDevInfo& b);
inline void fill(MBlogUser& o, int seed);
inline void expectSame(const MBlogUser& a, const MBlogUser& b);
inline void fill(VeskMBlog& o, int seed);
inline void expectSame(const VeskMBlog& a, const VeskMBlog& b);
inline void fill(VeskCustomContent& o, int seed);
inline void expectSame(const VeskCustomContent& a, const VeskCustomContent& b);
inline void fill(XCoverImageDuration& o, int seed);
inline void expectSame(const XCoverImageDuration& a, const XCoverImageDuration& b);
inline void fill(VeskMblogExtra& o, int seed);
inline void expectSame(const VeskMblogExtra& a, const VeskMblogExtra& b);
inline void fill(VeskBook& o, int seed);
inline void expectSame(const VeskBook& a, const VeskBook& b);
inline void fill(BookReview& o, int seed);
inline void expectSame(const BookReview& a, const BookReview& b);
inline void fill(VeskBookReviews& o, int seed);
inline void expectSame(const VeskBookReviews& a, const VeskBookReviews& b);
inline void fill(VeskEntryStatus& o, int seed);
inline void expectSame(const VeskEntryStatus& a, const VeskEntryStatus& b);
inline void fill(VeskCustomization& o, int seed);
inline void expectSame(const VeskCustomization& a, const VeskCustomization& b);
inline void fill(Entry& o, int seed);
inline void expectSame(const Entry& a, const Entry& b);

template <typename T>
std::shared_ptr<T> filled(int seed) {
  auto o = std::make_shared<T>();
  fill(*o, seed);
  return o;
}

template <typename T>
void expectSameObject(const std::shared_ptr<T>& a, const std::shared_ptr<T>& b, const char* field) {
  ASSERT_EQ(a == nullptr, b == nullptr) << field;
  if (a) expectSame(*a, *b);
}

template <typename T>
void expectSameList(const std::optional<std::vector<std::shared_ptr<T>>>& a,
                    const std::optional<std::vector<std::shared_ptr<T>>>& b, const char* field) {
  ASSERT_EQ(a.has_value(), b.has_value()) << field;
  if (!a) return;
  ASSERT_EQ(a->size(), b->size()) << field;
  for (size_t i = 0; i < a->size(); ++i) expectSameObject((*a)[i], (*b)[i], field);
}

inline void fill(Author& o, int seed) {
  o.setName(text("name", seed));
  o.setUri(text("uri", seed));
  o.setEmail(text("email", seed));
  o.setProfileImageLink(filled<Link>(seed + 1));
  o.setProfile(text("profile", seed));
  o.setBooksLink(filled<Link>(seed + 2));
}

inline void expectSame(const Author& a, const Author& b) {
  EXPECT_EQ(a.name(), b.name()) << "Author.name";
  EXPECT_EQ(a.uri(), b.uri()) << "Author.uri";
  EXPECT_EQ(a.email(), b.email()) << "Author.email";
  expectSameObject(a.profileImageLink(), b.profileImageLink(), "Author.profileImageLink");
  EXPECT_EQ(a.profile(), b.profile()) << "Author.profile";
  expectSameObject(a.booksLink(), b.booksLink(), "Author.booksLink");
}

inline void fill(Link& o, int seed) {
  o.setTitle(text("title", seed));
  o.setRel(text("rel", seed));
  o.setType(text("type", seed));
  o.setHref(text("href", seed));
  o.setHreflang(text("hreflang", seed));
  o.setLength(-(seed * 100 + 6));
  o.setIsdefaultpic(true);
  o.setIsautodownload(seed % 2 == 0);
  o.setVendor(text("vendor", seed));
  o.setHrefForSelected(text("hrefForSelected", seed));
}

inline void expectSame(const Link& a, const Link& b) {
  EXPECT_EQ(a.title(), b.title()) << "Link.title";
  EXPECT_EQ(a.rel(), b.rel()) << "Link.rel";
  EXPECT_EQ(a.type(), b.type()) << "Link.type";
  EXPECT_EQ(a.href(), b.href()) << "Link.href";
  EXPECT_EQ(a.hreflang(), b.hreflang()) << "Link.hreflang";
  EXPECT_EQ(a.length(), b.length()) << "Link.length";
  EXPECT_EQ(a.isdefaultpic(), b.isdefaultpic()) << "Link.isdefaultpic";
  EXPECT_EQ(a.isautodownload(), b.isautodownload()) << "Link.isautodownload";
  EXPECT_EQ(a.vendor(), b.vendor()) << "Link.vendor";
  EXPECT_EQ(a.hrefForSelected(), b.hrefForSelected()) << "Link.hrefForSelected";
}

inline void fill(Content& o, int seed) {
  o.setType(seed * 100 + 1);
  o.setMimeType(text("mimeType", seed));
  o.setSrc(text("src", seed));
  o.setData(text("data", seed));
}

inline void expectSame(const Content& a, const Content& b) {
  EXPECT_EQ(a.type(), b.type()) << "Content.type";
  EXPECT_EQ(a.mimeType(), b.mimeType()) << "Content.mimeType";
  EXPECT_EQ(a.src(), b.src()) << "Content.src";
  EXPECT_EQ(a.data(), b.data()) << "Content.data";
}

inline void fill(EntryCategory& o, int seed) {
  o.setTerm(text("term", seed));
  o.setLabel(text("label", seed));
  o.setGetnext(true);
  o.setScheme(text("scheme", seed));
  o.setIscustomcontent(seed % 2 == 0);
  o.setCount(-(seed * 100 + 6));
}

inline void expectSame(const EntryCategory& a, const EntryCategory& b) {
  EXPECT_EQ(a.term(), b.term()) << "EntryCategory.term";
  EXPECT_EQ(a.label(), b.label()) << "EntryCategory.label";
  EXPECT_EQ(a.getnext(), b.getnext()) << "EntryCategory.getnext";
  EXPECT_EQ(a.scheme(), b.scheme()) << "EntryCategory.scheme";
  EXPECT_EQ(a.iscustomcontent(), b.iscustomcontent()) << "EntryCategory.iscustomcontent";
  EXPECT_EQ(a.count(), b.count()) << "EntryCategory.count";
}

inline void fill(VeskRanking& o, int seed) {
  o.setMinValue(seed * 100 + 1);
  o.setMaxValue(-(seed * 100 + 2));
  o.setValue(static_cast<float>(seed) + 0.75f);
  o.setTimes(-(seed * 100 + 4));
  o.setTitle(text("title", seed));
  o.setHref(text("href", seed));
}

inline void expectSame(const VeskRanking& a, const VeskRanking& b) {
  EXPECT_EQ(a.minValue(), b.minValue()) << "VeskRanking.minValue";
  EXPECT_EQ(a.maxValue(), b.maxValue()) << "VeskRanking.maxValue";
  EXPECT_EQ(a.value(), b.value()) << "VeskRanking.value";
  EXPECT_EQ(a.times(), b.times()) << "VeskRanking.times";
  EXPECT_EQ(a.title(), b.title()) << "VeskRanking.title";
  EXPECT_EQ(a.href(), b.href()) << "VeskRanking.href";
}

inline void fill(VeskAssess& o, int seed) {
  o.setTitle(text("title", seed));
  o.setMinLength(-(seed * 100 + 2));
  o.setMaxLength(seed * 100 + 3);
  o.setTimes(-(seed * 100 + 4));
  o.setHref(text("href", seed));
  o.setType(text("type", seed));
}

inline void expectSame(const VeskAssess& a, const VeskAssess& b) {
  EXPECT_EQ(a.title(), b.title()) << "VeskAssess.title";
  EXPECT_EQ(a.minLength(), b.minLength()) << "VeskAssess.minLength";
  EXPECT_EQ(a.maxLength(), b.maxLength()) << "VeskAssess.maxLength";
  EXPECT_EQ(a.times(), b.times()) << "VeskAssess.times";
  EXPECT_EQ(a.href(), b.href()) << "VeskAssess.href";
  EXPECT_EQ(a.type(), b.type()) << "VeskAssess.type";
}

inline void fill(VeskSubscribe& o, int seed) {
  o.setSubscribable(true);
  o.setSubscribed(-(seed * 100 + 2));
  o.setTimes(seed * 100 + 3);
  o.setUpdateFrequency(text("updateFrequency", seed));
}

inline void expectSame(const VeskSubscribe& a, const VeskSubscribe& b) {
  EXPECT_EQ(a.subscribable(), b.subscribable()) << "VeskSubscribe.subscribable";
  EXPECT_EQ(a.subscribed(), b.subscribed()) << "VeskSubscribe.subscribed";
  EXPECT_EQ(a.times(), b.times()) << "VeskSubscribe.times";
  EXPECT_EQ(a.updateFrequency(), b.updateFrequency()) << "VeskSubscribe.updateFrequency";
}

inline void fill(VeskThumbnail& o, int seed) {
  o.setType(text("type", seed));
  o.setHref(text("href", seed));
  o.setWidth(seed * 100 + 3);
  o.setHeight(-(seed * 100 + 4));
}

inline void expectSame(const VeskThumbnail& a, const VeskThumbnail& b) {
  EXPECT_EQ(a.type(), b.type()) << "VeskThumbnail.type";
  EXPECT_EQ(a.href(), b.href()) << "VeskThumbnail.href";
  EXPECT_EQ(a.width(), b.width()) << "VeskThumbnail.width";
  EXPECT_EQ(a.height(), b.height()) << "VeskThumbnail.height";
}

inline void fill(VeskBump& o, int seed) {
  o.setAction(true);
  o.setTimes(-(seed * 100 + 2));
  o.setHref(text("href", seed));
}

inline void expectSame(const VeskBump& a, const VeskBump& b) {
  EXPECT_EQ(a.action(), b.action()) << "VeskBump.action";
  EXPECT_EQ(a.times(), b.times()) << "VeskBump.times";
  EXPECT_EQ(a.href(), b.href()) << "VeskBump.href";
}

inline void fill(VeskSharing& o, int seed) {
  o.setAction(text("action", seed));
  o.setTimes(-(seed * 100 + 2));
  o.setHref(text("href", seed));
}

inline void expectSame(const VeskSharing& a, const VeskSharing& b) {
  EXPECT_EQ(a.action(), b.action()) << "VeskSharing.action";
  EXPECT_EQ(a.times(), b.times()) << "VeskSharing.times";
  EXPECT_EQ(a.href(), b.href()) << "VeskSharing.href";
}

inline void fill(VeskFavorite& o, int seed) {
  o.setCollectable(true);
  o.setCollected(-(seed * 100 + 2));
  o.setCount(seed * 100 + 3);
}

inline void expectSame(const VeskFavorite& a, const VeskFavorite& b) {
  EXPECT_EQ(a.collectable(), b.collectable()) << "VeskFavorite.collectable";
  EXPECT_EQ(a.collected(), b.collected()) << "VeskFavorite.collected";
  EXPECT_EQ(a.count(), b.count()) << "VeskFavorite.count";
}

inline void fill(VeskSync& o, int seed) { o.setInterval(seed * 100 + 1); }

inline void expectSame(const VeskSync& a, const VeskSync& b) {
  EXPECT_EQ(a.interval(), b.interval()) << "VeskSync.interval";
}

inline void fill(VeskDevInfo& o, int seed) { o.setId(text("id", seed)); }

inline void expectSame(const VeskDevInfo& a, const VeskDevInfo& b) {
  EXPECT_EQ(a.id(), b.id()) << "VeskDevInfo.id";
}

inline void fill(MBlogUser& o, int seed) {
  o.setName(text("name", seed));
  o.setProfile_img_url(text("profile_img_url", seed));
}

inline void expectSame(const MBlogUser& a, const MBlogUser& b) {
  EXPECT_EQ(a.name(), b.name()) << "MBlogUser.name";
  EXPECT_EQ(a.profile_img_url(), b.profile_img_url()) << "MBlogUser.profile_img_url";
}

inline void fill(VeskMBlog& o, int seed) {
  o.setLayoutLink(filled<Link>(seed + 1));
  o.setLayoutUser(filled<MBlogUser>(seed + 2));
  o.setLayoutRetweeted(filled<MBlogUser>(seed + 3));
  o.setTranslated(filled<Content>(seed + 4));
}

inline void expectSame(const VeskMBlog& a, const VeskMBlog& b) {
  expectSameObject(a.layoutLink(), b.layoutLink(), "VeskMBlog.layoutLink");
  expectSameObject(a.layoutUser(), b.layoutUser(), "VeskMBlog.layoutUser");
  expectSameObject(a.layoutRetweeted(), b.layoutRetweeted(), "VeskMBlog.layoutRetweeted");
  expectSameObject(a.translated(), b.translated(), "VeskMBlog.translated");
}

inline void fill(VeskCustomContent& o, int seed) {
  o.setLink(filled<Link>(seed + 1));
  o.setContent(filled<Content>(seed + 1));
}

inline void expectSame(const VeskCustomContent& a, const VeskCustomContent& b) {
  expectSameObject(a.link(), b.link(), "VeskCustomContent.link");
  expectSameObject(a.content(), b.content(), "VeskCustomContent.content");
}

inline void fill(XCoverImageDuration& o, int seed) { o.setValue(seed * 100 + 1); }

inline void expectSame(const XCoverImageDuration& a, const XCoverImageDuration& b) {
  EXPECT_EQ(a.value(), b.value()) << "XCoverImageDuration.value";
}

inline void fill(VeskMblogExtra& o, int seed) {
  o.setVeskFavorite(filled<VeskFavorite>(seed + 1));
  o.setVeskAssess(filled<VeskAssess>(seed + 2));
  o.setAddFavoritelink(filled<Link>(seed + 3));
  o.setDelFavoritelink(filled<Link>(seed + 4));
  o.setRepostlink(filled<Link>(seed + 5));
}

inline void expectSame(const VeskMblogExtra& a, const VeskMblogExtra& b) {
  expectSameObject(a.veskFavorite(), b.veskFavorite(), "VeskMblogExtra.veskFavorite");
  expectSameObject(a.veskAssess(), b.veskAssess(), "VeskMblogExtra.veskAssess");
  expectSameObject(a.addFavoritelink(), b.addFavoritelink(), "VeskMblogExtra.addFavoritelink");
  expectSameObject(a.delFavoritelink(), b.delFavoritelink(), "VeskMblogExtra.delFavoritelink");
  expectSameObject(a.repostlink(), b.repostlink(), "VeskMblogExtra.repostlink");
}

inline void fill(VeskBook& o, int seed) {
  o.setTranslator(text("translator", seed));
  o.setPublisher(text("publisher", seed));
  o.setDate(text("date", seed));
  o.setPrice(static_cast<float>(seed) + 1.00f);
  o.setPages(seed * 100 + 5);
  o.setBinding(text("binding", seed));
  o.setIsbn(text("isbn", seed));
  o.setVip(-(seed * 100 + 8));
  o.setPayment(seed * 100 + 9);
  o.setIntegrity(-(seed * 100 + 10));
  o.setHardCopyLink(filled<Link>(seed + 1));
  o.setPaytype(-(seed * 100 + 12));
  o.setKeyname(text("keyname", seed));
  o.setUpdated(-(int64_t{1} << 41) - seed * 1000 - 14);
}

inline void expectSame(const VeskBook& a, const VeskBook& b) {
  EXPECT_EQ(a.translator(), b.translator()) << "VeskBook.translator";
  EXPECT_EQ(a.publisher(), b.publisher()) << "VeskBook.publisher";
  EXPECT_EQ(a.date(), b.date()) << "VeskBook.date";
  EXPECT_EQ(a.price(), b.price()) << "VeskBook.price";
  EXPECT_EQ(a.pages(), b.pages()) << "VeskBook.pages";
  EXPECT_EQ(a.binding(), b.binding()) << "VeskBook.binding";
  EXPECT_EQ(a.isbn(), b.isbn()) << "VeskBook.isbn";
  EXPECT_EQ(a.vip(), b.vip()) << "VeskBook.vip";
  EXPECT_EQ(a.payment(), b.payment()) << "VeskBook.payment";
  EXPECT_EQ(a.integrity(), b.integrity()) << "VeskBook.integrity";
  expectSameObject(a.hardCopyLink(), b.hardCopyLink(), "VeskBook.hardCopyLink");
  EXPECT_EQ(a.paytype(), b.paytype()) << "VeskBook.paytype";
  EXPECT_EQ(a.keyname(), b.keyname()) << "VeskBook.keyname";
}

inline void fill(BookReview& o, int seed) {
  o.setType(text("type", seed));
  o.setComment(text("comment", seed));
  o.setLink(filled<Link>(seed + 1));
}

inline void expectSame(const BookReview& a, const BookReview& b) {
  EXPECT_EQ(a.type(), b.type()) << "BookReview.type";
  EXPECT_EQ(a.comment(), b.comment()) << "BookReview.comment";
  expectSameObject(a.link(), b.link(), "BookReview.link");
}

inline void fill(VeskBookReviews& o, int seed) {
  o.setBookReviews(std::vector{filled<BookReview>(seed + 1), filled<BookReview>(seed + 2)});
}

inline void expectSame(const VeskBookReviews& a, const VeskBookReviews& b) {
  expectSameList(a.bookReviews(), b.bookReviews(), "VeskBookReviews.bookReviews");
}

inline void fill(VeskEntryStatus& o, int seed) {
  o.setRead(seed * 100 + 1);
  o.setType(-(seed * 100 + 2));
  o.setExtendStyle(seed * 100 + 3);
  o.setBaseStyle(-(seed * 100 + 4));
  o.setMultiLayer(seed * 100 + 5);
}

inline void expectSame(const VeskEntryStatus& a, const VeskEntryStatus& b) {
  EXPECT_EQ(a.read(), b.read()) << "VeskEntryStatus.read";
  EXPECT_EQ(a.type(), b.type()) << "VeskEntryStatus.type";
  EXPECT_EQ(a.extendStyle(), b.extendStyle()) << "VeskEntryStatus.extendStyle";
  EXPECT_EQ(a.baseStyle(), b.baseStyle()) << "VeskEntryStatus.baseStyle";
  EXPECT_EQ(a.multiLayer(), b.multiLayer()) << "VeskEntryStatus.multiLayer";
}

inline void fill(VeskCustomization& o, int seed) {
  o.setSearchHref(text("searchHref", seed));
  o.setType(text("type", seed));
  o.setGroupmode(text("groupmode", seed));
  o.setId(text("id", seed));
  o.setSelf(true);
  o.setSubHref(text("subHref", seed));
}

inline void expectSame(const VeskCustomization& a, const VeskCustomization& b) {
  EXPECT_EQ(a.searchHref(), b.searchHref()) << "VeskCustomization.searchHref";
  EXPECT_EQ(a.type(), b.type()) << "VeskCustomization.type";
  EXPECT_EQ(a.groupmode(), b.groupmode()) << "VeskCustomization.groupmode";
  EXPECT_EQ(a.id(), b.id()) << "VeskCustomization.id";
  EXPECT_EQ(a.self(), b.self()) << "VeskCustomization.self";
  EXPECT_EQ(a.subHref(), b.subHref()) << "VeskCustomization.subHref";
}

inline void fill(Entry& o, int seed) {
  o.setTitle(text("title", seed));
  o.setEntryId(text("entryId", seed));
  o.setUpdated(-(int64_t{1} << 41) - seed * 1000 - 3);
  o.setAuthor(filled<Author>(seed + 1));
  o.setSubtitle(text("subtitle", seed));
  o.setSummary(text("summary", seed));
  o.setContent(filled<Content>(seed + 2));
  o.setVeskPagedcontent(filled<Content>(seed + 3));
  o.setAlternatelink(filled<Link>(seed + 4));
  o.setCoverImageVerticalLink(filled<Link>(seed + 5));
  o.setCoverImageHorizontalLink(filled<Link>(seed + 6));
  o.setCoverImageLink(filled<Link>(seed + 7));
  o.setCoverImageThumbnailLink(filled<Link>(seed + 8));
  o.setBuyLink(filled<Link>(seed + 9));
  o.setEditLink(filled<Link>(seed + 10));
  o.setEditMediaLink(filled<Link>(seed + 11));
  o.setCommentsLink(filled<Link>(seed + 12));
  o.setRelatedLink(filled<Link>(seed + 13));
  o.setWeiboLink(filled<Link>(seed + 14));
  o.setSubPreviewLink(filled<Link>(seed + 15));
  o.setLinks(std::vector{filled<Link>(seed + 16), filled<Link>(seed + 17)});
  o.setCategory(filled<EntryCategory>(seed + 18));
  o.setVeskRanking(filled<VeskRanking>(seed + 19));
  o.setVeskAssess(filled<VeskAssess>(seed + 20));
  o.setVeskSubscribe(filled<VeskSubscribe>(seed + 21));
  o.setVeskThumbnail(filled<VeskThumbnail>(seed + 22));
  o.setVeskBump(filled<VeskBump>(seed + 23));
  o.setVeskSharing(filled<VeskSharing>(seed + 24));
  o.setVeskFavorite(filled<VeskFavorite>(seed + 25));
  o.setVeskEntryStatus(filled<VeskEntryStatus>(seed + 26));
  o.setVeskSync(filled<VeskSync>(seed + 27));
  o.setVeskDevInfo(filled<VeskDevInfo>(seed + 28));
  o.setVeskMBlog(filled<VeskMBlog>(seed + 29));
  o.setVeskCustomization(filled<VeskCustomization>(seed + 30));
  o.setVeskCustomContent(filled<VeskCustomContent>(seed + 31));
  o.setXCoverImageDuration(filled<XCoverImageDuration>(seed + 32));
  o.setVeskMblogExtra(filled<VeskMblogExtra>(seed + 33));
  o.setLastCacheTime(-(int64_t{1} << 41) - seed * 1000 - 38);
  o.setVeskBook(filled<VeskBook>(seed + 34));
  o.setCatalogLink(filled<Link>(seed + 35));
  o.setBookDetailLink(filled<Link>(seed + 36));
  o.setBookReviewLink(filled<Link>(seed + 37));
  o.setBookContentLink(filled<Link>(seed + 38));
  o.setVeskBookReviews(filled<VeskBookReviews>(seed + 39));
  o.setVeskBookExtraLink(filled<Link>(seed + 40));
}

inline void expectSame(const Entry& a, const Entry& b) {
  EXPECT_EQ(a.title(), b.title()) << "Entry.title";
  EXPECT_EQ(a.entryId(), b.entryId()) << "Entry.entryId";
  EXPECT_EQ(a.updated(), b.updated()) << "Entry.updated";
  expectSameObject(a.author(), b.author(), "Entry.author");
  EXPECT_EQ(a.subtitle(), b.subtitle()) << "Entry.subtitle";
  EXPECT_EQ(a.summary(), b.summary()) << "Entry.summary";
  expectSameObject(a.content(), b.content(), "Entry.content");
  expectSameObject(a.veskPagedcontent(), b.veskPagedcontent(), "Entry.veskPagedcontent");
  expectSameObject(a.alternatelink(), b.alternatelink(), "Entry.alternatelink");
  expectSameObject(a.coverImageVerticalLink(), b.coverImageVerticalLink(),
                   "Entry.coverImageVerticalLink");
  expectSameObject(a.coverImageHorizontalLink(), b.coverImageHorizontalLink(),
                   "Entry.coverImageHorizontalLink");
  expectSameObject(a.coverImageLink(), b.coverImageLink(), "Entry.coverImageLink");
  expectSameObject(a.coverImageThumbnailLink(), b.coverImageThumbnailLink(),
                   "Entry.coverImageThumbnailLink");
  expectSameObject(a.buyLink(), b.buyLink(), "Entry.buyLink");
  expectSameObject(a.editLink(), b.editLink(), "Entry.editLink");
  expectSameObject(a.editMediaLink(), b.editMediaLink(), "Entry.editMediaLink");
  expectSameObject(a.commentsLink(), b.commentsLink(), "Entry.commentsLink");
  expectSameObject(a.relatedLink(), b.relatedLink(), "Entry.relatedLink");
  expectSameObject(a.weiboLink(), b.weiboLink(), "Entry.weiboLink");
  expectSameObject(a.subPreviewLink(), b.subPreviewLink(), "Entry.subPreviewLink");
  expectSameList(a.links(), b.links(), "Entry.links");
  expectSameObject(a.category(), b.category(), "Entry.category");
  expectSameObject(a.veskRanking(), b.veskRanking(), "Entry.veskRanking");
  expectSameObject(a.veskAssess(), b.veskAssess(), "Entry.veskAssess");
  expectSameObject(a.veskSubscribe(), b.veskSubscribe(), "Entry.veskSubscribe");
  expectSameObject(a.veskThumbnail(), b.veskThumbnail(), "Entry.veskThumbnail");
  expectSameObject(a.veskBump(), b.veskBump(), "Entry.veskBump");
  expectSameObject(a.veskSharing(), b.veskSharing(), "Entry.veskSharing");
  expectSameObject(a.veskFavorite(), b.veskFavorite(), "Entry.veskFavorite");
  expectSameObject(a.veskEntryStatus(), b.veskEntryStatus(), "Entry.veskEntryStatus");
  expectSameObject(a.veskSync(), b.veskSync(), "Entry.veskSync");
  expectSameObject(a.veskDevInfo(), b.veskDevInfo(), "Entry.veskDevInfo");
  expectSameObject(a.veskMBlog(), b.veskMBlog(), "Entry.veskMBlog");
  expectSameObject(a.veskCustomization(), b.veskCustomization(), "Entry.veskCustomization");
  expectSameObject(a.veskCustomContent(), b.veskCustomContent(), "Entry.veskCustomContent");
  expectSameObject(a.xCoverImageDuration(), b.xCoverImageDuration(), "Entry.xCoverImageDuration");
  expectSameObject(a.veskMblogExtra(), b.veskMblogExtra(), "Entry.veskMblogExtra");
  EXPECT_EQ(a.lastCacheTime(), b.lastCacheTime()) << "Entry.lastCacheTime";
  expectSameObject(a.veskBook(), b.veskBook(), "Entry.veskBook");
  expectSameObject(a.catalogLink(), b.catalogLink(), "Entry.catalogLink");
  expectSameObject(a.bookDetailLink(), b.bookDetailLink(), "Entry.bookDetailLink");
  expectSameObject(a.bookReviewLink(), b.bookReviewLink(), "Entry.bookReviewLink");
  expectSameObject(a.veskBookReviews(), b.veskBookReviews(), "Entry.veskBookReviews");
  expectSameObject(a.veskBookExtraLink(), b.veskBookExtraLink(), "Entry.veskBookExtraLink");
}

}  // namespace zu::archive_test
