#include "CapExecLines.h"

#include <cstring>

void TCaptureLineBuffer::DeliverLines(const std::function<void(std::string_view line)>& onLine, const bool& abort,
                                      bool endOfOutput) {
  const char* data = FPending.data();
  const size_t size = FPending.size();
  size_t start = 0;
  for (;;) {
    // The first CR or LF: the LF by memchr, then a CR before it.
    const void* lf = std::memchr(data + start, '\n', size - start);
    const size_t limit = lf == nullptr ? size : static_cast<size_t>(static_cast<const char*>(lf) - data);
    const void* cr = std::memchr(data + start, '\r', limit - start);
    const size_t end = cr == nullptr ? limit : static_cast<size_t>(static_cast<const char*>(cr) - data);
    if (end == size) break;
    if (data[end] == '\r' && end + 1 == size && !endOfOutput) break;  // its LF may be next
    size_t next = end + 1;
    if (data[end] == '\r' && next < size && data[next] == '\n') {
      ++next;
      if (next < size && data[next] == '\r') ++next;
    }
    onLine(std::string_view(data + start, end - start));
    start = next;
    if (abort) break;
  }
  // The delivered lines go in one step, not one by one.
  FPending.erase(0, start);
}

std::string TCaptureLineBuffer::TakeFragment() {
  if (FPending.find_first_of("\r\n") != std::string::npos) return {};
  std::string rest;
  rest.swap(FPending);
  return rest;
}
