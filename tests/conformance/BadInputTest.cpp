// Bad input, family by family, each a table of cases with the clear error or
// the sound result it must give: the package's version file, registry values
// of the wrong type, very long paths and path lists, names in other scripts,
// EnvOptions.proj and rsvars.bat variants. (The archive: BadArchiveTest.)
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

#include "CapExec.h"
#include "CmdLineUtils.h"
#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "DelphiData.h"
#include "EngineMachine.h"
#include "IdeFixture.h"
#include "SysUtils.h"
#include "TestMachine.h"
#include "TestTools.h"
#include "Utils.h"
#include "platform/Environment.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/System.h"
#include "platform/Text.h"

using platform::RegRoot;

namespace {

constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

std::string Utf16LE(const std::string& text) {
  std::string bytes;
  for (const char16_t c : platform::Utf8ToUtf16(text)) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf16BE(const std::string& text) {
  std::string bytes;
  for (const char16_t c : platform::Utf8ToUtf16(text)) {
    bytes += static_cast<char>(c >> 8);
    bytes += static_cast<char>(c & 0xFF);
  }
  return bytes;
}

// A value of a type the program does not read as a string or a number.
struct WrongValue {
  const char* what;
  uint32_t type;
  std::string bytes;
};
const WrongValue kWrongValues[] = {
    {"REG_DWORD", kRegDword, std::string("\x01\x00\x00\x00", 4)},
    {"REG_DWORD of two bytes", kRegDword, std::string("\x01\x00", 2)},
    {"REG_BINARY", kRegBinary, std::string("\x00\xAB\x10", 3)},
    {"empty REG_BINARY", kRegBinary, ""},
    {"REG_MULTI_SZ", kRegMultiSz, Utf16LE("C:\\A") + std::string(2, '\0') + Utf16LE("C:\\B") + std::string(4, '\0')},
    {"REG_QWORD", kRegQword, std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8)},
    {"empty REG_NONE", kRegNone, ""},
};

// Parses a command line into the process-wide options, as start-up does.
void UseNoOptions() { CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{}); }

// The message of the exception, "" when there is none.
std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return {};
}

int counted = 0;  // bad inputs tried, printed at the end of each family

}  // namespace

class BadInputTest : public ::testing::Test {
 protected:
  BadInputTest() { UseNoOptions(); }
  ~BadInputTest() override {
    CmdOptions.reset();
    std::printf("[ bad inputs tried so far: %d ]\n", counted);
  }

  // The Win32 target of RAD Studio 12 after discovery, or its load error.
  std::string LoadErrorOfStudio12(const std::function<void(TCompileTarget&)>& check = {}) {
    TCompileTargetList list;
    for (int i = 0; i < list.Count(); ++i) {
      TCompileTarget& t = *list.GetItems(i);
      if (t.IDEVersion() != 23 || t.Platform() != ctpWin32) continue;
      if (check && t.LoadError().empty()) check(t);
      return t.LoadError();
    }
    return "(no target)";
  }

  IdeFixture ide;
};

