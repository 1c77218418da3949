#include "platform/ui/motion/ScrollMotion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zu::ui {
namespace {

// Flings of every speed, from inside and from past the edges, in both directions: the content
// moves without a jump (the deceleration hands over to the spring where it meets an edge), never
// further than the speed allows, comes to rest inside the edges within the longest time, and
// stays where it rested.
TEST(ScrollMotionTest, FlingsMoveSmoothlyAndRestInsideTheEdges) {
  for (float start : {-80.f, 0.f, 10.f, 250.f, 500.f, 560.f}) {
    for (float velocity : {-5000.f, -1200.f, -40.f, 0.f, 15.f, 700.f, 3000.f, 5000.f}) {
      for (bool bounces : {true, false}) {
        const ScrollMotion m = ScrollMotion::decelerate(start, velocity, 0.998f, 0, 500, bounces);
        SCOPED_TRACE(testing::Message() << start << " at " << velocity << (bounces ? " bouncing" : ""));
        EXPECT_GE(m.restingOffset(), 0);
        EXPECT_LE(m.restingOffset(), 500);
        EXPECT_LE(m.duration(), ScrollMotion::kLongest);
        float last = m.offsetAt(0);
        if (bounces || (start >= 0 && start <= 500)) EXPECT_EQ(start, last);
        const float limit = std::max(std::fabs(velocity), 2000.f) / 1000 * 1.5f + 0.01f;
        for (double t = 0.001; t < m.duration() + 0.01; t += 0.001) {
          const float now = m.offsetAt(t);
          ASSERT_TRUE(std::isfinite(now));
          ASSERT_LE(std::fabs(now - last), limit) << "at " << t;
          if (!bounces && start >= 0 && start <= 500) ASSERT_TRUE(now >= 0 && now <= 500);
          last = now;
        }
        EXPECT_EQ(m.restingOffset(), m.offsetAt(m.duration()));
        EXPECT_EQ(m.restingOffset(), m.offsetAt(m.duration() + 100));
        EXPECT_EQ(0, m.velocityAt(m.duration()));
      }
    }
  }
}

TEST(ScrollMotionTest, TargetsAreReachedExactlyAndBadInputRests) {
  // A deceleration onto a target ends on it, slowing all the way.
  const ScrollMotion to = ScrollMotion::decelerateTo(0, 300, 0.998f);
  EXPECT_TRUE(to.moves());
  EXPECT_EQ(300, to.offsetAt(to.duration()));
  EXPECT_GT(to.velocityAt(0.1), to.velocityAt(0.5));
  EXPECT_GT(to.offsetAt(to.duration() * 0.99), 299);
  // A spring released toward its target faster than it can stop passes it once and returns.
  const ScrollMotion fast = ScrollMotion::spring(0, 20000, 320);
  float furthest = 0;
  for (double t = 0; t < fast.duration(); t += 0.001) furthest = std::max(furthest, fast.offsetAt(t));
  EXPECT_GT(furthest, 320);
  EXPECT_EQ(320, fast.restingOffset());

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_FALSE(ScrollMotion::decelerate(10, nan, 0.998f, 0, 100, true).moves());
  EXPECT_FALSE(ScrollMotion::decelerate(10, 1000, 1, 0, 100, true).moves());  // no slowing
  EXPECT_FALSE(ScrollMotion::decelerate(10, 1000, 0, 0, 100, true).moves());
  EXPECT_FALSE(ScrollMotion::decelerate(10, 1000, nan, 0, 100, true).moves());
  EXPECT_EQ(10, ScrollMotion::decelerate(10, inf, 0.998f, 0, 100, true).restingOffset());
  EXPECT_EQ(100, ScrollMotion::decelerateTo(0, 100, nan).restingOffset());
  const ScrollMotion still = ScrollMotion::spring(50, nan, 50);
  EXPECT_FALSE(still.moves());
  EXPECT_EQ(50, still.offsetAt(nan));
  // Edges given the wrong way round are one edge.
  EXPECT_EQ(40, ScrollMotion::decelerate(90, 0, 0.998f, 40, 10, false).restingOffset());
}

}  // namespace
}  // namespace zu::ui
