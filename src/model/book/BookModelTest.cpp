#include <gtest/gtest.h>

#include <cstdint>

#include "model/entry/Link.h"
#include "model/book/BookCatalog.h"
#include "model/book/BookHighlight.h"
#include "model/book/BookReadInfo.h"
#include "model/book/Chapter.h"
#include "model/book/PageInfo.h"
#include "model/book/Section.h"
#include "platform/runtime/KeyedArchiver.h"
#include "platform/runtime/KeyedUnarchiver.h"

namespace zu {
namespace {

std::shared_ptr<PageInfo> pageInfo(int32_t base) {
  auto p = std::make_shared<PageInfo>();
  p->setLandscapePage(base + 1);
  p->setPortraitPage(base + 2);
  p->setLandscapePageOffset(base + 3);
  p->setPortraitPageOffset(base + 4);
  p->setFontSize(base + 5);
  p->setLandscapePreviewPage(base + 6);
  p->setPortraitPreviewPage(base + 7);
  return p;
}

void expectPageInfo(const std::shared_ptr<PageInfo>& p, int32_t base) {
  ASSERT_TRUE(p);
  EXPECT_EQ(p->landscapePage(), base + 1);
  EXPECT_EQ(p->portraitPage(), base + 2);
  EXPECT_EQ(p->landscapePageOffset(), base + 3);
  EXPECT_EQ(p->portraitPageOffset(), base + 4);
  EXPECT_EQ(p->fontSize(), base + 5);
  EXPECT_EQ(p->landscapePreviewPage(), base + 6);
  EXPECT_EQ(p->portraitPreviewPage(), base + 7);
}

std::shared_ptr<Section> fullSection() {
  auto s = std::make_shared<Section>();
  s->setType(2);
  s->setId("s-1");
  s->setTitle("第一回");
  s->setPayment(1);
  s->setVip(3);
  auto link = std::make_shared<Link>();
  link->setHref("http://b/s-1.html");
  link->setLength(99);
  s->setSectionLink(link);
  s->setMd5("ABC");
  s->setPageInfos(std::vector<std::shared_ptr<PageInfo>>{pageInfo(0), pageInfo(10)});
  s->setIndexId(7);
  s->setAllowPreview(true);
  s->setNeedDownload(true);
  s->setUpdated(INT64_MIN + 5);
  s->setMappingId("m-1");
  s->setOriginalIds(std::vector<std::string>{"s-1", "s-2"});
  s->setParentId("ch-1");
  return s;
}

TEST(BookModelTest, SectionRoundTripKeepsAllButNeedDownload) {
  BookCatalog::registerArchiveClasses();
  auto restored = KeyedUnarchiver::unarchiveObject<Section>(
      KeyedArchiver::archivedData(*fullSection()));
  ASSERT_TRUE(restored);
  EXPECT_EQ(restored->type(), 2);
  EXPECT_EQ(restored->id(), "s-1");
  EXPECT_EQ(restored->title(), "第一回");
  EXPECT_EQ(restored->payment(), 1);
  EXPECT_EQ(restored->vip(), 3);
  ASSERT_TRUE(restored->sectionLink());
  EXPECT_EQ(restored->sectionLink()->href(), "http://b/s-1.html");
  EXPECT_EQ(restored->sectionLink()->length(), 99);
  EXPECT_EQ(restored->md5(), "ABC");
  ASSERT_TRUE(restored->pageInfos());
  ASSERT_EQ(restored->pageInfos()->size(), 2u);
  expectPageInfo(restored->pageInfos()->at(0), 0);
  expectPageInfo(restored->pageInfos()->at(1), 10);
  EXPECT_EQ(restored->indexId(), 7);
  EXPECT_TRUE(restored->allowPreview());
  EXPECT_FALSE(restored->needDownload());
  EXPECT_EQ(restored->updated(), INT64_MIN + 5);
  EXPECT_EQ(restored->mappingId(), "m-1");
  ASSERT_TRUE(restored->originalIds());
  EXPECT_EQ(*restored->originalIds(), (std::vector<std::string>{"s-1", "s-2"}));
  EXPECT_EQ(restored->parentId(), "ch-1");

  // Absent fields come back absent, not empty.
  auto empty = KeyedUnarchiver::unarchiveObject<Section>(
      KeyedArchiver::archivedData(Section()));
  ASSERT_TRUE(empty);
  EXPECT_FALSE(empty->id());
  EXPECT_FALSE(empty->sectionLink());
  EXPECT_FALSE(empty->pageInfos());
  EXPECT_FALSE(empty->originalIds());
  EXPECT_EQ(empty->updated(), 0);
}

TEST(BookModelTest, CatalogueRestoresNestedObjects) {
  BookCatalog::registerArchiveClasses();
  auto chapter = std::make_shared<Chapter>();
  chapter->setId("ch-1");
  chapter->setTitle("第一卷");
  chapter->setIndexId(1);
  chapter->appendSections(fullSection());
  chapter->appendSections(std::make_shared<Section>());
  chapter->setPageInfos(std::vector<std::shared_ptr<PageInfo>>{pageInfo(20)});
  auto link = std::make_shared<Link>();
  link->setRel("chapter");
  chapter->setLink(link);
  BookCatalog catalog;
  catalog.setChapters(std::vector<std::shared_ptr<Chapter>>{chapter, std::make_shared<Chapter>()});
  catalog.setPageInfos(std::vector<std::shared_ptr<PageInfo>>{});
  catalog.setVersion(12);

  auto restored = KeyedUnarchiver::unarchiveObject<BookCatalog>(
      KeyedArchiver::archivedData(catalog));
  ASSERT_TRUE(restored && restored->chapters());
  EXPECT_EQ(restored->version(), 12);
  ASSERT_TRUE(restored->pageInfos());
  EXPECT_TRUE(restored->pageInfos()->empty());
  ASSERT_EQ(restored->chapters()->size(), 2u);
  const auto& ch = restored->chapters()->at(0);
  EXPECT_EQ(ch->id(), "ch-1");
  EXPECT_EQ(ch->title(), "第一卷");
  EXPECT_EQ(ch->indexId(), 1);
  EXPECT_EQ(ch->link()->rel(), "chapter");
  ASSERT_TRUE(ch->pageInfos());
  expectPageInfo(ch->pageInfos()->at(0), 20);
  ASSERT_TRUE(ch->sections());
  ASSERT_EQ(ch->sections()->size(), 2u);
  EXPECT_EQ(ch->sections()->at(0)->md5(), "ABC");
  expectPageInfo(ch->sections()->at(0)->pageInfos()->at(1), 10);
  EXPECT_FALSE(restored->chapters()->at(1)->sections());

  // Corrupt input is a clean failure.
  Bytes data = KeyedArchiver::archivedData(catalog);
  data[data.size() / 2] ^= 0x5A;
  EXPECT_FALSE(KeyedUnarchiver::unarchiveObject<BookCatalog>(data));
}

TEST(BookModelTest, ReadInfoFactoryAndPositions) {
  auto info = BookReadInfo::readInfoWithChapterId(std::nullopt, std::nullopt, 3, 4, 18);
  ASSERT_TRUE(info);
  EXPECT_FALSE(info->chapterId());
  EXPECT_FALSE(info->sectionId());
  EXPECT_EQ(info->landscapePage(), 3);
  EXPECT_EQ(info->portraitPage(), 4);
  EXPECT_EQ(info->fontSize(), 18);
  EXPECT_EQ(info->percent(), 0.0f);
  auto named = BookReadInfo::readInfoWithChapterId("c", "", 0, 0, 0);
  EXPECT_EQ(named->chapterId(), "c");
  EXPECT_EQ(named->sectionId(), "");  // empty is not absent

  std::shared_ptr<BookPosition> highlight = std::make_shared<BookHighlight>();
  highlight->setSectionId("s");
  EXPECT_EQ(highlight->sectionId(), "s");
}

}  // namespace
}  // namespace zu
