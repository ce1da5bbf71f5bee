// Many threads probing while the tables are mapped on first use: every thread
// must see complete layouts and the same answers as a lone thread.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "eval/tb/syzygy.h"
#include "eval/tb/syzygy_registry.h"
#include "eval/syzygy_test_support.h"

namespace tarn {
namespace {

constexpr int Threads = 8;

struct Expected {
  std::string fen;
  int wdl, rootWdl;
};

std::vector<Expected> expectations() {
  std::vector<Expected> all;
  for (const test::ReferenceLine& line : test::readReference(test::testData("syzygy_reference_4men.epd")))
    all.push_back({line.fen, line.number("wdl"), line.number("rootwdl")});
  return all;
}

TEST(SyzygyThreads, ConcurrentProbesWhileMapping) {
  test::initBoard();
  const std::vector<Expected> lines = expectations();
  ASSERT_FALSE(lines.empty());
  initTablebases(test::smallTables());  // nothing mapped yet
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&, t] {
      // Each thread starts elsewhere, so that first uses of a file collide.
      for (size_t k = 0; k < lines.size(); ++k) {
        const Expected& e = lines[(k * 7 + size_t(t) * 131) % lines.size()];
        test::TestPosition p(e.fen);
        if (probeWdl(p.pos, 100) != e.wdl) ++wrong;
        if ((k + size_t(t)) % 8 == 0 && probeRoot(p.pos).wdl != e.rootWdl) ++wrong;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
  initTablebases("");
}

std::atomic<int> corruptMessages{0};

TEST(SyzygyThreads, ConcurrentFirstUseOfADamagedFile) {
  test::initBoard();
  test::ScratchFolder folder;
  for (const char* name : {"KQvK.rtbw", "KQvK.rtbz", "KRvK.rtbw", "KRvK.rtbz"}) folder.copyTable(name);
  std::vector<uint8_t> bytes = test::readBytes(folder.file("KQvK.rtbw"));
  bytes[200] ^= 0xFF;  // inside a data block: the layout still parses
  bytes[5] = 0x77;     // and the order byte no longer does
  test::writeBytes(folder.file("KQvK.rtbw"), bytes);
  syzygy::setMessageSinks([](std::string_view) {}, [](std::string_view) { ++corruptMessages; });
  initTablebases(folder.path());
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t)
    threads.emplace_back([&] {
      test::TestPosition queen("8/8/8/4k3/8/8/8/KQ6 w - - 0 1"), rook("8/8/8/4k3/8/8/8/KR6 b - - 0 1");
      for (int k = 0; k < 50; ++k) {
        if (probeWdl(queen.pos, 100) != WdlNone) ++wrong;
        if (probeWdl(rook.pos, 100) != -2) ++wrong;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(corruptMessages.load(), 1);
  syzygy::setMessageSinks(nullptr, nullptr);
  initTablebases("");
}

}  // namespace
}  // namespace tarn
