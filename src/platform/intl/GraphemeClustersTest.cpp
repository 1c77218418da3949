#include "platform/intl/GraphemeClusters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zu {
namespace {

// Every boundary of `text`, walked forward and backward: the two walks must agree.
std::vector<size_t> boundaries(const std::string& text) {
  GraphemeClusters clusters(text);
  std::vector<size_t> forward{0};
  while (forward.back() < clusters.length()) forward.push_back(clusters.following(forward.back()));
  std::vector<size_t> backward{clusters.length()};
  while (backward.front() > 0) backward.insert(backward.begin(), clusters.preceding(backward.front()));
  EXPECT_EQ(forward, backward) << text;
  return forward;
}

// What shows as one character is one cluster, however many code units and code points make it:
// a letter and its accents, an emoji with a skin tone, people joined into a family, a flag's two
// letters, a Hangul syllable of jamo, CR LF; what shows as two is two.
TEST(GraphemeClustersTest, WhatShowsAsOneCharacterIsOneCluster) {
  EXPECT_EQ((std::vector<size_t>{0, 1, 2}), boundaries("港口"));
  EXPECT_EQ((std::vector<size_t>{0, 3, 4}), boundaries("e\u0301\u0323x"));             // e, two accents, x
  EXPECT_EQ((std::vector<size_t>{0, 4}), boundaries("\U0001F44D\U0001F3FD"));           // thumbs up, a tone
  EXPECT_EQ((std::vector<size_t>{0, 8}), boundaries("\U0001F468\u200D\U0001F469\u200D\U0001F467"));
  EXPECT_EQ((std::vector<size_t>{0, 4, 8}), boundaries("\U0001F1E8\U0001F1F3\U0001F1EF\U0001F1F5"));  // two flags
  EXPECT_EQ((std::vector<size_t>{0, 3}), boundaries("\u1112\u1161\u11AB"));             // 한 in jamo
  EXPECT_EQ((std::vector<size_t>{0, 1, 3, 4}), boundaries("a\r\nb"));
  EXPECT_EQ((std::vector<size_t>{0}), boundaries(""));

  GraphemeClusters flags("a\U0001F1E8\U0001F1F3");
  EXPECT_TRUE(flags.isBoundary(1));
  EXPECT_FALSE(flags.isBoundary(2));  // inside the first regional letter's surrogate pair
  EXPECT_FALSE(flags.isBoundary(3));  // between the flag's two letters
  EXPECT_EQ(1u, flags.boundaryAtOrBefore(3));
  EXPECT_EQ(5u, flags.boundaryAtOrBefore(99));
  EXPECT_EQ(5u, flags.following(99));
  EXPECT_EQ(0u, flags.preceding(0));
  // An offset inside a surrogate pair: the boundary before it is the pair's start, when the pair
  // begins a cluster, else the cluster's start.
  GraphemeClusters smile("a\U0001F600b");
  EXPECT_EQ(1u, smile.preceding(2));
  EXPECT_EQ(1u, smile.boundaryAtOrBefore(2));
  EXPECT_EQ(3u, smile.following(2));
  EXPECT_EQ(1u, flags.preceding(4));  // inside the flag's second letter
  EXPECT_EQ(1u, flags.boundaryAtOrBefore(4));

  // Bytes that are not UTF-8 read as a replacement character each, never as a crash.
  EXPECT_EQ((std::vector<size_t>{0, 1, 2, 3, 4}), boundaries(std::string("a\xff\xfe", 3) + "b"));
}

}  // namespace
}  // namespace zu
