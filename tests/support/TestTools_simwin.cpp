#include <gtest/gtest.h>
#include <unistd.h>

#include "TestTools.h"
#include "platform/simwin/Machine.h"

void InstallProgram(const std::string& builtPath, const std::string& windowsPath) {
  uint32_t error = 0;
  const auto host = simwin::Machine::Current().HostPath(windowsPath, error);
  ASSERT_TRUE(host) << windowsPath << " error " << error;
  // A link is enough: the program learns its Windows path from the machine.
  ::unlink(host->c_str());
  ASSERT_EQ(::symlink(builtPath.c_str(), host->c_str()), 0) << *host;
}

std::string BuildPathAsWindowsPath(const std::string& builtPath) { return builtPath; }
