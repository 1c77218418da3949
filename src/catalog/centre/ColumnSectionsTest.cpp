#include "catalog/centre/ColumnSections.h"

#include <gtest/gtest.h>

#include "catalog/centre/CatalogTestSupport.h"

namespace zu {
namespace {

using testing::catalogueColumn;

std::vector<std::shared_ptr<Entry>> entries(const std::vector<std::optional<std::string>>& terms,
                                            const std::string& prefix = "c") {
  std::vector<std::shared_ptr<Entry>> list;
  for (size_t i = 0; i < terms.size(); ++i) list.push_back(catalogueColumn(prefix + std::to_string(i), terms[i]));
  return list;
}

std::vector<size_t> sizes(const ColumnSections::List& list) {
  std::vector<size_t> out;
  for (const auto& section : list) out.push_back(section.size());
  return out;
}

TEST(ColumnSectionsTest, RunsOfOneTermFormSectionsAndTermlessColumnsDifferByRoad) {
  // A, A, B, A: a term coming back opens a new section.
  EXPECT_EQ(sizes(ColumnSections::firstPage(entries({"A", "A", "B", "A"}))), (std::vector<size_t>{2, 1, 1}));
  EXPECT_EQ(sizes(ColumnSections::search(entries({"A", "A", "B", "A"}))), (std::vector<size_t>{2, 1, 1}));
  // Two columns without a term: each its own section in the catalogue, one section in a search.
  EXPECT_EQ(sizes(ColumnSections::firstPage(entries({std::nullopt, std::nullopt}))), (std::vector<size_t>{1, 1}));
  EXPECT_EQ(sizes(ColumnSections::search(entries({std::nullopt, std::nullopt}))), (std::vector<size_t>{2}));
  // A termless column after a termed one: apart in the catalogue, joined in a search.
  EXPECT_EQ(sizes(ColumnSections::firstPage(entries({"A", std::nullopt, "A"}))), (std::vector<size_t>{1, 1, 1}));
  EXPECT_EQ(sizes(ColumnSections::search(entries({"A", std::nullopt, "A"}))), (std::vector<size_t>{3}));
  EXPECT_TRUE(ColumnSections::firstPage({}).empty());
}

TEST(ColumnSectionsTest, APageContinuesTheLastSectionKeyedByItsFirstColumn) {
  auto list = ColumnSections::firstPage(entries({"A", "B", "B"}));
  ColumnSections::append(list, entries({"B", std::nullopt, "C"}, "p"));
  // B continues (2 + 2, the termless joining), C opens.
  ASSERT_EQ(sizes(list), (std::vector<size_t>{1, 4, 1}));
  EXPECT_EQ(list[1][2]->entryId(), "p0");
  EXPECT_EQ(list[2][0]->entryId(), "p2");

  // The last section's first column keys it, not its last one.
  auto mixed = ColumnSections::search(entries({"A", std::nullopt}));
  ColumnSections::append(mixed, entries({"A"}, "q"));
  EXPECT_EQ(sizes(mixed), (std::vector<size_t>{3}));

  ColumnSections::List empty;
  ColumnSections::append(empty, entries({std::nullopt, "A"}, "e"));
  EXPECT_EQ(sizes(empty), (std::vector<size_t>{1, 1}));
}

TEST(ColumnSectionsTest, EntriesThatAreNotColumnsAreSkipped) {
  std::vector<std::shared_ptr<Entry>> list = {std::make_shared<Entry>(), catalogueColumn("x", std::string("A"))};
  EXPECT_EQ(sizes(ColumnSections::firstPage(list)), (std::vector<size_t>{1}));
}

}  // namespace
}  // namespace zu
