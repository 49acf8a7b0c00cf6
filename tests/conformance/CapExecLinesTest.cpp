// Cutting a child's output into lines, read by read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CapExecLines.h"

namespace {

// Feeds the reads one after another as the polling passes do, then takes the
// text left without a line break as the last line.
std::vector<std::string> Lines(const std::vector<std::string>& reads) {
  std::vector<std::string> lines;
  TCaptureLineBuffer buffer;
  const bool abort = false;
  for (const auto& read : reads) {
    buffer.Append(read.data(), read.size());
    buffer.DeliverLines([&](std::string_view line) { lines.emplace_back(line); }, abort);
  }
  buffer.DeliverLines([&](std::string_view line) { lines.emplace_back(line); }, abort, true);
  if (!buffer.Empty()) lines.push_back(buffer.TakeFragment());
  return lines;
}

struct LineCase {
  const char* name;
  std::vector<std::string> reads;
  std::vector<std::string> lines;
};

}  // namespace

TEST(CapExecLinesTest, BreaksAndReadBoundaries) {
  const LineCase cases[] = {
      {"CR LF, LF, last line without a break", {"a\r\nb\nc"}, {"a", "b", "c"}},
      {"CR LF CR is one break", {"a\r\n\rb\n"}, {"a", "b"}},
      {"LF CR is two breaks", {"a\n\rb\n"}, {"a", "", "b"}},
      {"progress rewritten with lone CRs", {"10%\r20%\r30%\r\n"}, {"10%", "20%", "30%"}},
      {"empty lines", {"\n\nx\n"}, {"", "", "x"}},
      {"CR at the end of a read, LF in the next: one break", {"a\r", "\nb\n"}, {"a", "b"}},
      {"CR at the end of a read, text in the next", {"a\r", "b\n"}, {"a", "b"}},
      {"CR at the end of the output", {"a\r"}, {"a"}},
      {"progress, each update in a read of its own", {"10%\r", "20%\r", "30%\r\n"}, {"10%", "20%", "30%"}},
      {"CR LF at the end of a read, CR in the next", {"a\r\n", "\rb\n"}, {"a", "", "b"}},
      {"CR LF CR LF", {"a\r\n\r\nb"}, {"a", "", "b"}},
      {"CR CR LF", {"a\r\r\nb"}, {"a", "", "b"}},
      {"a line over several reads", {"ab", "", "c\n"}, {"abc"}},
      {"only a fragment", {"", "x"}, {"x"}},
      {"nothing", {}, {}},
      {"bytes kept as they are", {"\x81\t\xff\n"}, {"\x81\t\xff"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Lines(c.reads), c.lines) << c.name;
}

TEST(CapExecLinesTest, AbortStopsAfterTheLineThatSetIt) {
  TCaptureLineBuffer buffer;
  const std::string text = "a\nb\nc\n";
  buffer.Append(text.data(), text.size());
  bool abort = false;
  std::vector<std::string> lines;
  buffer.DeliverLines(
      [&](std::string_view line) {
        lines.emplace_back(line);
        abort = true;
      },
      abort);
  EXPECT_EQ(lines, std::vector<std::string>{"a"});
  // With the flag still set each further pass hands out one line.
  buffer.DeliverLines([&](std::string_view line) { lines.emplace_back(line); }, abort);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
  // Lines left by the abort are no last fragment.
  EXPECT_EQ(buffer.TakeFragment(), "");
  EXPECT_FALSE(buffer.Empty());
}
