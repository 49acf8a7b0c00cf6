// Runs the cases of a whole-run test on a few threads (each case runs the
// program in processes of its own), collecting what each case finds.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace wholeruns {

// Calls `runCase(i)` for every i below `count` on `jobs` threads; returns the
// lines the cases gave back, in the order of the cases.
inline std::vector<std::string> RunCases(size_t count, size_t jobs,
                                         const std::function<std::vector<std::string>(size_t)>& runCase) {
  std::vector<std::vector<std::string>> found(count);
  std::atomic<size_t> next{0};
  std::vector<std::thread> threads;
  for (size_t j = 0; j < std::max<size_t>(jobs, 1); ++j) {
    threads.emplace_back([&] {
      for (size_t i = next++; i < count; i = next++) found[i] = runCase(i);
    });
  }
  for (std::thread& t : threads) t.join();
  std::vector<std::string> lines;
  for (const auto& f : found) lines.insert(lines.end(), f.begin(), f.end());
  return lines;
}

}  // namespace wholeruns
