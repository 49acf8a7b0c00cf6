// Every web address the program opens or shows.
#pragma once

namespace web {

// The IDE maker's component registration pages.
inline constexpr const char* kCBuilderRegistration = "https://www.embarcadero.com/products/cbuilder/registration";
inline constexpr const char* kVersion5Registration = "https://www.embarcadero.com/products/registration/v5";
inline constexpr const char* kDelphiRegistration = "https://www.embarcadero.com/products/delphi/registration";

// The IDE maker's downloads, where the editions with the command-line compiler are.
inline constexpr const char* kCommandLineCompilerDownload = "https://www.embarcadero.com/downloads";

// The vendor's web site: the uninstall entry's help and information links.
inline constexpr const char* kVendorHomePage = "https://www.orlenta.com/";
// The uninstall-feedback page; the package's short version follows the query.
inline constexpr const char* kUninstallFeedback =
    "https://www.orlenta.com/uninstall.html?product=vxn&edition=vcl&version=";
// The support site's request form.
inline constexpr const char* kSupportRequest = "https://support.orlenta.com/helpdesk/6/tickets/new";
// The product's quick-start article in the knowledge base.
inline constexpr const char* kKnowledgeBook = "https://support.orlenta.com/kb/vexorin-vcl-quick-start";
// The product's download page.
inline constexpr const char* kProductDownload = "https://www.orlenta.com/vexorin/download.html";
// The vendor's end-user product Skyvane: its page and its download.
inline constexpr const char* kSkyvaneProductPage = "https://www.orlenta.com/skyvane/";
inline constexpr const char* kSkyvaneDownload = "https://www.orlenta.com/skyvane/download.html";

// The third-party control libraries a compilation mode uses.
inline constexpr const char* kTntControlsDownload = "https://www.tntware.com/delphicontrols/unicode/";
inline constexpr const char* kTmsUnicodePack = "https://www.tmssoftware.com/site/tmsuni.asp";

}  // namespace web
