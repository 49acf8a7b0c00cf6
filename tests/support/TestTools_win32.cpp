#include <gtest/gtest.h>
#include <windows.h>

#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Text.h"

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

struct RunningProcess::Impl {
  platform::ChildProcess child;
};

RunningProcess::RunningProcess(const std::string& windowsPath) : impl_(std::make_unique<Impl>()) {
  InstallProgram(TESTCHILD_PATH, windowsPath);
  EXPECT_TRUE(impl_->child.CreatePipes());
  EXPECT_TRUE(impl_->child.Create("\"" + windowsPath + "\" out:ready sleep:60000", ""))
      << windowsPath << " error " << platform::LastErrorCode();
  impl_->child.Resume();
  // Output means the program runs, with its modules loaded.
  EXPECT_EQ(impl_->child.WaitForExitOrOutput(10000), platform::WaitResult::Output);
}

RunningProcess::~RunningProcess() {
  impl_->child.Terminate(1);
  impl_->child.Wait(10000);
}

ProgramInPackage::ProgramInPackage(const std::string& dir, const std::vector<std::string>& files) {
  const std::string own = ExtractFileDir(platform::ExecutablePath());
  for (const std::string& name : files) {
    const std::string from = dir + "\\" + name;
    const std::string to = own + "\\" + name;
    if (!platform::FileExists(from)) continue;
    EXPECT_TRUE(platform::CopyFileTo(from, to, false)) << from << " -> " << to;
    copies_.push_back(to);
  }
}

ProgramInPackage::~ProgramInPackage() {
  for (const std::string& copy : copies_) platform::RemoveFile(copy);
}

std::string FolderThatCannotBeCreated(const std::string& /*dir*/) { return "Z:\\sys\\vexorin-denied"; }

void SetRawRegistryValue(platform::RegRoot root, const std::string& key, const std::string& name, uint32_t type,
                         const std::string& bytes) {
  const std::u16string wideKey = platform::Utf8ToUtf16(key);
  const std::u16string wideName = platform::Utf8ToUtf16(name);
  const bool machine = root == platform::RegRoot::LocalMachine;
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                            reinterpret_cast<const wchar_t*>(wideKey.c_str()), 0, nullptr, 0,
                            KEY_SET_VALUE | (machine ? KEY_WOW64_32KEY : 0), nullptr, &handle, nullptr),
            ERROR_SUCCESS)
      << key;
  const LONG rc = RegSetValueExW(handle, reinterpret_cast<const wchar_t*>(wideName.c_str()), 0, type,
                                 reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  RegCloseKey(handle);
  ASSERT_EQ(rc, ERROR_SUCCESS) << key << " " << name;
}
