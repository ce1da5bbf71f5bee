#include "frontend/protocol_output.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "frontend/frontend_test_support.h"
#include "frontend/traffic_log.h"

namespace tarn::test {
namespace {

TEST(ProtocolOutput, LinesGetTheirLineEnd) {
  CapturedOutput captured;
  captured.out().line("readyok");
  captured.out().write("Evaluation: 12");
  captured.out().write("\n");
  EXPECT_EQ(captured.take(), (std::vector<std::string>{"readyok", "Evaluation: 12"}));
}

TEST(ProtocolOutput, LinesOfSeveralThreadsNeverInterleave) {
  // The sink writes a byte at a time, so only the output's own lock keeps lines whole.
  std::string text;
  ProtocolOutput out([&text](std::string_view piece) {
    for (char c : piece) {
      text += c;
      if (c == ' ') std::this_thread::yield();
    }
  });
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&out, t] {
      const std::string line = "info thread " + std::to_string(t) + " says something long enough to be cut";
      for (int i = 0; i < 300; ++i) out.line(line);
    });
  for (std::thread& t : threads) t.join();
  size_t start = 0, lines = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = text.substr(start, end - start);
    const bool whole = line.size() == 50 && line.rfind("info thread ", 0) == 0 &&
                       line.substr(13) == " says something long enough to be cut" && line[12] >= '0' && line[12] <= '3';
    EXPECT_TRUE(whole) << line;
    start = end + 1;
    ++lines;
  }
  EXPECT_EQ(lines, 1200u);
}

TEST(ProtocolOutput, RedirectAndDiscard) {
  ProtocolOutput out(discardingSink());
  out.line("nothing to see");
  std::string seen;
  out.redirect([&seen](std::string_view t) { seen.append(t); });
  out.line("seen");
  EXPECT_EQ(seen, "seen\n");
}

TEST(TrafficLog, WritesOnlyWhenOn) {
  TempFolder folder;
  TrafficLog log;
  log.setPath(folder.file(TrafficLogName));
  log.received("isready");
  log.append("readyok\n");
  EXPECT_FALSE(std::filesystem::exists(folder.file(TrafficLogName)));

  log.setEnabled(true);
  log.received("isready");
  log.append("readyok\n");
  log.received("");
  EXPECT_EQ(readWholeFile(folder.file(TrafficLogName)), "Received : isready\nreadyok\nReceived : \n");

  log.setEnabled(false);
  log.received("go");
  EXPECT_EQ(readWholeFile(folder.file(TrafficLogName)), "Received : isready\nreadyok\nReceived : \n");
}

TEST(TrafficLog, AppendsToAnExistingLog) {
  TempFolder folder;
  writeWholeFile(folder.file(TrafficLogName), "earlier run\n");
  TrafficLog log;
  log.setPath(folder.file(TrafficLogName));
  log.setEnabled(true);
  log.received("uci");
  EXPECT_EQ(readWholeFile(folder.file(TrafficLogName)), "earlier run\nReceived : uci\n");
}

TEST(TrafficLog, WithoutPathOrWritableFileNothingHappens) {
  TrafficLog log;
  log.setEnabled(true);
  log.received("isready");  // no path: nothing
  log.setPath("/nonexistent-folder/testlog.txt");
  log.received("isready");  // cannot open: skipped silently
  EXPECT_FALSE(std::filesystem::exists("/nonexistent-folder/testlog.txt"));
}

}  // namespace
}  // namespace tarn::test
