// What the engine does with a connectivity provider in one IDE.
#include "Compile/Compiler.h"
#include "Compile/MetaProviders.h"
#include "Compile/TargetOptions.h"

void TMetadataProvider::Compile(TCompiler& ACompiler, TTargetOptions& ATargetOptions) {
  BeforeCompileRuntime(ATargetOptions);
  ACompiler.CompilePackage(ATargetOptions, GetRuntimePackageName(ATargetOptions.Target()), fStandard, false);
  if (ATargetOptions.IsSupportDesigner()) {
    BeforeCompileDesign(ATargetOptions);
    ACompiler.CompilePackage(ATargetOptions, GetDesignPackageName(ATargetOptions.Target()), fStandard, true);
  }
}

void TMetadataProvider::Install(TCompiler& ACompiler, TTargetOptions& ATargetOptions) {
  ACompiler.InstallPackage(ATargetOptions, GetDesignPackageName(ATargetOptions.Target()), fLongDescription);
  ATargetOptions.SetMetaProviderInstalled(*this);
  ATargetOptions.SaveToRegistry();
}

void TMetadataProvider::Uninstall(TCompiler& ACompiler, TTargetOptions& ATargetOptions) {
  ACompiler.UninstallPackage(ATargetOptions, GetDesignPackageName(ATargetOptions.Target()));
  ACompiler.UninstallPackage(ATargetOptions, GetRuntimePackageName(ATargetOptions.Target()));
  ATargetOptions.SetMetaProviderUninstalled(*this);
  ATargetOptions.SaveToRegistry();
}
