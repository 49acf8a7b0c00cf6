// Preparing the sources for the chosen control library: the forms folder of
// the mode copied over the sources, and for DevExpress the include file's
// switches and the package files adjusted to the tree-list version and to the
// presence of the skins library.
#include <utility>

#include "Compile/Compiler.h"
#include "Compile/InstallData.h"
#include "Compile/TargetOptions.h"
#include "SysUtils.h"
#include "Utils.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace {

const char* const kTreeListV4On = "{$define VXN_TREEVIEW_DEVEXPRESS_V4}";
const char* const kTreeListV4Off = "{-$define VXN_TREEVIEW_DEVEXPRESS_V4}";
const char* const kSkinsOn = "{$define VXN_DEVEXPRESS_SKINS}";
const char* const kSkinsOff = "{-$define VXN_DEVEXPRESS_SKINS}";

// The last IDE to be installed; nullptr when none is.
TTargetOptions* ReferenceIDE() {
  const TTargetOptionsList& list = InstallData->TargetOptions();
  for (int i = list.Count() - 1; i >= 0; --i) {
    if (list.Items(i)->Action() == atInstall) return list.Items(i);
  }
  return nullptr;
}

std::string IncludeFile() { return InstallData->SourcesDir() + "\\DevExpressForms\\vxn.inc"; }

// Every occurrence of `from` replaced by `to`, ignoring the case of ASCII
// letters; the replacement is not searched again.
std::string ReplaceAllText(const std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  const std::string upperText = platform::AsciiUpperCase(text);
  const std::string upperFrom = platform::AsciiUpperCase(from);
  std::string result;
  size_t at = 0;
  for (size_t found = upperText.find(upperFrom); found != std::string::npos; found = upperText.find(upperFrom, at)) {
    result.append(text, at, found - at);
    result += to;
    at = found + from.size();
  }
  result.append(text, at, std::string::npos);
  return result;
}

// The text as lines, each ended by CR LF (a line break of any kind ends a line).
std::string WithCrLfLines(const std::string& text) {
  std::string result;
  for (const std::string& line : SplitLines(text)) {
    result += line;
    result += "\r\n";
  }
  return result;
}

}  // namespace

void TCompiler::PrepareCompilationMode() {
  const std::string sources = InstallData->SourcesDir();
  switch (InstallData->CompilationMode()) {
    case cmVCL:
      CopySourceForms(sources + "\\VclForms");
      break;
    case cmTnt:
    case cmTMS:
      CopySourceForms(sources + "\\TntForms");
      break;
    case cmDevExpress: {
      const int version = DetectTreeListVersion();
      FLogger->Info("Configuring Vexorin to use DevExpress QuantumTreeList version " + std::to_string(version));
      ConfigureTreeList(version);
      const bool skins = DetectSkins();
      FLogger->Info(skins ? "Configuring Vexorin to support DevExpress ExpressSkins"
                          : "Configuring Vexorin to exclude DevExpress ExpressSkins support");
      ConfigureSkins(skins);
      CopySourceForms(sources + "\\DevExpressForms");
      break;
    }
  }
}

int TCompiler::DetectTreeListVersion() {
  const TTargetOptions* reference = ReferenceIDE();
  if (reference == nullptr) return 5;
  const TDelphiPackage* package = reference->Target().FindPackageEx("dclcxTreeList");
  // The wizard lets no IDE without the tree list be chosen in this mode; a
  // run without it all the same ends with an error the compile page reports.
  if (package == nullptr) {
    throw Exception("The DevExpress mode needs the DevExpress tree list (dclcxTreeList), which " +
                    reference->Target().DisplayName() + " does not have");
  }
  const std::string& description = package->Description();
  if (description.find("ExpressQuantumTreeList 5") != std::string::npos) return 5;
  if (description.find("ExpressQuantumTreeList 4") != std::string::npos) return 4;
  if (description.find('5') != std::string::npos) return 5;
  if (description.find('4') != std::string::npos) return 4;
  return 5;
}

