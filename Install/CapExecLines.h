// The pending output of a child process, cut into lines as it arrives.
#pragma once

#include <functional>
#include <string>
#include <string_view>

class TCaptureLineBuffer {
 public:
  void Append(const char* data, size_t size) { FPending.append(data, size); }

  // Hands every complete line at the front of the buffer to `onLine`, without
  // its line break, and removes it with the break. A break is CR LF CR, CR LF,
  // a lone CR or a lone LF. A CR that ends the buffer waits for the next read
  // (its LF may come with it: a CR LF that a read boundary splits is one
  // break, not a line and an empty one), unless `endOfOutput` says no more
  // comes. `abort` is looked at after each line: once it is set, the lines
  // after are left in the buffer.
  void DeliverLines(const std::function<void(std::string_view line)>& onLine, const bool& abort,
                    bool endOfOutput = false);

  bool Empty() const { return FPending.empty(); }
  // Takes out what is left when it is a last line without a line break. When
  // complete lines are still waiting (an abort stopped them), there is no such
  // last line: nothing is taken and "" returned.
  std::string TakeFragment();

 private:
  std::string FPending;
};
