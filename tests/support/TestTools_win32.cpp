#include <gtest/gtest.h>

#include "TestTools.h"
#include "platform/FileSystem.h"

std::string BuildPathAsWindowsPath(const std::string& builtPath) {
  if (builtPath.empty() || builtPath[0] != '/') return builtPath;
  std::string path = "Z:" + builtPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

void InstallProgram(const std::string& builtPath, const std::string& windowsPath) {
  const std::string from = BuildPathAsWindowsPath(builtPath);
  ASSERT_TRUE(platform::CopyFileTo(from, windowsPath, false))
      << from << " -> " << windowsPath << " error " << platform::LastErrorCode();
}
