// A clean place for one test on either backend. On simwin it is a fresh
// simulated machine (SIMWIN_ROOT); on win32 it is the real machine with a
// scratch folder and a scratch registry key, both removed afterwards.
#pragma once

#include <functional>
#include <string>
#include <utility>

class TestMachine {
 public:
  TestMachine();
  ~TestMachine();
  TestMachine(const TestMachine&) = delete;
  TestMachine& operator=(const TestMachine&) = delete;

  // An empty folder for the test (Windows path, no trailing backslash).
  const std::string& Dir() const { return dir_; }
  // A registry key path for the test, below HKEY_CURRENT_USER or
  // HKEY_LOCAL_MACHINE ("Software\VexorinTest\...").
  const std::string& Key() const { return key_; }

 private:
  std::string dir_;
  std::string key_;
  std::string hostRoot_;  // simwin only: the machine folder
};

// Runs a clean-up when the scope ends, also when a failed ASSERT returns early.
class ScopeExit {
 public:
  explicit ScopeExit(std::function<void()> cleanup) : cleanup_(std::move(cleanup)) {}
  ~ScopeExit() { cleanup_(); }
  ScopeExit(const ScopeExit&) = delete;
  ScopeExit& operator=(const ScopeExit&) = delete;

 private:
  std::function<void()> cleanup_;
};

// Removes a folder with everything in it, through the platform layer.
void RemoveTree(const std::string& dir);
// Writes a file through the platform layer; fails the test when it cannot.
void WriteFile(const std::string& path, const std::string& bytes);
