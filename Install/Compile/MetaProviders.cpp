#include "Compile/MetaProviders.h"

#include "Compile/PackagePatterns.h"

namespace {

struct ProviderRow {
  const char* suffix;
  bool standard;
  bool win32Only;
  const char* libraryPackage;       // pattern that recognises the library
  const char* rightVersionPackage;  // pattern of the right version; "" for any
  const char* shortDescription;
  const char* libraryDescription;
  const char* longDescription;
};

// The registration order is the order of listing, saving and building.
// clang-format off
const ProviderRow kProviders[] = {
    {"ADO",         true,  false, "dclado",               "",                  "ADO",                              "ADO",                              "Vexorin Component ADO Connectivity"},
    {"BDE",         true,  true,  "dclbde",               "",                  "BDE",                              "BDE",                              "Vexorin Component BDE Connectivity"},
    {"IBEx",        true,  false, "dclib",                "",                  "IBEx",                             "IBExpress",                        "Vexorin Component IBExpress Connectivity"},
    {"DbEx",        true,  false, "dcldbx",               "",                  "DbEx",                             "dbExpress",                        "Vexorin Component dbExpress Connectivity"},
    {"FireDAC",     false, false, "dclFireDac",           "",                  "FireDAC",                          "FireDAC",                          "Vexorin Component FireDAC Connectivity"},
    {"Zeos",        false, false, "zcomponent",           "",                  "ZEOS",                             "ZEOS",                             "Vexorin Component ZEOS Connectivity"},
    {"CrMyDAC",     false, false, "dclmydac",             "",                  "DevArt MyDAC",                     "MyDAC",                            "Vexorin Component DevArt MyDAC Connectivity"},
    {"CrODAC",      false, false, "dclodac",              "",                  "DevArt ODAC",                      "ODAC",                             "Vexorin Component DevArt Oracle DAC Connectivity"},
    {"CrSDAC",      false, false, "dclsdac",              "",                  "DevArt SDAC",                      "SDAC",                             "Vexorin Component DevArt SDAC Connectivity"},
    {"CrIbDAC",     false, false, "dclibdac",             "",                  "DevArt IbDAC",                     "IbDAC",                            "Vexorin Component DevArt IbDAC Connectivity"},
    {"UniDAC",      false, false, "unidac",               "",                  "DevArt UniDAC",                    "UniDAC",                           "Vexorin Component DevArt UniDAC Connectivity"},
    {"PgDAC",       false, false, "dclpgdac",             "",                  "DevArt PgDAC",                     "PgDAC",                            "Vexorin Component DevArt PgDAC Connectivity"},
    {"FIBPlus",     false, false, "fibplus",              "",                  "FIBPlus",                          "FIBPlus",                          "Vexorin Component FIBPlus Connectivity"},
    {"DOA",         false, false, "doa",                  "",                  "DOA",                              "Direct Oracle Access",             "Vexorin Component Allround Automations DOA Connectivity"},
    {"Accuracer",   false, false, "dclaccuracerd",        "",                  "AidAim Accuracer",                 "Accuracer",                        "Vexorin Component AidAim Accuracer Connectivity"},
    {"EasyTable",   false, false, "dcleasytabled",        "",                  "AidAim EasyTable",                 "EasyTable",                        "Vexorin Component AidAim EasyTable Connectivity"},
    {"IDAC",        false, false, "dclidac",              "",                  "Luxena Informix DAC",              "Informix DAC",                     "Vexorin Component Luxena Informix DAC Connectivity"},
    {"MoMyDAC",     false, false, "mysqldac",             "",                  "Microolap MySQL DAC",              "MySQL DAC",                        "Vexorin Component Microolap MySQL DAC Connectivity"},
    {"MoPgDAC",     false, false, "postgresdac",          "",                  "Microolap PostgreSQL DAC",         "PostgreSQL DAC",                   "Vexorin Component Microolap PostgreSQL DAC Connectivity"},
    {"MoMSDAC",     false, false, "msadodac",             "",                  "Microolap MSADODAC",               "MS ADO DAC",                       "Vexorin Component Microolap MSADODAC Connectivity"},
    {"SD",          false, false, "dclsql\\d+",           "",                  "SQLDirect",                        "SQLDirect",                        "Vexorin Component SQLDirect Connectivity"},
    {"DBISAM",      false, false, "dbisam",               "dbisam",            "DBISAM",                           "DBISAM",                           "Vexorin Component Elevate Software DBISAM v4.47 Connectivity"},
    {"IBO",         false, false, "ibo",                  "",                  "IBObjects",                        "IBObjects",                        "Vexorin Component IBObjects Connectivity"},
    {"Advantage",   false, false, "adsd.+studio",         "",                  "Advantage DB",                     "Advantage DB",                     "Vexorin Component Advantage DB Connectivity"},
    {"NexusDB",     false, false, "nexusdb2",             "nexusdb207",        "NexusDB v2",                       "NexusDB v2",                       "Vexorin Component NexusDB v2 Connectivity"},
    {"NexusDB3",    false, false, "nexusdb3",             "nexusdb312",        "NexusDB v3",                       "NexusDB v3",                       "Vexorin Component NexusDB v3 Connectivity"},
    {"NexusDB4",    false, false, "nexusdb4",             "nexusdb400",        "NexusDB v4",                       "NexusDB v4",                       "Vexorin Component NexusDB v4 Connectivity"},
    {"AbsoluteDB",  false, false, "dclabsdb",             "",                  "AbsoluteDB",                       "AbsoluteDB",                       "Vexorin Component AbsoluteDB Connectivity"},
    {"ElevateDB",   false, false, "edb1\\d\\d%e%Vdesign", "edb109%e%Vdesign",  "ElevateDB(ANSI) v1",               "ElevateDB(ANSI) v1",               "Vexorin Component ElevateDB(ANSI) v1 Connectivity"},
    {"ElevateDBu",  false, false, "edb1\\d\\du%Vdesign",  "edb109u%Vdesign",   "ElevateDB(Unicode) v1",            "ElevateDB(Unicode) v1",            "Vexorin Component ElevateDB(Unicode) v1 Connectivity"},
    {"ElevateDB2",  false, false, "edb2\\d\\d%e%Vdesign", "",                  "ElevateDB2(ANSI) v2",              "ElevateDB2(ANSI) v2",              "Vexorin Component ElevateDB(ANSI) v2 Connectivity"},
    {"ElevateDB2u", false, false, "edb2\\d\\du%Vdesign",  "",                  "ElevateDB2(Unicode) v2 for D2006", "ElevateDB2(Unicode) v2 for D2006", "Vexorin Component ElevateDB(Unicode) v2 Connectivity for D2006"},
    {"ElevateDB2u", false, false, "edb2\\d\\ds%Vdesign",  "",                  "ElevateDB2(Unicode) v2",           "ElevateDB2(Unicode) v2",           "Vexorin Component ElevateDB(Unicode) v2 Connectivity"},
    {"ElevateDB2",  false, false, "edbdesign2\\d\\d%X",   "",                  "ElevateDB2(Unicode New) v2",       "ElevateDB2(Unicode New) v2",       "Vexorin Component ElevateDB(Unicode New) v2 Connectivity"},
    {"VistaDB",     false, false, "vistadb_",             "",                  "VistaDB",                          "VistaDB",                          "Vexorin Component VistaDB Connectivity"},
    {"SvODBCDAC",   false, false, "dclodbcdac",           "",                  "Softvector ODBC DAC",              "ODBC DAC",                         "Vexorin Component Softvector ODBC DAC Connectivity"},
    {"AnyDAC",      false, false, "daadcomi",             "",                  "DA-Soft Technologies AnyDAC",      "AnyDAC",                           "Vexorin Component DA-Soft Technologies AnyDAC Connectivity"},
    {"AnyDAC2",     false, false, "AnyDAC_DCL",           "",                  "FireDAC/AnyDACv2",                 "AnyDAC2",                          "Vexorin Component FireDAC/AnyDACv2 Connectivity"},
    {"NativeDB",    false, false, "ndbpack",              "",                  "Liodden Data NativeDB",            "NativeDB",                         "Vexorin Component Liodden Data NativeDB Connectivity"},
    {"ODBCExpress", false, false, "oedt",                 "",                  "ODBCExpress",                      "ODBCExpress",                      "Vexorin Component ODBCExpress Connectivity"},
};
// clang-format on

}  // namespace