// The package's version file: start-up ends with the bad-version error, or
// the text gives the version by the grammar (fewer than three numbers give
// an empty version, reading stops at the first character that is no digit).
TEST_F(BadInputTest, VersionFiles) {
  const std::string package = ide.Dir() + "\\Package";
  ASSERT_TRUE(platform::MakeDirectory(package));
  const std::string saved = platform::GetCurrentDir();
  platform::SetCurrentDir(package);
  ScopeExit back([&] { platform::SetCurrentDir(saved); });
  const std::string valid = "5.12.3.811 Professional With Sources";
  std::string thirty;
  for (int i = 1; i <= 30; ++i) {
    if (i > 1) thirty += '.';
    thirty += std::to_string(i);
  }
  struct Case {
    const char* what;
    std::string bytes;
    std::string result;  // the version, or the error
  };
  const Case cases[] = {
      {"empty", "", "Bad version string: \"\""},
      {"blank lines", "\r\n \t\r\n\r\n", "Bad version string: \"\""},
      {"binary", std::string("\x00\x01\x02\x7F\x80\xFF\x00MZ\x90", 10), ".. Standard Edition"},
      {"binary after the numbers", std::string("5.12.3.811\x00\x01\x02\xFF", 14), "5.12.3.811 Standard Edition"},
      {"UTF-16 LE", "\xFF\xFE" + Utf16LE(valid), "5.12.3.811 Professional Edition With Sources"},
      {"UTF-16 BE", "\xFE\xFF" + Utf16BE(valid), "5.12.3.811 Professional Edition With Sources"},
      {"UTF-16 LE without a byte-order mark", Utf16LE(valid), ".. Standard Edition"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + valid, "5.12.3.811 Professional Edition With Sources"},
      {"1 MB: the version, then blank lines", "5.12.3 Trial" + std::string(1 << 20, '\n'), "5.12.3 Trial Edition"},
      {"1 MB of digits", std::string(1 << 20, '7'), ".. Standard Edition"},
      {"1 MB of edition", "5.12.3.811 " + std::string(1 << 20, 'x') + " With Sources",
       "5.12.3.811 Standard Edition With Sources"},
      {"30 numbers", thirty + " Professional", "1.2.3.4 Standard Edition"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++counted;
    WriteFile(package + "\\version", c.bytes);
    std::string result;
    const std::string error = ErrorOf([&] {
      TInstallData data;
      result = data.Version().Version();
    });
    EXPECT_EQ(error.empty() ? result : error, c.result);
  }
}

// Values of every wrong type in the IDE's keys: the IDE is listed with an
// error naming the value and the key, and left out; the others go on. The
// force flag of the IDE's settings is only set by "1" or 1.
TEST_F(BadInputTest, RegistryValuesOfTheWrongTypeInTheIdeKeys) {
  struct Place {
    RegRoot root;
    std::string key;
    std::string value;
    std::string error;  // "" when the IDE reads without one
  };
  const std::string machine = "SOFTWARE\\Embarcadero\\BDS\\23.0";
  const std::string user = "SOFTWARE\\Embarcadero\\BDS\\23.0";
  auto error = [](const std::string& value, const std::string& key) {
    return "Invalid data type for '" + value + "' in " + key;
  };
  const Place places[] = {
      {RegRoot::LocalMachine, machine, "RootDir", error("RootDir", "HKEY_LOCAL_MACHINE\\" + machine)},
      {RegRoot::LocalMachine, machine, "Edition", error("Edition", "HKEY_LOCAL_MACHINE\\" + machine)},
      {RegRoot::CurrentUser, user + "\\Library\\Win32", "Search Path",
       error("Search Path", "HKEY_CURRENT_USER\\" + user + "\\Library\\Win32")},
      {RegRoot::CurrentUser, user + "\\Known Packages", "C:\\Pkg\\dclx.bpl",
       error("C:\\Pkg\\dclx.bpl", "HKEY_CURRENT_USER\\" + user + "\\Known Packages")},
      {RegRoot::CurrentUser, user + "\\Environment Variables", "BDSLIB",
       error("BDSLIB", "HKEY_CURRENT_USER\\" + user + "\\Environment Variables")},
      {RegRoot::CurrentUser, user + "\\Globals", "ForceEnvOptionsUpdate", ""},
  };
  for (const Place& place : places) {
    for (const WrongValue& wrong : kWrongValues) {
      SCOPED_TRACE(place.key + " " + place.value + ": " + wrong.what);
      ++counted;
      ide.Reset();
      ide.AddBds("Embarcadero", "23.0", "Enterprise");
      ide.AddBds("Embarcadero", "22.0", "Enterprise");
      SetRawRegistryValue(place.root, place.key, place.value, wrong.type, wrong.bytes);
      TCompileTargetList list;
      ASSERT_EQ(list.Count(), 4);
      for (int i = 0; i < list.Count(); ++i) {
        const TCompileTarget& t = *list.GetItems(i);
        // The Library key of Win32 is read only by the Win32 target.
        const bool hit =
            t.IDEVersion() == 23 && (t.Platform() == ctpWin32 || place.key.find("Win32") == std::string::npos);
        EXPECT_EQ(t.LoadError(), hit ? place.error : "") << t.DisplayName();
      }
    }
  }
  // An empty string is a string: an empty root folder makes no IDE.
  ++counted;
  ide.Reset();
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  ide.SetString(RegRoot::LocalMachine, machine, "RootDir", "");
  EXPECT_EQ(TCompileTargetList().Count(), 0);
}

// The product key with values of the wrong type: reading stops at the value
// (what was read before it stays), as with a missing "InstalledVersion".
TEST_F(BadInputTest, RegistryValuesOfTheWrongTypeInTheProductKey) {
  const std::string package = ide.Dir() + "\\Package";
  ASSERT_TRUE(platform::MakeDirectory(package));
  const std::string saved = platform::GetCurrentDir();
  platform::SetCurrentDir(package);
  ScopeExit back([&] { platform::SetCurrentDir(saved); });
  WriteFile(package + "\\version", "5.12.3.811 Professional With Sources");
  WriteFile(package + "\\withsrcs", "");
  const std::string defaultDir = platform::KnownFolderPath(platform::KnownFolder::ProgramFiles) + "\\Orlentix\\Vexorin";
  struct Case {
    const char* value;
    bool numeric;  // a REG_DWORD value; a string otherwise
    TInstallType type;
    std::string installDir;
    bool visitWeb;
    TCompilationModeType mode;
  };
  const Case cases[] = {
      {"InstallDir", false, itNew, defaultDir, true, cmVCL},
      {"DemoDir", false, itNew, "C:\\Vexorin", true, cmVCL},
      {"InstalledVersion", false, itNew, "C:\\Vexorin", true, cmVCL},
      {"Visit Web", true, itMainternance, "C:\\Vexorin", true, cmVCL},
      {"CompilationMode", true, itMainternance, "C:\\Vexorin", false, cmVCL},
  };
  for (const Case& c : cases) {
    std::vector<WrongValue> wrongs(std::begin(kWrongValues), std::end(kWrongValues));
    if (c.numeric) {
      std::erase_if(wrongs, [](const WrongValue& w) { return w.type == kRegDword && w.bytes.size() == 4; });
      wrongs.push_back({"REG_SZ", kRegSz, Utf16LE("1") + std::string(2, '\0')});
    }
    for (const WrongValue& wrong : wrongs) {
      SCOPED_TRACE(std::string(c.value) + ": " + wrong.what);
      ++counted;
      platform::RegDeleteKeyTree(RegRoot::LocalMachine, kProductRegistryKey);
      ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstallDir", "C:\\Vexorin");
      ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "DemoDir", "D:\\Demos");
      ide.SetString(RegRoot::LocalMachine, kProductRegistryKey, "InstalledVersion",
                    "5.12.3.811 Professional Edition With Sources");
      ide.SetDWord(RegRoot::LocalMachine, kProductRegistryKey, "CompilationMode", cmTMS);
      ide.SetDWord(RegRoot::LocalMachine, kProductRegistryKey, "Visit Web", 0);
      SetRawRegistryValue(RegRoot::LocalMachine, kProductRegistryKey, c.value, wrong.type, wrong.bytes);
      TInstallData data;
      EXPECT_EQ(data.InstallType(), c.type);
      EXPECT_EQ(data.InstallDir(), c.installDir);
      EXPECT_EQ(data.VisitWeb(), c.visitWeb);
      EXPECT_EQ(data.CompilationMode(), c.mode);
    }
  }
}

