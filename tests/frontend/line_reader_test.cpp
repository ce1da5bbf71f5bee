#include "frontend/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "frontend/command_words.h"

namespace tarn::test {
namespace {

// A temporary file holding `text`, positioned at its start.
std::FILE* inputOf(const std::string& text) {
  std::FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  return f;
}

TEST(LineReader, ReadsLinesWithoutTheirLineEnds) {
  std::FILE* f = inputOf("uci\r\nisready\n\nlast");
  LineReader reader(f);
  std::string line;
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, "uci");
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, "isready");
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(reader.readLine(line, CommandLineLimit));
  std::fclose(f);
}

TEST(LineReader, EmptyInputReadsNothing) {
  std::FILE* f = inputOf("");
  std::string line = "old";
  EXPECT_FALSE(LineReader(f).readLine(line, FirstLineLimit));
  EXPECT_EQ(line, "");
  std::fclose(f);
}

TEST(LineReader, OverlongLinesKeepTheirStartAndDropTheRest) {
  std::FILE* f = inputOf(std::string(CommandLineLimit, 'a') + std::string(20000, 'b') + "\nquit\n");
  LineReader reader(f);
  std::string line;
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, std::string(CommandLineLimit, 'a'));
  ASSERT_TRUE(reader.readLine(line, CommandLineLimit));
  EXPECT_EQ(line, "quit");
  std::fclose(f);
}

TEST(LineReader, BinaryBytesPassThrough) {
  std::FILE* f = inputOf(std::string("a\0b\xff", 4) + "\n");
  std::string line;
  ASSERT_TRUE(LineReader(f).readLine(line, CommandLineLimit));
  EXPECT_EQ(line, std::string("a\0b\xff", 4));
  std::fclose(f);
}

TEST(CommandWords, FirstWordAndRest) {
  FirstWord w = splitFirstWord("setoption name Hash value 32");
  EXPECT_EQ(w.word, "setoption");
  EXPECT_EQ(w.rest, "name Hash value 32");
  w = splitFirstWord("  \tgo   infinite ");
  EXPECT_EQ(w.word, "go");
  EXPECT_EQ(w.rest, "infinite ");
  w = splitFirstWord("quit");
  EXPECT_EQ(w.word, "quit");
  EXPECT_EQ(w.rest, "");
  w = splitFirstWord("   ");
  EXPECT_EQ(w.word, "");
  EXPECT_EQ(w.rest, "");
}

TEST(CommandWords, WordsAndTrimming) {
  EXPECT_EQ(splitWords(" e2e4  e7e5\tg1f3 "), (std::vector<std::string_view>{"e2e4", "e7e5", "g1f3"}));
  EXPECT_TRUE(splitWords("").empty());
  EXPECT_EQ(trimBlanks("  a b \r"), "a b");
}

}  // namespace
}  // namespace tarn::test
