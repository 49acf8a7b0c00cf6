// Saving one IDE's configuration changes exactly the values it should and
// nothing else in the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "CmdLineUtils.h"
#include "DelphiData.h"
#include "IdeFixture.h"
#include "platform/Shell.h"
#include "platform/simwin/Machine.h"

using platform::RegRoot;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Lines of `a` that `b` lacks, counting repeats.
std::vector<std::string> Minus(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  std::vector<std::string> out;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
  return out;
}

}  // namespace

TEST(SaveConfigHiveTest, OnlyTheChangedValuesChange) {
  IdeFixture ide;
  CmdOptions = std::make_unique<TCmdOptions>(std::vector<std::string>{});
  const std::string user = "Software\\Embarcadero\\BDS\\23.0";
  ide.AddBds("Embarcadero", "23.0", "Enterprise");
  for (const char* platform : {"Win32", "Win64"}) {
    ide.SetString(RegRoot::CurrentUser, user + "\\Library\\" + platform, "Search Path", "$(BDSLIB)\\$(Platform)");
    ide.SetString(RegRoot::CurrentUser, user + "\\Library\\" + platform, "Browsing Path", "C:\\Browse");
  }
  ide.SetString(RegRoot::CurrentUser, user + "\\Known Packages", "C:\\Pkg\\other.bpl", "Other");
  ide.SetString(RegRoot::CurrentUser, user + "\\Environment Variables", "BDSLIB", "x");
  ide.WriteText(
      platform::KnownFolderPath(platform::KnownFolder::RoamingAppData) + "\\Embarcadero\\BDS\\23.0\\EnvOptions.proj",
      "<Project><PropertyGroup/></Project>");

  TCompileTargetList list;
  TCompileTarget* t = list.GetItems(0)->Platform() == ctpWin32 ? list.GetItems(0) : list.GetItems(1);
  const auto before = Lines(simwin::Machine::Current().Hive().Serialize());
  t->SearchPaths().push_back("C:\\Vexorin\\Lib");
  t->KnownPackages().Add("C:\\Vexorin\\Bpl\\dclvxCore290.bpl", "Vexorin");
  t->SavePaths();
  t->SavePackagesLists();
  const auto after = Lines(simwin::Machine::Current().Hive().Serialize());

  EXPECT_EQ(Minus(before, after), std::vector<std::string>{"\"Search Path\"=\"$(BDSLIB)\\\\$(Platform)\"\r"});
  EXPECT_EQ(Minus(after, before),
            (std::vector<std::string>{"\"C:\\\\Vexorin\\\\Bpl\\\\dclvxCore290.bpl\"=\"Vexorin\"\r",
                                      "\"Search Path\"=\"$(BDSLIB)\\\\$(Platform);C:\\\\Vexorin\\\\Lib\"\r"}));
  CmdOptions.reset();
}
