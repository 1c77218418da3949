#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "model/columns/Column.h"
#include "model/columns/LatestSummaryIdSource.h"

namespace zu {
namespace {

// The two recorded ids per column, as the subscription store keeps them.
class RecordedIds : public LatestSummaryIdSource {
 public:
  std::map<std::string, std::string> newest;
  std::map<std::string, std::string> shown;

  std::optional<std::string> getColumnLastestSummaryId(const std::string& columnId) override {
    auto it = newest.find(columnId);
    return it == newest.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> getColumnLastestShowedSummaryId(const std::string& columnId) override {
    auto it = shown.find(columnId);
    return it == shown.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
};

TEST(ColumnTest, HasNewContentWhenTheNewestRecordedIdWasNotShown) {
  RecordedIds ids;
  Column column;
  column.setEntryId("c1");
  EXPECT_FALSE(column.haveNewContent(&ids));  // nothing recorded

  ids.newest["c1"] = "a7";
  EXPECT_TRUE(column.haveNewContent(&ids));  // only the newest id recorded

  ids.shown["c1"] = "a7";
  EXPECT_FALSE(column.haveNewContent(&ids));

  ids.shown["c1"] = "A7";  // exact comparison
  EXPECT_TRUE(column.haveNewContent(&ids));

  ids.newest.erase("c1");
  EXPECT_FALSE(column.haveNewContent(&ids));  // a shown id alone is not new content

  ids.newest["c1"] = "a8";
  EXPECT_FALSE(column.haveNewContent(nullptr));
  Column withoutId;
  EXPECT_FALSE(withoutId.haveNewContent(&ids));
}

}  // namespace
}  // namespace zu
