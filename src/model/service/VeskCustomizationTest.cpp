#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "model/service/VeskCustomization.h"

namespace zu {
namespace {

TEST(VeskCustomizationTest, MicroblogWordsMapToTheirOpenPlatforms) {
  const struct {
    std::optional<std::string> type;
    int32_t platform;
  } cases[] = {{"zelvanemblog", 0}, {"sinamblog", 1},   {"qqmblog", 2},
               {"sohumblog", 3},    {"qqzone", -1},     {"rss", -1},
               {"SinaMblog", -1},   {"sinamblog ", -1}, {"", -1},
               {std::nullopt, -1}};
  for (const auto& c : cases) {
    VeskCustomization customization;
    customization.setType(c.type);
    EXPECT_EQ(customization.getOpenPlatformType(), c.platform) << c.type.value_or("(none)");
    EXPECT_EQ(customization.isMBlogType(), c.platform >= 0) << c.type.value_or("(none)");
  }
}

}  // namespace
}  // namespace zu
