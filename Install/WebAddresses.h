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

}  // namespace web
