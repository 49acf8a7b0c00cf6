#include <gtest/gtest.h>

#include <vector>

#include "TestMachine.h"
#include "platform/FileSystem.h"

void RemoveTree(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  if (platform::FindEntries(dir + "\\*", entries)) {
    for (const auto& e : entries) {
      if (e.name == "." || e.name == "..") continue;
      if (e.isDirectory) {
        RemoveTree(dir + "\\" + e.name);
      } else {
        platform::RemoveFile(dir + "\\" + e.name);
      }
    }
  }
  platform::RemoveEmptyDirectory(dir);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(platform::WriteFileBytes(path, bytes)) << path << " error " << platform::LastErrorCode();
}
