#include "CmdLineUtils.h"

#include <cstdlib>

#include "Utils.h"
#include "ExitCodes.h"
#include "platform/Dialogs.h"
#include "platform/Environment.h"
#include "platform/Text.h"

std::unique_ptr<TCmdOptions> CmdOptions;

bool TItem::IsItem(const std::string& /*ParStr*/) { return false; }

bool TBoolItem::IsItem(const std::string& ParStr) {
  if (platform::SameTextAscii(ParStr, FName)) {
    FValue = true;
    return true;
  }
  if (platform::SameTextAscii(ParStr, FName + "-")) {
    FValue = false;
    return true;
  }
  return false;
}

bool TStringItem::IsItem(const std::string& ParStr) {
  if (!StrStartsWith(ParStr, FName, true)) return false;
  FValue = ParStr.substr(FName.size());
  return true;
}

TCmdOptions::TCmdOptions(const std::vector<std::string>& args, HelpAction helpAction) {
  RegisterOptions();
  for (const std::string& arg : args) {
    for (const auto& item : FItemList) {
      if (item->IsItem(arg)) break;
    }
  }
  if (FHelp && helpAction == HelpAction::ShowAndExit) {
    platform::AttachConsole();
    PrintHelp();
    std::exit(kExitHelp);
  }
  FItemList.clear();
}

void TCmdOptions::AddBoolOption(const std::string& name, const std::string& help, bool& field) {
  FItemList.push_back(std::make_unique<TBoolItem>(name, help, field));
}

void TCmdOptions::AddSeparator() { FItemList.push_back(std::make_unique<TItem>("", "")); }

void TCmdOptions::AddStringOption(const std::string& name, const std::string& help, std::string& field) {
  FItemList.push_back(std::make_unique<TStringItem>(name, help, field));
}

void TCmdOptions::RegisterOptions() {
  AddBoolOption("--ignore-ide", "Start installer even if Delphi/BCB is running.", FIgnoreIDE);
  AddBoolOption("--ignore-bcb", "Do not display and compile BCB versions.", FIgnoreBCB);
  AddBoolOption("--ignore-delphi", "Do not display and compile Delphi versions.", FIgnoreDelphi);
  AddSeparator();
  AddBoolOption("--keep-files", "Do not call \"clean\".", FKeepFiles);
  AddBoolOption("--autoupdate", "Updates all IDEs where JVCL 3 is installed.", FAutoUpdate);
  AddBoolOption("--autoinstall", "Installs JVCL 3 for all installed IDEs.", FAutoInstall);
  AddBoolOption("--build", "Rebuilds the packages by default", FRebuildPackages);
  AddBoolOption("--autoclose", "Automatically close the installer after a successfull installation",
                FAutoCloseAfterSuccess);
  AddSeparator();
  AddStringOption("-rDelphi=", "Sets the Registry path for the Delphi IDEs.", FRegistryKeyDelphi);
  AddStringOption("-rBCB=", "Sets the Registry path for the BCB IDEs.", FRegistryKeyBCB);
  AddStringOption("-rBDS=", "Sets the Registry path for the BDS IDEs. (-rBDS=Win32Only)", FRegistryKeyBDS);
  AddStringOption("--lang=", "Sets the Installer's language to X.", FLang);
  AddBoolOption("--help", "Show this screen.", FHelp);
  AddBoolOption("/?", "", FHelp);
  AddBoolOption("-h", "", FHelp);
}

std::string TCmdOptions::FormatHelp() const {
  static const std::string kEol = "\r\n";
  std::string out = kEol;
  for (const auto& item : FItemList) {
    if (item->Name().empty()) out += kEol;
    if (item->Help().empty()) continue;
    std::string name = item->Name();
    if (dynamic_cast<const TStringItem*>(item.get()) != nullptr) name += "X";
    if (name.size() < 20) name.resize(20, ' ');
    out += name + "  " + item->Help() + kEol;
  }
  out += kEol;
  return out;
}

std::string TCmdOptions::HelpText() {
  TCmdOptions options({}, HelpAction::RecordOnly);
  options.RegisterOptions();
  return options.FormatHelp();
}

void TCmdOptions::PrintHelp() {
  platform::ConsoleWrite(FormatHelp());
  platform::ConsoleReadLine();
}

void InitCmdLineUtils() { CmdOptions = std::make_unique<TCmdOptions>(platform::CommandLineArguments()); }

void FinalizeCmdLineUtils() { CmdOptions.reset(); }
