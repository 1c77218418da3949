#include "common/CObject.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace zu {
namespace {

// The sanitizer build catches a double free, a free of borrowed memory and a leak here.
TEST(CObjectTest, OwnsOnlyItsOwnCopy) {
  int counter = 41;
  {
    auto borrowed = std::make_shared<CObject>(&counter);
    EXPECT_EQ(borrowed->object(), &counter);
    EXPECT_FALSE(borrowed->needFree());
    ++*static_cast<int*>(borrowed->object());
  }
  EXPECT_EQ(counter, 42);

  const char text[] = "payload";
  CObject owned(text, sizeof text);
  EXPECT_TRUE(owned.needFree());
  ASSERT_NE(owned.object(), text);
  EXPECT_STREQ(static_cast<const char*>(owned.object()), "payload");

  // Replacing frees the copy at once and borrows the new pointer, which is never freed.
  void* other = std::malloc(4);
  owned.setObject(other);
  EXPECT_EQ(owned.object(), other);
  EXPECT_FALSE(owned.needFree());
  owned.setObject(nullptr);
  std::free(other);

  CObject empty(static_cast<const void*>(nullptr), 8);
  EXPECT_EQ(empty.object(), nullptr);
}

}  // namespace
}  // namespace zu
