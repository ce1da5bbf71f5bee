#include "search/search_snapshots.h"

#include <gtest/gtest.h>

namespace tarn {
namespace {

TEST(SearchSnapshots, QueueKeepsTheNewestAndDrainsInOrder) {
  drainSearchSnapshots();
  for (int i = 0; i < 100; ++i) {
    SearchSnapshot s;
    s.depth = i;
    pushSearchSnapshot(s);
  }
  const std::vector<SearchSnapshot> taken = drainSearchSnapshots();
  ASSERT_EQ(taken.size(), 64u);
  EXPECT_EQ(taken.front().depth, 36);
  EXPECT_EQ(taken.back().depth, 99);
  EXPECT_TRUE(drainSearchSnapshots().empty());
}

}  // namespace
}  // namespace tarn