// EnvOptions.proj that is no IDE's: a clear error for the IDE (left out of
// every run), never an entity expanded or fetched, nor a stack overflow.
TEST_F(BadInputTest, EnvOptionsProjVariants) {
  const std::string file =
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\23.0\\EnvOptions.proj";
  const std::string group = "<PropertyGroup Condition=\"'$(Platform)'=='Win32'\">";
  const std::string prefix = "Cannot read the XML file " + file + ": ";
  std::string deep = "<Project>" + group + "<DelphiLibraryPath>C:\\Deep</DelphiLibraryPath></PropertyGroup>";
  for (int i = 0; i < 100000; ++i) deep += "<a>";
  for (int i = 0; i < 100000; ++i) deep += "</a>";
  deep += "</Project>";
  std::string laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [\n <!ENTITY lol \"lol\">\n";
  laughs += " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
  for (int i = 2; i <= 9; ++i) {
    std::string before = "&lol";
    before += std::to_string(i - 1);
    before += ';';
    laughs += " <!ENTITY lol";
    laughs += std::to_string(i);
    laughs += " \"";
    for (int k = 0; k < 10; ++k) laughs += before;
    laughs += "\">\n";
  }
  laughs += "]>\n<Project>" + group + "<DelphiLibraryPath>&lol9;</DelphiLibraryPath></PropertyGroup></Project>";
  const std::string external =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE Project [ <!ENTITY x SYSTEM \"file:///C:/Windows/win.ini\"> ]>\n"
      "<Project>" +
      group + "<DelphiLibraryPath>&x;</DelphiLibraryPath></PropertyGroup></Project>";
  struct Case {
    const char* what;
    std::string text;
    std::string error;                     // the load error, or "" ...
    std::vector<std::string> libraryPath;  // ... and the library path read
  };
  const Case cases[] = {
      {"empty", "", prefix + "No document element found at offset 0", {}},
      {"no root",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<!-- nothing -->\r\n",
       prefix + "No document element found at offset 58",
       {}},
      {"binary", std::string("\x00\x01\xFF\xFE<", 5), prefix + "", {}},
      {"another root",
       "<Other>" + group + "<DelphiLibraryPath>C:\\X</DelphiLibraryPath></PropertyGroup></Other>",
       "",
       {"C:\\X"}},
      {"UTF-16 LE",
       "\xFF\xFE" +
           Utf16LE("<Project>" + group +
                   "<DelphiLibraryPath>C:\\\u041F\u0443\u0442\u044C</DelphiLibraryPath></PropertyGroup></Project>"),
       "",
       {"C:\\\u041F\u0443\u0442\u044C"}},
      {"an encoding nobody reads",
       "<?xml version=\"1.0\" encoding=\"shift_jis\"?><Project/>",
       prefix + "the encoding shift_jis is not supported",
       {}},
      {"100,000 levels deep", deep, prefix + "elements nested deeper than 1000 levels", {}},
      {"a DOCTYPE with nested entities", laughs, prefix + "a document type declaration (DOCTYPE) is not allowed", {}},
      {"a DOCTYPE with an external entity",
       external,
       prefix + "a document type declaration (DOCTYPE) is not allowed",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++counted;
    ide.Reset();
    ide.AddBds("Embarcadero", "23.0", "Enterprise");
    ide.WriteText(file, c.text);
    std::vector<std::string> libraryPath;
    const std::string error = LoadErrorOfStudio12([&](TCompileTarget& t) { libraryPath = t.SearchPaths(); });
    if (c.error == prefix) {
      EXPECT_TRUE(StrStartsWith(error, prefix, false)) << error;  // the parser's own words follow
    } else {
      EXPECT_EQ(error, c.error);
    }
    EXPECT_EQ(libraryPath, c.libraryPath);
  }
}

// rsvars.bat, where RAD Studio names its shared folder: a file that gives
// none leaves the default; one that cannot be read is an error for the IDE.
TEST_F(BadInputTest, RsvarsBatVariants) {
  const std::string fallback = platform::KnownFolderPath(platform::KnownFolder::CommonDocuments) + "\\RAD Studio\\23.0";
  const std::string rsvars = ide.Dir() + "\\Embarcadero\\23.0\\bin\\rsvars.bat";
  std::string doubling = "@SET X=0123456789\r\n";
  for (int i = 0; i < 40; ++i) doubling += "@SET X=%X%%X%\r\n";
  doubling += "@SET BDSCOMMONDIR=C:\\After\r\n";
  std::string manyLines;
  while (manyLines.size() < (1 << 20)) manyLines += "@SET FILLER=C:\\Some\\Folder\r\n";
  manyLines += "@SET BDSCOMMONDIR=C:\\Last\r\n";
  struct Case {
    const char* what;
    std::string text;
    std::string result;  // the shared folder, or "error: " and the load error
  };
  const Case cases[] = {
      {"empty", "", fallback},
      {"binary", std::string("\x00\x01\xFFMZ\x90\x00\r\n\x1A", 10), fallback},
      {"UTF-16 LE", "\xFF\xFE" + Utf16LE("@SET BDSCOMMONDIR=C:\\Wide\r\n"), "C:\\Wide"},
      {"no value", "@SET BDSCOMMONDIR\r\nSET =C:\\NoName\r\n", fallback},
      {"an empty value", "@SET BDSCOMMONDIR=\r\n", fallback},
      {"a reference to itself", "@SET BDSCOMMONDIR=%BDSCOMMONDIR%\\Shared\r\n", "\\Shared"},
      {"an unterminated reference", "@SET BDSCOMMONDIR=D:\\50%\r\n", "D:\\50%"},
      {"1 MB of lines", manyLines, "C:\\Last"},
      {"a value doubled 40 times", doubling,
       "error: Cannot read " + rsvars + ": the value of X grows beyond 32767 characters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ++counted;
    ide.Reset();
    ide.AddBds("Embarcadero", "23.0", "Enterprise");
    ide.WriteText(rsvars, c.text);
    std::string common;
    const std::string error = LoadErrorOfStudio12([&](TCompileTarget& t) { common = t.CommonProjectsDir(); });
    EXPECT_EQ(error.empty() ? common : "error: " + error, c.result);
  }
  // A folder where the file should be.
  ++counted;
  ide.Reset();
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  ASSERT_TRUE(platform::RemoveFile(rsvars));
  ASSERT_TRUE(platform::MakeDirectory(rsvars));
  EXPECT_EQ(LoadErrorOfStudio12(), "Cannot read " + rsvars + ": " + Trim(platform::SystemErrorText(5)));
}

// Very long values where paths are kept: a PATH of 32,766 characters, a
// library path of 30,000 characters in 2,000 entries, folders longer than
// 260 characters. Nothing is cut and every tool still runs.
class BadInputEngineTest : public ::testing::Test {
 protected:
  EngineMachine machine;
};

TEST_F(BadInputEngineTest, LongPathAndLibraryPathAndFolders) {
  // An IDE in a folder longer than 260 characters is found with its paths
  // whole. (A tool's working folder that long fails on Windows, as the
  // system's own limit: "CreateProcess fails: error code 123 Message:
  // Invalid name.", a clear error for that IDE.)
  std::string deep = machine.Package().Dir();
  while (deep.size() < 300) deep += "\\A folder with a long name";
  ++counted;
  ideprofiles::IdeOptions deepRoot;
  deepRoot.rootDir = deep + "\\Delphi7";
  const auto& d7 = machine.Install("delphi7", deepRoot);
  machine.Install("bds23");
  machine.Load();
  TTargetOptions& delphi7 = machine.Options("Delphi 7");
  EXPECT_EQ(delphi7.LoadError(), "");
  EXPECT_EQ(delphi7.Target().RootDir() + "\\", d7.rootDir);
  EXPECT_EQ(delphi7.Target().BplDir(), deep + "\\Delphi7\\Projects\\Bpl");

  // 2,000 library folders in 30,000 characters: read, built with, written
  // back and read again whole.
  ++counted;
  TTargetOptions& studio = machine.Options("Embarcadero RAD Studio 12 Win32");
  TStringList library{"$(BDS)\\lib\\win32\\release"};
  for (int i = 1; i < 2000; ++i) library.push_back("C:\\Libs\\L" + std::to_string(10000 + i));
  ASSERT_EQ(JoinPaths(library).size(), 30009u);
  studio.Target().SearchPaths() = library;
  machine.WritePackage(studio, "vxVexorin");
  EXPECT_EQ(ErrorOf([&] { machine.compiler.CompilePackage(studio, "vxVexorin", true, true); }), "");
  machine.compiler.AddLibraryPaths(studio);
  studio.Target().SavePaths();
  studio.SetForceEnvOptionsUpdate();  // as the engine does: the registry is read next
  const TStringList written = studio.Target().SearchPaths();
  ASSERT_EQ(written.size(), 2001u);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(written[i], library[i]);
  {
    TCompileTargetList again;
    bool found = false;
    for (int i = 0; i < again.Count(); ++i) {
      if (again.GetItems(i)->IDEVersion() != 23 || again.GetItems(i)->Platform() != ctpWin32) continue;
      EXPECT_EQ(again.GetItems(i)->SearchPaths(), written);
      found = true;
    }
    EXPECT_TRUE(found);
  }

  // A PATH of 32,766 characters, the longest a variable holds (32,767 with
  // its terminating NUL): a tool started with it gets it whole, and the
  // removal of a package finds it in the last folder.
  ++counted;
  const std::string last = machine.Package().Dir() + "\\OnPath";
  std::string path;
  for (int i = 0; path.size() + last.size() < 32766 - 20; ++i) path += "C:\\Path\\P" + std::to_string(100000 + i) + ";";
  path += "C:\\" + std::string(32766 - last.size() - path.size() - 4, 'x') + ";";
  path += last;
  ASSERT_EQ(path.size(), 32766u);
  const auto savedPath = platform::GetEnv("PATH");
  ASSERT_TRUE(platform::SetEnv("PATH", path));
  ScopeExit restore([&] { platform::SetEnv("PATH", savedPath.value_or("")); });
  InstallProgram(TESTCHILD_PATH, machine.Package().Dir() + "\\testchild.exe");
  std::vector<std::string> lines;
  EXPECT_EQ(CaptureExecute("\"" + machine.Package().Dir() + "\\testchild.exe\"", "env:PATH", "",
                           [&](const std::string& line, bool&) { lines.push_back(line); }),
            0);
  EXPECT_EQ(lines, std::vector<std::string>{"PATH=" + path});
  machine.Package().Fixture().WriteText(last + "\\vxVexorinD7.bpl", "MZ");
  machine.compiler.UninstallPackage(delphi7, "vxVexorin");
  EXPECT_FALSE(platform::FileExists(last + "\\vxVexorinD7.bpl"));
}

// Folders with blanks, Cyrillic and Chinese letters: discovery reads them,
// and the paths written back into the registry and EnvOptions.proj are read
// again as they were.
TEST_F(BadInputEngineTest, FoldersWithBlanksCyrillicAndChineseLetters) {
  IdeFixture& ide = machine.Package().Fixture();
  const std::string names[] = {
      "Program Files (x86)\\My  IDE",
      "\u0421\u0440\u0435\u0434\u0430 \u0440\u0430\u0437\u0440\u0430\u0431\u043E\u0442\u043A\u0438",
      "\u738B\u4F1F \u7684\u5DE5\u5177"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ++counted;
    const std::string root = machine.Package().Dir() + "\\" + name + "\\Studio";
    ideprofiles::IdeOptions options;
    options.rootDir = root;
    const auto& studio = machine.Install("bds23", options);
    TCompileTargetList list;
    ASSERT_EQ(list.Count(), 2);
    TCompileTarget& target = *list.GetItems(0);
    EXPECT_EQ(target.LoadError(), "");
    EXPECT_EQ(target.RootDir() + "\\", studio.rootDir);
    target.SearchPaths() = {root + "\\lib",
                            "C:\\" + name + "\\\u0411\u0438\u0431\u043B\u0438\u043E\u0442\u0435\u043A\u0430"};
    target.SavePaths();
    // As the engine does: the IDE reads the registry next, not EnvOptions.proj.
    ide.SetString(RegRoot::CurrentUser, studio.userKey + "\\Globals", "ForceEnvOptionsUpdate", "1");
    TCompileTargetList again;
    for (int i = 0; i < again.Count(); ++i) {
      if (again.GetItems(i)->Platform() == target.Platform()) {
        EXPECT_EQ(again.GetItems(i)->SearchPaths(), target.SearchPaths());
      }
    }
    ide.Reset();
  }
}
