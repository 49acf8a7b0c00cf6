// Command-line options of the setup program and the help screen.
#pragma once

#include <memory>
#include <string>
#include <vector>

// One entry of the option table. A plain TItem is a separator in the help screen.
class TItem {
 public:
  TItem(std::string name, std::string help) : FName(std::move(name)), FHelp(std::move(help)) {}
  virtual ~TItem() = default;
  // Whether the argument is this option; a match stores the option's value.
  virtual bool IsItem(const std::string& ParStr);
  const std::string& Name() const { return FName; }
  const std::string& Help() const { return FHelp; }

 protected:
  std::string FName;
  std::string FHelp;
};

// A switch: "NAME" sets the field, "NAME-" clears it; the whole argument must match.
class TBoolItem : public TItem {
 public:
  TBoolItem(std::string name, std::string help, bool& value) : TItem(std::move(name), std::move(help)), FValue(value) {}
  bool IsItem(const std::string& ParStr) override;

 private:
  bool& FValue;
};

// A prefix option such as "-rBDS=": the rest of the argument is the value.
class TStringItem : public TItem {
 public:
  TStringItem(std::string name, std::string help, std::string& value)
      : TItem(std::move(name), std::move(help)), FValue(value) {}
  bool IsItem(const std::string& ParStr) override;

 private:
  std::string& FValue;
};

class TCmdOptions {
 public:
  // What to do when the arguments ask for help: show the help screen and end
  // the process with exit code 1 (the program), or only record it (tests).
  enum class HelpAction { ShowAndExit, RecordOnly };

  // Parses the arguments (without the program's own path).
  explicit TCmdOptions(const std::vector<std::string>& args, HelpAction helpAction = HelpAction::ShowAndExit);
  virtual ~TCmdOptions() = default;
  TCmdOptions(const TCmdOptions&) = delete;
  TCmdOptions& operator=(const TCmdOptions&) = delete;

  bool IgnoreIDE() const { return FIgnoreIDE; }
  void SetIgnoreIDE(bool value) { FIgnoreIDE = value; }
  bool KeepFiles() const { return FKeepFiles; }
  void SetKeepFiles(bool value) { FKeepFiles = value; }
  bool IgnoreBCB() const { return FIgnoreBCB; }
  void SetIgnoreBCB(bool value) { FIgnoreBCB = value; }
  bool IgnoreDelphi() const { return FIgnoreDelphi; }
  void SetIgnoreDelphi(bool value) { FIgnoreDelphi = value; }
  bool Help() const { return FHelp; }
  const std::string& Lang() const { return FLang; }
  bool AutoUpdate() const { return FAutoUpdate; }
  void SetAutoUpdate(bool value) { FAutoUpdate = value; }
  bool AutoInstall() const { return FAutoInstall; }
  void SetAutoInstall(bool value) { FAutoInstall = value; }
  bool AutoCloseAfterSuccess() const { return FAutoCloseAfterSuccess; }
  void SetAutoCloseAfterSuccess(bool value) { FAutoCloseAfterSuccess = value; }
  bool RebuildPackages() const { return FRebuildPackages; }
  void SetRebuildPackages(bool value) { FRebuildPackages = value; }
  const std::string& RegistryKeyDelphi() const { return FRegistryKeyDelphi; }
  void SetRegistryKeyDelphi(const std::string& value) { FRegistryKeyDelphi = value; }
  const std::string& RegistryKeyBCB() const { return FRegistryKeyBCB; }
  void SetRegistryKeyBCB(const std::string& value) { FRegistryKeyBCB = value; }
  const std::string& RegistryKeyBDS() const { return FRegistryKeyBDS; }
  void SetRegistryKeyBDS(const std::string& value) { FRegistryKeyBDS = value; }

  // The help screen as PrintHelp writes it, lines ending in CR LF.
  static std::string HelpText();

 protected:
  virtual void RegisterOptions();
  void AddBoolOption(const std::string& name, const std::string& help, bool& field);
  void AddSeparator();
  void AddStringOption(const std::string& name, const std::string& help, std::string& field);
  // Writes the help screen to the console and waits for one line of input.
  void PrintHelp();

 private:
  std::string FormatHelp() const;

  bool FIgnoreIDE = false;
  bool FKeepFiles = false;
  bool FIgnoreBCB = false;
  bool FIgnoreDelphi = false;
  bool FHelp = false;
  std::string FLang;
  bool FAutoUpdate = false;
  bool FAutoInstall = false;
  bool FAutoCloseAfterSuccess = false;
  bool FRebuildPackages = false;
  std::string FRegistryKeyDelphi;
  std::string FRegistryKeyBCB;
  std::string FRegistryKeyBDS;
  // The option table; it exists only while the constructor runs.
  std::vector<std::unique_ptr<TItem>> FItemList;
};

// The process-wide options, parsed from the program's own command line before
// the start-up sequence.
extern std::unique_ptr<TCmdOptions> CmdOptions;
void InitCmdLineUtils();
void FinalizeCmdLineUtils();
