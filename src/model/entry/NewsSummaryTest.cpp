#include <gtest/gtest.h>

#include <memory>

#include "model/entry/Link.h"
#include "model/columns/MBlogUser.h"
#include "model/entry/NewsSummary.h"
#include "model/service/VeskMBlog.h"
#include "model/service/VeskThumbnail.h"

namespace zu {
namespace {

TEST(NewsSummaryTest, MicroblogLayoutPriorityTakesTheFirstMatch) {
  NewsSummary item;
  EXPECT_EQ(item.getMBlogLayoutPriority(), 3);  // no microblog record, no thumbnail

  auto mblog = std::make_shared<VeskMBlog>();
  item.setVeskMBlog(mblog);
  mblog->setLayoutLink(std::make_shared<Link>());  // a layout link without address
  EXPECT_EQ(item.getMBlogLayoutPriority(), 3);

  mblog->setLayoutRetweeted(std::make_shared<MBlogUser>());
  EXPECT_EQ(item.getMBlogLayoutPriority(), 2);

  item.setVeskThumbnail(std::make_shared<VeskThumbnail>());
  EXPECT_EQ(item.getMBlogLayoutPriority(), 1);  // thumbnail before retweeted user

  mblog->layoutLink()->setHref("");
  EXPECT_EQ(item.getMBlogLayoutPriority(), 0);  // an address, even empty, wins

  NewsSummary thumbnailOnly;
  thumbnailOnly.setVeskThumbnail(std::make_shared<VeskThumbnail>());
  EXPECT_EQ(thumbnailOnly.getMBlogLayoutPriority(), 1);
}

}  // namespace
}  // namespace zu