TMetadataProvider& TMetadataProvider::Create(TMetadataProvidersList& AList, const std::string& APackageSuffix,
                                             const std::string& ADependLibPackage,
                                             const std::string& ADependLibPackageWithVersion,
                                             const std::string& AShortDescription,
                                             const std::string& ADependLibShortDescription,
                                             const std::string& ALongDescription, bool AStandard) {
  std::unique_ptr<TMetadataProvider> provider(new TMetadataProvider());
  provider->fSupportedPlatforms = {ctpWin32, ctpWin64};
  provider->fInstallData = &AList.InstallData();
  provider->fPackageSuffix = APackageSuffix;
  provider->fDependLibPackage = ADependLibPackage;
  provider->fDependLibPackageWithVersion = ADependLibPackageWithVersion;
  provider->fShortDescription = AShortDescription;
  provider->fDependLibShortDescription = ADependLibShortDescription;
  provider->fLongDescription = ALongDescription;
  provider->fStandard = AStandard;
  AList.fItems.push_back(std::move(provider));
  return *AList.fItems.back();
}

std::string TMetadataProvider::RegKey() const { return fShortDescription + " Connectivity"; }

std::string TMetadataProvider::GetRuntimePackageName(const TCompileTarget&) const {
  return "VxVexorin" + fPackageSuffix;
}

std::string TMetadataProvider::GetDesignPackageName(const TCompileTarget&) const {
  return "VxVexorinDsgn" + fPackageSuffix;
}

bool TMetadataProvider::IsDependLibInstalled(TCompileTarget& ATarget) const {
  return fSupportedPlatforms.count(ATarget.Platform()) != 0 && IsPackagePresent(ATarget, fDependLibPackage);
}

bool TMetadataProvider::IsDependLibHaveRightVersion(TCompileTarget& ATarget) const {
  return fDependLibPackageWithVersion.empty() || IsPackagePresent(ATarget, fDependLibPackageWithVersion);
}

void RegisterMetaProviders(TMetadataProvidersList& AList) {
  for (const ProviderRow& row : kProviders) {
    TMetadataProvider& provider =
        TMetadataProvider::Create(AList, row.suffix, row.libraryPackage, row.rightVersionPackage, row.shortDescription,
                                  row.libraryDescription, row.longDescription, row.standard);
    if (row.win32Only) provider.SetSupportedPlatforms({ctpWin32});
  }
}
