// The engine object, its logger, the package naming and the tool runner.
#include "Compile/Compiler.h"

#include "CapExec.h"
#include "SysUtils.h"
#include "platform/FileSystem.h"

TCompiler::TCompiler() : FLogger(std::make_unique<TLogToList>()) {}

std::string TCompiler::GetPackageName(const TCompileTarget& ATarget, const std::string& APackageName) {
  const std::string version = std::to_string(ATarget.Version());
  if (ATarget.IsBCB() && !ATarget.IsBDS()) return APackageName + "C" + version + ".bpk";
  if (ATarget.IsDelphi() || ATarget.IsBDS()) return APackageName + "D" + version + ".dpk";
  return APackageName + version + ".dpk";
}

int TCompiler::RunTool(const std::string& ACommand, const std::string& AParameters, const std::string& ACurrentDir) {
  return CaptureExecute(
      ACommand, AParameters, ACurrentDir, [this](const std::string& Text, bool& Abort) { LogToolOutput(Text, Abort); },
      [this](void*) {
        if (FOnIdle) FOnIdle();
      });
}

void TCompiler::ReportProgress() {
  if (FOnProgress) FOnProgress(FProgress);
}

void TCompiler::BeginProgressTarget(int APackageCount) {
  ++FProgress.Target;
  FProgress.Package = 0;
  FProgress.PackageCount = APackageCount;
  FProgress.TargetDone = false;
  ReportProgress();
}

void TCompiler::EndProgressTarget() {
  FProgress.TargetDone = true;
  ReportProgress();
}

void TCompiler::LogToolOutput(const std::string& Text, bool& /*Abort*/) { FLogger->Debug(Text); }

void TCompiler::CollectToolOutput(const std::string& Text, bool& /*Abort*/) {
  FLogger->Debug(Text);
  if (fStrings != nullptr) fStrings->push_back(Text);
}

void TCompiler::RaiseFileError(const std::string& AOperation, const std::string& APath) {
  const uint32_t code = platform::LastErrorCode();
  FLogger->Error("  ERROR: cannot " + AOperation + ": " + APath);
  RaiseOSError(code);
}
