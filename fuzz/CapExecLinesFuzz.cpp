// The line splitter of captured output. The first byte chooses where the
// reads end; the rest is the output. Every byte that is not a line break comes
// out in order, and the reads' boundaries change no line that has text (a CR
// LF that ends a read and a CR that opens the next are two breaks, by design).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CapExecLines.h"
#include "FuzzSupport.h"

namespace {

// The lines of the output read in pieces of `step` bytes (all at once for 0),
// the text left without a break last, as the captured execution hands them on.
std::vector<std::string> Lines(std::string_view output, size_t step) {
  std::vector<std::string> lines;
  TCaptureLineBuffer buffer;
  const bool abort = false;
  auto onLine = [&](std::string_view line) { lines.emplace_back(line); };
  if (step == 0) step = output.size();
  for (size_t at = 0; at < output.size(); at += step) {
    const std::string_view read = output.substr(at, step);
    buffer.Append(read.data(), read.size());
    buffer.DeliverLines(onLine, abort);
  }
  buffer.DeliverLines(onLine, abort, true);
  if (!buffer.Empty()) lines.push_back(buffer.TakeFragment());
  FuzzCheck(buffer.Empty(), "nothing is left in the buffer at the end");
  return lines;
}

std::vector<std::string> WithText(std::vector<std::string> lines) {
  std::erase(lines, std::string());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t step = data[0] % 8;
  const std::string_view output(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::vector<std::string> whole = Lines(output, 0);
  std::string text;
  for (const std::string& line : whole) {
    FuzzCheck(line.find_first_of("\r\n") == std::string::npos, "a line holds no line break");
    text += line;
  }
  std::string expected;
  for (const char c : output) {
    if (c != '\r' && c != '\n') expected += c;
  }
  FuzzCheck(text == expected, "every byte but the line breaks comes out, in order");
  FuzzCheck(WithText(Lines(output, step)) == WithText(whole), "the reads' boundaries change no line with text");
  return 0;
}