void TCompiler::ConfigureTreeList(int AVersion) {
  const bool v4 = AVersion < 5;
  const std::string include = IncludeFile();
  FLogger->Debug("Processing file: " + include);
  ReplaceInFile(include,
                v4 ? TReplacements{{kTreeListV4Off, kTreeListV4On}} : TReplacements{{kTreeListV4On, kTreeListV4Off}});
  const TTargetOptionsList& list = InstallData->TargetOptions();
  for (int i = list.Count() - 1; i >= 0; --i) {
    TTargetOptions& options = *list.Items(i);
    const int version = options.Target().Version();
    if (version != 6 && version != 7) continue;
    const TReplacements replacements =
        v4 ? TReplacements{{"cxTreeListD", "cxTreeListVCLD"}, {"cxTreeListC", "cxTreeListVCLC"}}
           : TReplacements{{"cxTreeListVCLD", "cxTreeListD"}, {"cxTreeListVCLC", "cxTreeListC"}};
    for (const char* base :
         {"vxVexorin", "vxVexorinDsgn", "vxVexorinADO", "vxVexorinBDE", "vxVexorinDbEx", "vxVexorinIbEx"}) {
      ProcessPackageFiles(options, base, replacements);
    }
  }
}

bool TCompiler::DetectSkins() {
  const TTargetOptions* reference = ReferenceIDE();
  return reference != nullptr && reference->Target().FindPackageEx("dcldxSkinsCore") != nullptr;
}

void TCompiler::ConfigureSkins(bool ASkins) {
  const std::string include = IncludeFile();
  FLogger->Debug("Processing file: " + include);
  ReplaceInFile(include, ASkins ? TReplacements{{kSkinsOff, kSkinsOn}} : TReplacements{{kSkinsOn, kSkinsOff}});
  const TTargetOptionsList& list = InstallData->TargetOptions();
  for (int i = list.Count() - 1; i >= 0; --i) {
    TTargetOptions& options = *list.Items(i);
    const std::string v = std::to_string(options.Target().Version());
    const std::string onD = "dxSkinsCoreD" + v + ",";
    const std::string onC = "dxSkinsCoreC" + v + ",";
    const std::string offD = "{" + onD + "}";
    const std::string offC = "{" + onC + "}";
    // Turning the entries off first turns those already off on, so that an
    // entry already off is not wrapped in a second pair of braces.
    const TReplacements replacements = ASkins ? TReplacements{{offD, onD}, {offC, onC}}
                                              : TReplacements{{offD, onD}, {offC, onC}, {onD, offD}, {onC, offC}};
    ProcessPackageFiles(options, "vxVexorin", replacements);
  }
}

void TCompiler::ProcessPackageFiles(TTargetOptions& TargetOptions, const std::string& APackageName,
                                    const TReplacements& AReplacements) {
  const std::string file = TargetOptions.PackagesDir() + "\\" + GetPackageName(TargetOptions.Target(), APackageName);
  FLogger->Debug("Processing file: " + file);
  ReplaceInFile(file, AReplacements);
  const std::string bpk = ChangeFileExt(file, ".bpk");
  FLogger->Debug("Processing file: " + bpk);
  ReplaceInFile(bpk, AReplacements);
}

void TCompiler::ReplaceInFile(const std::string& AFileName, const TReplacements& AReplacements) {
  if (AReplacements.empty() || !platform::FileExists(AFileName)) return;
  platform::TextEncoding encoding = platform::TextEncoding::Ansi;
  auto text = platform::ReadTextFile(AFileName, &encoding);
  if (!text) RaiseFileError("read file", AFileName);
  for (const auto& [from, to] : AReplacements) *text = ReplaceAllText(*text, from, to);
  if (!platform::WriteFileBytes(AFileName, platform::EncodeTextBytes(WithCrLfLines(*text), encoding))) {
    RaiseFileError("write file", AFileName);
  }
}
